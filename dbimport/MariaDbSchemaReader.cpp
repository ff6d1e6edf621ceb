#include "dbimport/MariaDbSchemaReader.h"

#include "dbimport/MariaDbConnection.h"

#include <cstring>
#include <optional>
#include <vector>

namespace quorrel {
namespace {

using Row = TMariaDbConnection::Row;

std::string Text(const Row& row, std::size_t i) { return row.at(i).value_or(""); }
int Int(const Row& row, std::size_t i) { return row.at(i) ? std::stoi(*row[i]) : 0; }

} // namespace

std::string TMariaDbSchemaReader::TestConnection(const TConnectionSettings& settings) {
    return TMariaDbConnection(settings).ServerInfo();
}

TDatabaseSchema TMariaDbSchemaReader::ReadSchema(const TConnectionSettings& settings) {
    TMariaDbConnection connection(settings);
    return ReadSchema(connection);
}

TDatabaseSchema TMariaDbSchemaReader::ReadSchema(TMariaDbConnection& connection) {
    const std::string database = connection.Query("SELECT DATABASE()").at(0).at(0).value_or("");
    TDatabaseSchema schema;
    schema.database = database;

    for (const Row& row : connection.Query(
                                "SELECT TABLE_NAME, TABLE_TYPE, TABLE_COMMENT FROM information_schema.TABLES "
                                "WHERE TABLE_SCHEMA = ?",
                                {database}))
        schema.tables.push_back({Text(row, 0), Text(row, 1) != "BASE TABLE", Text(row, 2)});

    for (const Row& row : connection.Query(
                                "SELECT TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE, COLUMN_TYPE, "
                                "CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, COLUMN_COMMENT, EXTRA, COLUMN_DEFAULT "
                                "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = ?",
                                {database})) {
        TDatabaseSchema::Column column;
        column.table = Text(row, 0);
        column.name = Text(row, 1);
        column.position = Int(row, 2);
        column.dataType = Text(row, 3);
        column.columnType = Text(row, 4);
        if (row.at(5))
            column.maxLength = std::stoll(*row[5]);
        column.nullable = Text(row, 6) == "YES";
        column.comment = Text(row, 7);
        column.extra = Text(row, 8);
        column.defaultValue = row.at(9);
        schema.columns.push_back(std::move(column));
    }

    for (const Row& row : connection.Query(
                                "SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME, ORDINAL_POSITION, "
                                "REFERENCED_TABLE_SCHEMA, REFERENCED_TABLE_NAME, REFERENCED_COLUMN_NAME "
                                "FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = ?",
                                {database}))
        schema.keyColumns.push_back(
            {Text(row, 0), Text(row, 1), Text(row, 2), Int(row, 3), Text(row, 4), Text(row, 5), Text(row, 6)});

    // MariaDB stores a JSON column as longtext with a json_valid() check;
    // its CHECK_CONSTRAINTS view names the table (MySQL's does not, and
    // MySQL reports such a column as json itself).
    if (connection.ServerInfo().find("MariaDB") != std::string::npos && connection.ServerVersion() >= 100200)
        for (const Row& row : connection.Query(
                                    "SELECT TABLE_NAME, CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS "
                                    "WHERE CONSTRAINT_SCHEMA = ?",
                                    {database}))
            schema.checks.push_back({Text(row, 0), Text(row, 1)});
    return schema;
}

} // namespace quorrel
