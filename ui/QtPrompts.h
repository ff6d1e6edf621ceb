#pragma once
#include "ui/Prompts.h"

namespace quorrel {

// Prompts shown with QMessageBox and QInputDialog over the active window.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QString applicationTitle);

    void Information(const QString& text) override;
    bool Confirm(const QString& caption, const QString& text) override;
    void Notice(const QString& caption, const QString& text) override;
    QString Input(const QString& caption, const QString& prompt, const QString& initial) override;
    void ErrorBox(const QString& text) override;

private:
    QString title_;
};

} // namespace quorrel
