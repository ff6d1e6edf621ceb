#pragma once
#include "dbimport/DatabaseImport.h"
#include "ui/ConnectionFields.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QThread;

namespace quorrel {

class TFormMain;

// Makes a new project from a MySQL/MariaDB database's structure: the
// connection fields, a connection test, the import, and the list of what
// was guessed and what could not be carried. Connecting and reading run on
// a worker thread, so the window stays responsive; the password stays in
// the dialog and is never stored.
class TImportDbForm : public QDialog {
    Q_OBJECT
public:
    TImportDbForm(TFormMain& form, std::shared_ptr<SchemaReader> reader);
    ~TImportDbForm() override;

    // Connects and reports the server's version, or why it failed.
    void TestClick();
    // Imports; on success the main window shows and selects the new project.
    void ImportClick();
    // True while a test or an import is under way.
    bool IsBusy() const { return worker_ != nullptr; }

    QLineEdit* Edt_Host = nullptr;
    QLineEdit* Edt_Port = nullptr;
    QLineEdit* Edt_Socket = nullptr;
    QLineEdit* Edt_User = nullptr;
    QLineEdit* Edt_Password = nullptr;
    QLineEdit* Edt_Database = nullptr;
    QLineEdit* Edt_TablePrefix = nullptr;
    QLineEdit* Edt_ProjectName = nullptr;
    QPushButton* Btn_Test = nullptr;
    QPushButton* Btn_Import = nullptr;
    QPushButton* Btn_Close = nullptr;
    QLabel* Lbl_State = nullptr;
    QListWidget* LB_Warnings = nullptr;

signals:
    // A test or an import has ended and its outcome is shown.
    void workEnded();

public slots:
    // The dialog does not close while a worker uses its reader.
    void reject() override;

private:
    bool ReadSettings(TConnectionSettings& settings) const;
    void Start(const QString& state, std::function<void()> work);
    void Ended();
    void Failed(const QString& message);
    void Imported(const TDbImportResult& result);

    TFormMain& form_;
    std::shared_ptr<SchemaReader> reader_;
    std::unique_ptr<TConnectionFields> connection_;
    QThread* worker_ = nullptr;
};

} // namespace quorrel
