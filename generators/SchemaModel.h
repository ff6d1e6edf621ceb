#pragma once
#include "model/ProjectSnapshot.h"

#include <string>
#include <vector>

namespace quorrel {

// One column as the MySQL script creates it.
struct TColumnModel {
    std::string uid;      // the member's identity
    std::string name;     // the member's name
    std::string type;     // "int(11)", "varchar(40)", "float", "date", "text"
    bool binary = false;  // COLLATE utf8_bin (text types)
    bool nullable = false;
    bool autoIncrement = false;
    std::string comment;  // as stored in the model, unescaped
    // A reference member: the referenced class's identity and table (without
    // the prefix) and its key column. Empty otherwise.
    std::string referencesUid;
    std::string referencedTable;
    std::string referencedColumn;

    bool IsReference() const { return !referencesUid.empty() || !referencedTable.empty(); }
    // The column's type and flags as the script writes them, before COMMENT:
    // "varchar(40) COLLATE utf8_bin NOT NULL".
    std::string Definition() const;
    bool operator==(const TColumnModel&) const = default;
};

// One table of the script: the key column first, then the other members in
// member order.
struct TTableModel {
    std::string uid;        // the class's identity
    std::string className;
    std::string name;       // lowerClassName, without the table prefix
    std::string keyUid;     // the key member's identity
    std::vector<TColumnModel> columns;

    const TColumnModel* Column(const std::string& columnName) const;
    const TColumnModel* ColumnByUid(const std::string& memberUid) const;
    bool operator==(const TTableModel&) const = default;
};

// The structure the MySQL script gives a project's database, with the
// identity of every table and column: what the script is written from, and
// what a run records of the model it generated.
struct TSchemaModel {
    std::vector<TTableModel> tables;

    // Every class of the project in class order. Raises quorrel::Error for a
    // class without a key member or a reference that names no class.
    static TSchemaModel Of(const TProjectSnapshot& project);

    const TTableModel* Table(const std::string& tableName) const;
    const TTableModel* TableByUid(const std::string& classUid) const;

    // The record as JSON text (stable: the same model gives the same bytes)
    // and back; FromJson raises quorrel::Error for a text not of this form.
    std::string ToJson() const;
    static TSchemaModel FromJson(const std::string& text);
    bool operator==(const TSchemaModel&) const = default;
};

} // namespace quorrel
