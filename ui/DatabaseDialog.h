#pragma once
#include "dbimport/SchemaReader.h"
#include "ui/BackgroundTask.h"
#include "ui/ConnectionFields.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <utility>

class QBoxLayout;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorrel {

class TFormMain;

// What the database dialogs share: the connection fields, a connection
// test, a state line, and one job at a time on a worker thread, during which
// the dialog does not close. A job works on copies of what it needs; only
// its outcome, back on the GUI thread, touches the dialog.
class TDatabaseDialog : public QDialog {
    Q_OBJECT
public:
    // Connects and disconnects, on the worker; returns the server's version.
    using ConnectionTest = std::function<std::string(const TConnectionSettings& settings)>;

    // Connects and reports the server's version, or why it failed.
    void TestClick();
    // True while a job is under way.
    bool IsBusy() const { return task_.IsBusy(); }

    QLineEdit* Edt_Host = nullptr;
    QLineEdit* Edt_Port = nullptr;
    QLineEdit* Edt_Socket = nullptr;
    QLineEdit* Edt_User = nullptr;
    QLineEdit* Edt_Password = nullptr;
    QLineEdit* Edt_Database = nullptr;
    QPushButton* Btn_Test = nullptr;
    QPushButton* Btn_Close = nullptr;
    QLabel* Lbl_State = nullptr;

signals:
    // A job has ended and its outcome is shown.
    void workEnded();

public slots:
    // The dialog does not close while its worker runs.
    void reject() override;

protected:
    // workerName names the worker's thread; test serves TestClick.
    TDatabaseDialog(TFormMain& form, const QString& workerName, ConnectionTest test);

    // The parts, each added where the dialog places it.
    void AddConnectionFields(QFormLayout& layout);
    QPushButton* AddButton(QHBoxLayout& row, const char* name, const QString& caption);
    void AddTestButton(QHBoxLayout& row);
    void AddCloseButton(QHBoxLayout& row);
    void AddStateLine(QBoxLayout& layout);

    // The settings the fields give; false after a box has said why not.
    bool ReadSettings(TConnectionSettings& settings) const;

    // Shows state, runs work on the worker and turns the buttons off; then,
    // on the GUI thread, done(result), or failed(message) (Failed when none
    // is given). Both are called with the dialog idle again.
    template <typename Work, typename Done>
    void Start(const QString& state, Work work, Done done, TBackgroundTask::Failure failed = {});
    // Turns the buttons on or off as the job and the dialog's state allow.
    virtual void UpdateButtons() = 0;
    // Ends a failed job: the buttons back, the message in the state line
    // and in a box.
    void Failed(const QString& message);

    TFormMain& form_;
    std::unique_ptr<TConnectionFields> connection_;

private:
    void Started(const QString& state);

    ConnectionTest test_;
    TBackgroundTask task_;
};

template <typename Work, typename Done>
void TDatabaseDialog::Start(const QString& state, Work work, Done done, TBackgroundTask::Failure failed) {
    if (!failed)
        failed = [this](const QString& message) { Failed(message); };
    task_.Run(std::move(work), std::move(done), std::move(failed));
    Started(state);
}

} // namespace quorrel
