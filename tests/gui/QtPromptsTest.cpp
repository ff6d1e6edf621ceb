// The real boxes: which window they open over, their buttons and answers.
// Each box is answered from inside its own event loop.
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace quorrel::test {
namespace {

struct SeenBox {
    QWidget* owner = nullptr;
    QStringList buttons;
};

// Runs answer on the next box once it is open, after noting its owner and
// its buttons' captions.
void WhenBoxOpens(SeenBox& seen, std::function<void(QWidget& box)> answer) {
    QTimer::singleShot(0, [&seen, answer] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr) << "no box open";
        seen.owner = box->parentWidget();
        for (QAbstractButton* button : box->findChildren<QAbstractButton*>())
            seen.buttons << button->text();
        seen.buttons.sort();
        answer(*box);
    });
}

void Press(QWidget& box, const QString& caption) {
    for (QAbstractButton* button : box.findChildren<QAbstractButton*>())
        if (button->text() == caption) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << caption.toStdString();
    static_cast<QDialog&>(box).reject();
}

TEST(QtPrompts, BoxesOpenOverTheOpenDialogOrElseTheMainWindowWithChineseButtons) {
    QWidget mainWindow;
    mainWindow.resize(400, 300);
    mainWindow.show();
    QtPrompts prompts(QStringLiteral("title"));
    prompts.SetMainWindow(&mainWindow);
    const QStringList okCancel = {QStringLiteral("取消"), QStringLiteral("确定")};

    SeenBox input;
    WhenBoxOpens(input, [](QWidget& box) {
        box.findChild<QLineEdit*>()->setText(QStringLiteral("news"));
        Press(box, QStringLiteral("确定"));
    });
    EXPECT_EQ(prompts.Input(QStringLiteral("请输入工程名称"), QString(), QString()), QStringLiteral("news"));
    EXPECT_EQ(input.owner, &mainWindow);
    EXPECT_EQ(input.buttons, okCancel);

    // Cancel answers the initial text.
    SeenBox cancelled;
    WhenBoxOpens(cancelled, [](QWidget& box) {
        box.findChild<QLineEdit*>()->setText(QStringLiteral("other"));
        Press(box, QStringLiteral("取消"));
    });
    EXPECT_EQ(prompts.Input(QStringLiteral("表前缀输入框"), QString(), QStringLiteral("php_")), QStringLiteral("php_"));

    // Right after an input box has closed no window may have the focus; the
    // next box still belongs to the main window.
    SeenBox information;
    WhenBoxOpens(information, [](QWidget& box) { Press(box, QStringLiteral("确定")); });
    prompts.Information(QStringLiteral("前缀输入不能为空!"));
    EXPECT_EQ(information.owner, &mainWindow);
    EXPECT_EQ(information.buttons, QStringList{QStringLiteral("确定")});

    SeenBox confirm;
    WhenBoxOpens(confirm, [](QWidget& box) { Press(box, QStringLiteral("取消")); });
    EXPECT_FALSE(prompts.Confirm(QStringLiteral("删除提示"), QStringLiteral("确认删除当前项目吗?")));
    EXPECT_EQ(confirm.buttons, okCancel);
    WhenBoxOpens(confirm, [](QWidget& box) { Press(box, QStringLiteral("确定")); });
    EXPECT_TRUE(prompts.Confirm(QStringLiteral("删除提示"), QStringLiteral("确认删除当前项目吗?")));

    // With a dialog open the box belongs to the dialog.
    QDialog dialog(&mainWindow);
    dialog.open();
    SeenBox overDialog;
    WhenBoxOpens(overDialog, [](QWidget& box) { Press(box, QStringLiteral("确定")); });
    prompts.ErrorBox(QStringLiteral("error"));
    EXPECT_EQ(overDialog.owner, &dialog);
    dialog.reject();
}

} // namespace
} // namespace quorrel::test
