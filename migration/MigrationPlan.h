#pragma once
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// One change that takes a table or column of the database to the model.
struct TMigrationChange {
    enum class Kind {
        DropForeignKey,
        DropTable,
        RenameTable,
        RenameColumn,
        ModifyColumn,
        AddColumn,
        DropColumn,
        ChangeKey,
        CreateTable,
        AddForeignKey,
    };
    Kind kind = Kind::ModifyColumn;
    std::string subject;  // what it changes, e.g. "php_goods.title → name"
    bool losesData = false;
    std::string reason;   // why it may lose data, or why it cannot be made
    bool blocked = false; // cannot be made at all (a name is taken)
    std::optional<long long> rows;  // rows it would cut or break, when counted
    std::string rowsWhat;           // what those rows are
    std::string note;     // what the script does that the reader should know (a default)

    // The table whose ALTER TABLE takes the clause (its name after renames);
    // empty for a change made by a statement of its own.
    std::string table;
    std::vector<std::string> before;  // statements before the table's ALTER TABLE
    std::string clause;               // one clause of it
    std::vector<std::string> after;   // statements after it
    std::string statement;            // a statement of its own (tables, foreign keys)

    bool included = true;  // in the script
};

// Everything a migration of one database does, in the order the script runs
// it, with what it leaves alone.
struct TMigrationPlan {
    std::string database;
    std::string tablePrefix;
    std::vector<TMigrationChange> changes;
    std::vector<std::string> unexplained;  // tables and columns no record explains, left alone
    std::vector<std::string> notes;        // what else the reader should know
    std::string fingerprint;               // of the structure the plan was made from
    bool allowDataLoss = false;

    // The session settings every run of the statements starts with: text as
    // utf8mb4, and (MariaDB 10.6 and later) utf8 meaning utf8mb4, as in the
    // creation script.
    static const std::vector<std::string>& SessionSettings();

    // The statements of the included changes, one statement each, in order.
    std::vector<std::string> Statements() const;
    // Data-losing or blocked changes that are not in the script.
    std::size_t LeftOut() const;
    bool Empty() const { return Statements().empty(); }
    // The script: the summary as comments, then the statements.
    std::string Script() const;
    // The summary lines alone (without the comment marks).
    std::vector<std::string> Summary() const;
};

// The Chinese name of a kind of change, as the summary counts them.
const char* KindName(TMigrationChange::Kind kind);

} // namespace quorrel
