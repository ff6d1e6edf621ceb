#include "cli/Migrate.h"

#include "cli/ImportDb.h"
#include "dbimport/MariaDbConnection.h"
#include "model/ModelValidator.h"
#include "migration/Migration.h"
#include "model/ProjectSnapshot.h"

#include <iostream>

namespace quorrel {
namespace {

class ErrorStreamLog : public ProgressSink {
public:
    void AddLine(const ReportLine& line) override { std::cerr << line.Rendered() << std::endl; }
};

} // namespace

CLI::App* AddMigrateCommand(CLI::App& app, MigrateOptions& options) {
    auto* command = app.add_subcommand(
        "migrate", "print the MySQL/MariaDB script that changes the site's database to the project's model in "
                   "place (renames kept, rows kept); with --apply, run it");
    command->add_option("PROJECT", options.project, "project name")->required();
    command->add_option("--prefix", options.tablePrefix, "table prefix (default php_)");
    AddConnectionOptions(command, options.connection, options.passwordFile);
    command->add_flag("--allow-data-loss", options.allowDataLoss,
                      "put changes that can lose data into the script (removed members and classes, shorter "
                      "strings, narrower types, moved references, a changed key)");
    command->add_flag("--apply", options.apply,
                      "run the script against the database, one statement at a time, stopping at the first failure");
    return command;
}

int Migrate(const TFolders& folders, int projectId, MigrateOptions options) {
    const auto snapshot = TProjectSnapshot::Take(projectId);
    ModelValidator(*snapshot).CheckNamesAndTexts(options.tablePrefix);
    ReadPasswordInto(options.connection, options.passwordFile);
    TMariaDbConnection connection(options.connection);
    TMigration migration(connection, folders.Data() / "projects" / options.project, TSchemaModel::Of(*snapshot),
                         options.tablePrefix);
    const TMigrationPlan plan = migration.Plan(options.allowDataLoss);
    std::cout << plan.Script() << std::flush;
    if (options.apply) {
        ErrorStreamLog log;
        migration.Apply(plan, log);
    }
    return plan.LeftOut() > 0 ? kLeftOut : 0;
}

} // namespace quorrel
