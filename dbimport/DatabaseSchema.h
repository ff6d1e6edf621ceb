#pragma once
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// The structure of one MySQL/MariaDB database as information_schema
// describes it: the rows of the four views the import reads, with no
// interpretation. Rows may come in any order.
struct TDatabaseSchema {
    struct Table {
        std::string name;
        bool isView = false;
        std::string comment;
    };
    struct Column {
        std::string table;
        std::string name;
        int position = 0;                    // ORDINAL_POSITION, from 1
        std::string dataType;                // DATA_TYPE, e.g. "varchar"
        std::string columnType;              // COLUMN_TYPE, e.g. "varchar(40)"
        std::optional<long long> maxLength;  // CHARACTER_MAXIMUM_LENGTH
        bool nullable = false;
        std::string comment;
        std::string extra;                   // EXTRA, e.g. "auto_increment"
        std::optional<std::string> defaultValue;  // COLUMN_DEFAULT as the server writes it
    };
    // One column of a primary key, unique key or foreign key.
    struct KeyColumn {
        std::string table;
        std::string constraint;              // "PRIMARY" for the primary key
        std::string column;
        int position = 0;                    // place of the column in the key, from 1
        std::string referencedSchema;        // the rest is empty unless a foreign key
        std::string referencedTable;
        std::string referencedColumn;
    };
    // A CHECK constraint (MariaDB declares a JSON column as longtext with one).
    struct Check {
        std::string table;
        std::string clause;
    };

    std::string database;
    std::vector<Table> tables;
    std::vector<Column> columns;
    std::vector<KeyColumn> keyColumns;
    std::vector<Check> checks;
};

} // namespace quorrel
