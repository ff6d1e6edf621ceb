#pragma once
#include "dbimport/DatabaseSchema.h"
#include "model/ProjectSnapshot.h"

#include <string>
#include <vector>

namespace quorrel {

// A project made from a database's structure, with what was guessed and
// what could not be carried.
struct TSchemaImport {
    TProjectSnapshot project;
    // One line per class: the display member and the list members chosen.
    std::vector<std::string> guesses;
    // One warning per table, column or foreign key not carried as it is,
    // naming the table (and column) and what was done instead: the text of
    // a ReportLine::Warning.
    std::vector<std::string> warnings;
};

// Turns a database's structure into one project of the model:
//  - one class per base table whose name starts with the table prefix,
//    named after the table without the prefix, its first letter made a
//    capital; the table comment is the friendly name (else the table name);
//  - one member per column, in column order: integers "整型", char/varchar
//    "字符串" with their length, text kinds "字符串" of a fixed length,
//    date/datetime/timestamp "日期型", float/double/decimal "浮点型", a
//    column with a one-column foreign key to the key of another imported
//    table a reference to that class; the primary key is the key member,
//    NOT NULL the required flag, the column comment the comment (else the
//    column name);
//  - per class, the first text member (not the key when another exists) is
//    the display member, and the text members are the list members.
// Tables without a single-column key, names the model's rules refuse and
// columns of types the model has no member type for are skipped; each is
// named in a warning. Pure: reads nothing but its arguments.
class TSchemaMapper {
public:
    // The length given to a tinytext column and to the longer text kinds
    // (text, mediumtext, longtext, json): a varchar that fits any table.
    static constexpr int kTinyTextLength = 255;
    static constexpr int kTextLength = 1000;

    static TSchemaImport Map(const TDatabaseSchema& schema, const std::string& tablePrefix,
                             const std::string& projectName);
};

} // namespace quorrel
