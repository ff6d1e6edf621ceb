#pragma once
#include "dbimport/DatabaseImport.h"
#include "ui/DatabaseDialog.h"

#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace quorrel {

class TFormMain;

// Makes a new project from a MySQL/MariaDB database's structure: the
// connection fields, a connection test, the import, and the list of what
// was guessed and what could not be carried. Connecting and reading run on
// a worker thread, so the window stays responsive; the password stays in
// the dialog and is never stored.
class TImportDbForm : public TDatabaseDialog {
    Q_OBJECT
public:
    TImportDbForm(TFormMain& form, std::shared_ptr<SchemaReader> reader);

    // Imports; on success the main window shows and selects the new project.
    void ImportClick();

    QLineEdit* Edt_TablePrefix = nullptr;
    QLineEdit* Edt_ProjectName = nullptr;
    QPushButton* Btn_Import = nullptr;
    QListWidget* LB_Warnings = nullptr;

protected:
    void UpdateButtons() override;

private:
    void Imported(const TDbImportResult& result);

    std::shared_ptr<SchemaReader> reader_;
};

} // namespace quorrel
