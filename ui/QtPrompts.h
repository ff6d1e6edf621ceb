#pragma once
#include "ui/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace quorrel {

// Prompts shown with QMessageBox and QInputDialog over the open dialog, or
// else over the main window, whichever window has the focus at the time.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QString applicationTitle);

    // The window boxes belong to when no dialog is open.
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }

    void Information(const QString& text) override;
    bool Confirm(const QString& caption, const QString& text) override;
    void Notice(const QString& caption, const QString& text) override;
    QString Input(const QString& caption, const QString& prompt, const QString& initial) override;
    void ErrorBox(const QString& text) override;
    void OpenFailed(const QString& text, const QString& path) override;

private:
    QWidget* Owner() const;

    QString title_;
    QPointer<QWidget> mainWindow_;
};

} // namespace quorrel
