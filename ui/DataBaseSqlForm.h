#pragma once
#include <QDialog>

#include "base/Folders.h"

class QPlainTextEdit;

namespace quorrel {

class Prompts;

// Shows the MySQL script of a project, built each time the dialog is
// shown; the user copies it from Memo_Sql.
class TDataBaseSqlForm : public QDialog {
    Q_OBJECT
public:
    TDataBaseSqlForm(QWidget* owner, TFolders folders, Prompts& prompts);

    void SetProjectId(int projectId) { projectId_ = projectId; }
    void SetTablePrefix(const QString& tablePrefix) { tablePrefix_ = tablePrefix; }

    // Builds the script into Memo_Sql; a failure shows its text and leaves
    // Memo_Sql empty.
    void FormShow();

    QPlainTextEdit* Memo_Sql = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFolders folders_;
    Prompts& prompts_;
    int projectId_ = 0;
    QString tablePrefix_;
};

} // namespace quorrel
