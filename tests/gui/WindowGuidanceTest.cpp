// What the window tells a user besides the run: how to begin on an empty
// model, what could not be opened, and a size and place that are kept.
#include "tests/gui/GuiTestSupport.h"

#include "ui/Banner.h"
#include "ui/QtPrompts.h"

#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace quorrel::test {
namespace {

namespace fs = std::filesystem;

using WindowGuidance = GuiTest;

TEST_F(WindowGuidance, AnEmptyModelSaysHowToBeginUntilAProjectExists) {
    Start();
    auto* hint = Find<QLabel>("Label_Start");
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains(QStringLiteral("项目操作 → 新建项目")));
    EXPECT_TRUE(Classes()->viewport()->rect().contains(hint->geometry())) << "the hint lies in the class list";

    boxes.inputAnswers = {QStringLiteral("first")};
    Trigger("F2");
    EXPECT_FALSE(hint->isVisible());

    boxes.confirmAnswers = {true};
    Trigger("D1");
    EXPECT_TRUE(hint->isVisible()) << "the model is empty again";

    // A model with a project starts without it.
    build.Project("kept");
    form.reset();
    Start();
    EXPECT_FALSE(Find<QLabel>("Label_Start")->isVisible());
}

TEST_F(WindowGuidance, AFolderOrHelpPageThatCannotBeOpenedIsNamedInABoxWithItsPath) {
    MakeMinimalHome(Home());
    const int p = build.Project("site");
    build.CompleteClass(p, "Article");
    Start();
    Find<QTimer>("Timer1")->stop();  // the home page opens by itself only later
    opener.failWith = QStringLiteral("没有可以打开它的程序");

    Trigger("A1");
    ASSERT_TRUE(WaitFor([this] { return !form->IsGenerating(); }));
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("所有代码生成完毕!"));
    EXPECT_EQ(boxes.shown[2].kind, BoxKind::OpenFailed);
    EXPECT_TRUE(boxes.shown[2].text.contains(QStringLiteral("文件夹")));
    EXPECT_TRUE(boxes.shown[2].text.contains(*opener.failWith));
    EXPECT_EQ(boxes.shown[2].initial, QString::fromStdString((Home() / "projects" / "site").string()));

    boxes.Clear();
    auto* banner = Find<Banner>("Image1");
    Click(banner, banner->rect().center());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::OpenFailed);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("帮助页面")));
    EXPECT_EQ(QUrl::fromLocalFile(boxes.shown[0].initial), opener.opened.back());

    // Opened as asked, nothing is said.
    boxes.Clear();
    opener.failWith.reset();
    Click(banner, banner->rect().center());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(OpenFailedBox, ShowsThePathSelectableAndCopiesIt) {
    QWidget window;
    window.show();
    QtPrompts prompts(QStringLiteral("title"));
    prompts.SetMainWindow(&window);
    QGuiApplication::clipboard()->clear();
    const QString path = QStringLiteral("/home/user/站点/projects/shop");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("title"));
        EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("Label_Text"))->text(), QStringLiteral("无法打开"));
        auto* field = box->findChild<QLineEdit*>(QStringLiteral("Edt_Path"));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), path);
        EXPECT_TRUE(field->isReadOnly());
        field->selectAll();
        EXPECT_EQ(field->selectedText(), path) << "the path can be selected";
        auto* copy = box->findChild<QPushButton*>(QStringLiteral("Btn_Copy"));
        ASSERT_NE(copy, nullptr);
        copy->click();
        EXPECT_TRUE(box->isVisible()) << "copying leaves the box open";
        EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
        seen = true;
        for (QPushButton* button : box->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("确定"))
                button->click();
    });
    prompts.OpenFailed(QStringLiteral("无法打开"), path);
    EXPECT_TRUE(seen);
}

TEST_F(WindowGuidance, TheWindowResizesWithItsListsAndLogAndKeepsItsPlace) {
    build.Project("alpha");
    Start();
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_NE(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->width(), 770) << "a first start has the usual size";
    const QSize list = Classes()->size(), table = Members()->size(), log = Log()->size();

    form->resize(1000, 760);
    QApplication::processEvents();
    EXPECT_GT(Classes()->height(), list.height());
    EXPECT_GT(Members()->width(), table.width());
    EXPECT_GT(Members()->height(), table.height());
    EXPECT_GT(Log()->height(), log.height());
    EXPECT_GT(Log()->width(), log.width());

    // Within the test screen, so that nothing moves the window back on it.
    const QRect placed(12, 20, 780, 560);
    form->setGeometry(placed);
    QApplication::processEvents();
    ASSERT_EQ(form->geometry(), placed);
    ASSERT_TRUE(form->close());
    form.reset();

    Start();
    EXPECT_EQ(form->geometry(), placed);
}

} // namespace
} // namespace quorrel::test
