#include "ui/QtPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include <utility>

namespace quorrel {
namespace {

QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QtPrompts::QtPrompts(QString applicationTitle) : title_(std::move(applicationTitle)) {}

void QtPrompts::Information(const QString& text) {
    ShowBox(QMessageBox::NoIcon, title_, text, QMessageBox::Ok);
}

bool QtPrompts::Confirm(const QString& caption, const QString& text) {
    return ShowBox(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void QtPrompts::Notice(const QString& caption, const QString& text) {
    ShowBox(QMessageBox::Information, caption, text, QMessageBox::Ok);
}

QString QtPrompts::Input(const QString& caption, const QString& prompt, const QString& initial) {
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), caption, prompt, QLineEdit::Normal,
                                         initial, &ok);
    return ok ? text : initial;
}

void QtPrompts::ErrorBox(const QString& text) {
    ShowBox(QMessageBox::Critical, title_, text, QMessageBox::Ok);
}

} // namespace quorrel
