#include "ui/QtPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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

} // namespace quorrel
