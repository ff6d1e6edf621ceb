#pragma once
#include "base/ProgressSink.h"
#include "dbimport/MariaDbConnection.h"
#include "generators/SchemaModel.h"
#include "migration/MigrationPlan.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorrel {

// The change of one site's database to today's model: planned from the
// database as it is and the site's records of the models it was generated
// from, and applied one statement at a time.
class TMigration {
public:
    // site: the generated site's folder, whose .quorrel/ holds the records.
    TMigration(TMariaDbConnection& connection, std::filesystem::path site, TSchemaModel target,
               std::string tablePrefix);

    // Reads the database's structure and plans the change. Damaged records
    // are left out and named in the plan's notes.
    TMigrationPlan Plan(bool allowDataLoss);

    // Runs the plan's statements in order, each reported before it runs.
    // Refuses, applying nothing, when another migration of the database is
    // running, when the account lacks a right the statements need, or when
    // the database's structure is no longer the one the plan was made from.
    // At the first failure it stops, saying which statement failed and how
    // many ran. Every applied statement is recorded in the site's
    // .quorrel/migrations.log; after the last one, when nothing was left
    // out, today's model is kept as a record of the database's structure.
    void Apply(const TMigrationPlan& plan, ProgressSink& log);

    static constexpr const char* kLogPath = ".quorrel/migrations.log";

    // The rights the statements need: ALTER, CREATE, DROP, UPDATE, REFERENCES.
    static std::vector<std::string> RightsNeeded(const std::vector<std::string>& statements);

private:
    void CheckRights(const std::vector<std::string>& needed);
    void Record(const std::string& line);

    TMariaDbConnection& connection_;
    std::filesystem::path site_;
    TSchemaModel target_;
    std::string tablePrefix_;
};

} // namespace quorrel
