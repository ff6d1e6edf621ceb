#include "generators/DataBaseSql.h"

#include "base/FileOperate.h"
#include "generators/LineWriter.h"
#include "generators/ModelLookup.h"
#include "generators/Names.h"
#include "generators/TemplateFill.h"
#include "base/Error.h"

#include <optional>
#include <utility>

namespace quorrel {

namespace {

// A comment as the inside of an SQL string literal: a single quote is
// doubled and a backslash doubled, so no comment can end the literal early;
// a line break is written as its escape, so every column stays on one line
// of the script whatever line ends the client that runs it expects.
std::string CommentText(const std::string& comment) {
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

} // namespace

TDataBaseSql::TDataBaseSql(TFolders folders) : folders_(std::move(folders)) {}

std::string TDataBaseSql::BuildScript(const TProjectSnapshot& project, const std::string& tablePrefix) const {
    TLineWriter tables({{"prefix", tablePrefix}});
    TLineWriter foreignKeys({{"prefix", tablePrefix}});

    for (const TClassSnapshot& cls : project.Classes()) {
        const std::string& className = cls.ClassName();
        const TMember& key = RequireKeyMember(cls);
        tables.Set("table", LowerFirst(className));
        tables.Set("key", key.memberName);
        foreignKeys.Set("table", LowerFirst(className));

        tables.Line("CREATE TABLE IF NOT EXISTS `{prefix}{table}` (");
        if (key.memberIsInteger == 1)
            tables.Line("  `{key}` int(11) NOT NULL AUTO_INCREMENT COMMENT '{comment}',",
                        {{"comment", CommentText(key.memberComment)}});
        else
            tables.Line("  `{key}` varchar({length}) COLLATE utf8_bin NOT NULL COMMENT '{comment}',",
                        {{"length", std::to_string(key.memberLength)}, {"comment", CommentText(key.memberComment)}});

        for (const TMember& member : cls.NonKeyMembers()) {
            const std::string& memberType = member.memberType;
            int length = member.memberLength;
            const char* column = nullptr;
            if (memberType == kTypeString && member.memberIsMust == 1)
                column = "varchar({length}) COLLATE utf8_bin NOT NULL";
            else if (memberType == kTypeString)
                column = "varchar({length}) COLLATE utf8_bin NULL";
            else if (memberType == kTypeInteger)
                column = "int(11) NOT NULL";
            else if (memberType == kTypeFloat)
                column = "float NOT NULL";
            else if (memberType == kTypeDate)
                column = "date NOT NULL";
            else if (memberType == kTypeImage)
                column = "text COLLATE utf8_bin NOT NULL";
            else {
                // A reference member takes the referenced key's column type
                // and adds a foreign key after all tables.
                const TMember& refKey = ResolveReferenceKey(project, className, member);
                length = refKey.memberLength;
                column = refKey.memberIsInteger == 1 ? "int(11) NOT NULL" : "varchar({length}) COLLATE utf8_bin NOT NULL";
                foreignKeys.Line("ALTER TABLE {prefix}{table} ADD CONSTRAINT FOREIGN KEY ({member}) REFERENCES "
                                 "{prefix}{referenced}({refKey});",
                                 {{"member", member.memberName},
                                  {"referenced", LowerFirst(memberType)},
                                  {"refKey", refKey.memberName}});
            }
            tables.Line("  `{member}` " + std::string(column) + " COMMENT '{comment}',",
                        {{"member", member.memberName},
                         {"length", std::to_string(length)},
                         {"comment", CommentText(member.memberComment)}});
        }

        tables.Line("  PRIMARY KEY (`{key}`)");
        if (key.memberIsInteger == 1)
            tables.Line(") ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;");
        else
            tables.Line(") ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin;");
        tables.Line();
    }

    const std::string scriptTemplate = TFileOperate::ReadUtf8File(folders_.Resource("template/admin/mysql.sql"));
    const std::string statements = tables.Text() + foreignKeys.Text();
    return FillTemplate(scriptTemplate, {{"$sqlString", statements}, {"$dbprefix", tablePrefix}});
}

} // namespace quorrel
