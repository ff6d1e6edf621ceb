#pragma once
#include "base/ProgressSink.h"
#include "dbimport/SchemaReader.h"
#include "generators/SchemaModel.h"
#include "migration/MigrationPlan.h"
#include "ui/DatabaseDialog.h"

#include <filesystem>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quorrel {

class TFormMain;

// What a database change is made for: the project's generated site (whose
// records pair tables and columns with the model), the model as the script
// would create it, and the table prefix.
struct TMigrationTarget {
    std::filesystem::path site;
    TSchemaModel model;
    std::string tablePrefix;
};

// The database side of the change dialog, called on its worker thread. The
// real one connects to the server for each call; tests answer in its place.
class MigrationService {
public:
    virtual ~MigrationService() = default;
    // Connects and disconnects; returns the server's version text.
    virtual std::string TestConnection(const TConnectionSettings& settings) = 0;
    // Connects, reads the database and plans its change to the target.
    virtual TMigrationPlan Plan(const TConnectionSettings& settings, const TMigrationTarget& target,
                                bool allowDataLoss) = 0;
    // Connects again and runs a plan that Plan made for the same target,
    // each progress line to log.
    virtual void Apply(const TConnectionSettings& settings, const TMigrationTarget& target,
                       const TMigrationPlan& plan, ProgressSink& log) = 0;
};

// The service over a MySQL/MariaDB server.
class TMariaDbMigrationService : public MigrationService {
public:
    std::string TestConnection(const TConnectionSettings& settings) override;
    TMigrationPlan Plan(const TConnectionSettings& settings, const TMigrationTarget& target,
                        bool allowDataLoss) override;
    void Apply(const TConnectionSettings& settings, const TMigrationTarget& target, const TMigrationPlan& plan,
               ProgressSink& log) override;
};

// Changes the database of a project's site to today's model in place: the
// connection fields, a connection test, the script of the change with what
// it leaves out, and running it. Connecting, planning and running happen on
// a worker thread; the lines of a run go to the main window's progress log.
// The password stays in the dialog and is never stored.
class TMigrationForm : public TDatabaseDialog {
    Q_OBJECT
public:
    TMigrationForm(TFormMain& form, std::shared_ptr<MigrationService> service, int projectId,
                   const QString& projectName, const QString& tablePrefix);

    // Reads the model and the database and shows the change's script.
    void PlanClick();
    // After the user confirms, runs the script shown.
    void ApplyClick();
    // The plan shown, while its settings are those of the fields; none after
    // a run or a change of the fields.
    const TMigrationPlan* ShownPlan() const;

    const QString& ProjectName() const { return projectName_; }
    const QString& TablePrefix() const { return tablePrefix_; }

    QLabel* Lbl_Project = nullptr;
    QCheckBox* Chk_AllowDataLoss = nullptr;
    QPushButton* Btn_Plan = nullptr;
    QPushButton* Btn_Apply = nullptr;
    QPlainTextEdit* Memo_Script = nullptr;
    QLabel* Lbl_LeftOut = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void UpdateButtons() override;

private:
    struct Planned;

    void ShowPlan(std::shared_ptr<const Planned> planned);
    void Applied();
    void ApplyFailed(const QString& message);
    // The fields or the check box changed: the plan shown no longer holds.
    void DropPlan();

    std::shared_ptr<MigrationService> service_;
    int projectId_;
    QString projectName_;
    QString tablePrefix_;
    std::shared_ptr<const Planned> planned_;
};

} // namespace quorrel
