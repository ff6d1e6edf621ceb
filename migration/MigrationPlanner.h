#pragma once
#include "dbimport/DatabaseSchema.h"
#include "generators/SchemaModel.h"
#include "migration/MigrationPlan.h"

#include <string>
#include <vector>

namespace quorrel {

// Counts the rows a data-losing change would cut or break, by running a
// SELECT COUNT(*) on the database the plan is made for.
class RowCounter {
public:
    virtual ~RowCounter() = default;
    virtual long long Count(const std::string& sql) = 0;
};

// Plans the change of a database from the structure it has to the structure
// the model gives it. The identity of each table and column of the database
// comes from the records of the models the site was generated from (and from
// today's model, which names a table or column no record names): renames
// follow identities, never names or types. What no record explains, and what
// was changed by hand since its record, is named and left alone. Changes
// that can lose data are planned but left out of the script unless
// allowDataLoss is set.
class TMigrationPlanner {
public:
    struct Input {
        const TDatabaseSchema& database;
        std::string tablePrefix;
        const std::vector<TSchemaModel>& records;  // of earlier runs, any order
        const TSchemaModel& target;                // today's model
        bool allowDataLoss = false;
        RowCounter* counter = nullptr;             // none: rows are not counted
    };

    static TMigrationPlan Plan(const Input& input);

    // A hash of the part of the database's structure a plan reads (the
    // tables with the prefix, their columns and keys), to tell whether the
    // database changed between planning and applying.
    static std::string Fingerprint(const TDatabaseSchema& database, const std::string& tablePrefix);
};

} // namespace quorrel
