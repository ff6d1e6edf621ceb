#include "generators/DataBaseSql.h"

#include "generators/LineWriter.h"
#include "generators/SchemaModel.h"
#include "generators/TemplateFill.h"
#include "base/Error.h"

#include <optional>
#include <utility>

namespace quorrel {

// A comment as the inside of an SQL string literal: a single quote is
// doubled and a backslash doubled, so no comment can end the literal early;
// a line break is written as its escape, so every column stays on one line
// of the script whatever line ends the client that runs it expects.
std::string SqlCommentText(const std::string& comment) {
    std::string text;
    for (char c : comment) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\'' || c == '\\')
            text += std::string(2, c);
        else
            text += c;
    }
    return text;
}

TDataBaseSql::TDataBaseSql(std::string scriptTemplate) : scriptTemplate_(std::move(scriptTemplate)) {}

std::string TDataBaseSql::BuildScript(const TProjectSnapshot& project, const std::string& tablePrefix) const {
    TLineWriter tables({{"prefix", tablePrefix}});
    TLineWriter foreignKeys({{"prefix", tablePrefix}});

    for (const TTableModel& table : TSchemaModel::Of(project).tables) {
        const TColumnModel& key = table.columns.front();
        tables.Set("table", table.name);
        tables.Set("key", key.name);
        foreignKeys.Set("table", table.name);

        tables.Line("CREATE TABLE IF NOT EXISTS `{prefix}{table}` (");
        for (const TColumnModel& column : table.columns) {
            tables.Line("  `{member}` {definition} COMMENT '{comment}',",
                        {{"member", column.name},
                         {"definition", column.Definition()},
                         {"comment", SqlCommentText(column.comment)}});
            // A reference member's foreign key comes after all tables.
            if (column.IsReference())
                foreignKeys.Line("ALTER TABLE {prefix}{table} ADD CONSTRAINT FOREIGN KEY ({member}) REFERENCES "
                                 "{prefix}{referenced}({refKey});",
                                 {{"member", column.name},
                                  {"referenced", column.referencedTable},
                                  {"refKey", column.referencedColumn}});
        }

        tables.Line("  PRIMARY KEY (`{key}`)");
        if (key.autoIncrement)
            tables.Line(") ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;");
        else
            tables.Line(") ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin;");
        tables.Line();
    }

    const std::string statements = tables.Text() + foreignKeys.Text();
    return FillTemplate(scriptTemplate_, {{"$sqlString", statements}, {"$dbprefix", tablePrefix}});
}

} // namespace quorrel
