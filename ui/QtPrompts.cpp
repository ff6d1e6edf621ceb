#include "ui/QtPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace quorrel {
namespace {

const QString& OkText() {
    static const QString text = QStringLiteral("确定");
    return text;
}
const QString& CancelText() {
    static const QString text = QStringLiteral("取消");
    return text;
}

// Gives the focus back to the box's owner: without a window manager
// nobody else does, and the keyboard would reach no window.
void ReturnFocus(QWidget* owner) {
    if (owner && owner->isVisible())
        owner->activateWindow();
}

QMessageBox::StandardButton ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, owner);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setDefaultButton(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(OkText());
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(CancelText());
    auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    ReturnFocus(owner);
    return answer;
}

} // namespace

QtPrompts::QtPrompts(QString applicationTitle) : title_(std::move(applicationTitle)) {}

QWidget* QtPrompts::Owner() const {
    // A box asked for while a dialog is open belongs to that dialog; any
    // other to the main window, so that it opens centred on it even when
    // the window has just lost the focus (to a closing input box, or to
    // another program while a run was going).
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (mainWindow_)
        return mainWindow_;
    return QApplication::activeWindow();
}

void QtPrompts::Information(const QString& text) {
    ShowBox(Owner(), QMessageBox::NoIcon, title_, text, QMessageBox::Ok);
}

bool QtPrompts::Confirm(const QString& caption, const QString& text) {
    return ShowBox(Owner(), QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void QtPrompts::Notice(const QString& caption, const QString& text) {
    ShowBox(Owner(), QMessageBox::Information, caption, text, QMessageBox::Ok);
}

QString QtPrompts::Input(const QString& caption, const QString& prompt, const QString& initial) {
    QWidget* owner = Owner();
    QInputDialog box(owner);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    box.setOkButtonText(OkText());
    box.setCancelButtonText(CancelText());
    const bool ok = box.exec() == QDialog::Accepted;
    ReturnFocus(owner);
    return ok ? box.textValue() : initial;
}

void QtPrompts::ErrorBox(const QString& text) {
    ShowBox(Owner(), QMessageBox::Critical, title_, text, QMessageBox::Ok);
}

void QtPrompts::OpenFailed(const QString& text, const QString& path) {
    QWidget* owner = Owner();
    QDialog box(owner);
    box.setObjectName(QStringLiteral("OpenFailedBox"));
    box.setWindowTitle(title_);
    auto* layout = new QVBoxLayout(&box);
    auto* message = new QHBoxLayout;
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &box).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    message->addWidget(icon);
    auto* label = new QLabel(text, &box);
    label->setObjectName(QStringLiteral("Label_Text"));
    label->setWordWrap(true);
    message->addWidget(label, 1);
    layout->addLayout(message);

    // The path in a read-only field: selectable, and copied whole by the button.
    auto* row = new QHBoxLayout;
    auto* field = new QLineEdit(path, &box);
    field->setObjectName(QStringLiteral("Edt_Path"));
    field->setReadOnly(true);
    field->setMinimumWidth(360);
    field->setCursorPosition(0);
    auto* copy = new QPushButton(QStringLiteral("复制路径"), &box);
    copy->setObjectName(QStringLiteral("Btn_Copy"));
    copy->setAutoDefault(false);
    QObject::connect(copy, &QPushButton::clicked, &box, [field, copy] {
        QGuiApplication::clipboard()->setText(field->text());
        field->selectAll();
        copy->setText(QStringLiteral("已复制"));
    });
    row->addWidget(field, 1);
    row->addWidget(copy);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    buttons->button(QDialogButtonBox::Ok)->setText(OkText());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    box.exec();
    ReturnFocus(owner);
}

} // namespace quorrel
