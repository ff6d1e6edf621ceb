#include "generators/DataBaseSql.h"

#include "base/FileOperate.h"
#include "generators/ModelLookup.h"
#include "generators/Names.h"
#include "base/Error.h"

#include <optional>
#include <utility>

namespace quorrel {

namespace {

// A comment as the inside of an SQL string literal: a single quote is
// doubled and a backslash doubled, so no comment can end the literal early.
std::string CommentText(const std::string& comment) {
    std::string text;
    for (char c : comment) {
        if (c == '\'' || c == '\\')
            text += c;
        text += c;
    }
    return text;
}

// Every occurrence of what, scanning forward; inserted text is not searched again.
std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with) {
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
        result.append(text, from, at - from);
        result += with;
        from = at + what.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

} // namespace

TDataBaseSql::TDataBaseSql(std::filesystem::path home) : home_(std::move(home)) {}

std::string TDataBaseSql::BuildScript(const TProjectSnapshot& project, const std::string& tablePrefix) const {
    std::string tableText;
    std::string alterText;

    for (const TClassSnapshot& cls : project.Classes()) {
        const std::string& className = cls.ClassName();
        const std::string lowerClassName = LowerFirst(className);
        const TMember& key = RequireKeyMember(cls);
        const std::string& keyName = key.memberName;

        tableText += "CREATE TABLE IF NOT EXISTS `" + tablePrefix + lowerClassName + "` (\r\n";
        if (key.memberIsInteger == 1)
            tableText += "  `" + keyName + "` int(11) NOT NULL AUTO_INCREMENT COMMENT '" +
                         CommentText(key.memberComment) + "',\r\n";
        else
            tableText += "  `" + keyName + "` varchar(" + std::to_string(key.memberLength) +
                         ") COLLATE utf8_bin NOT NULL COMMENT '" + CommentText(key.memberComment) + "',\r\n";

        for (const TMember& member : cls.NonKeyMembers()) {
            const std::string& memberName = member.memberName;
            const std::string& memberType = member.memberType;
            const std::string comment = CommentText(member.memberComment);
            std::string fragment;
            if (memberType == kTypeString && member.memberIsMust == 1)
                fragment = "` varchar(" + std::to_string(member.memberLength) +
                           ") COLLATE utf8_bin NOT NULL COMMENT '";
            else if (memberType == kTypeString)
                fragment = "` varchar(" + std::to_string(member.memberLength) +
                           ") COLLATE utf8_bin NULL COMMENT '";
            else if (memberType == kTypeInteger)
                fragment = "` int(11) NOT NULL COMMENT '";
            else if (memberType == kTypeFloat)
                fragment = "` float NOT NULL COMMENT '";
            else if (memberType == kTypeDate)
                fragment = "` date NOT NULL COMMENT '";
            else if (memberType == kTypeImage)
                fragment = "` text COLLATE utf8_bin NOT NULL COMMENT '";
            else {
                // A reference member takes the referenced key's column type
                // and adds a foreign key after all tables.
                const TMember& refKey = ResolveReferenceKey(project, className, member);
                if (refKey.memberIsInteger == 1)
                    fragment = "` int(11) NOT NULL COMMENT '";
                else
                    fragment = "` varchar(" + std::to_string(refKey.memberLength) +
                               ") COLLATE utf8_bin NOT NULL COMMENT '";
                alterText += "ALTER TABLE " + tablePrefix + lowerClassName + " ADD CONSTRAINT FOREIGN KEY (" +
                             memberName + ") REFERENCES " + tablePrefix + LowerFirst(memberType) + "(" +
                             refKey.memberName + ");\r\n";
            }
            tableText += "  `" + memberName + fragment + comment + "',\r\n";
        }

        tableText += "  PRIMARY KEY (`" + keyName + "`)\r\n";
        if (key.memberIsInteger == 1)
            tableText += ") ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;\r\n\r\n";
        else
            tableText += ") ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin;\r\n\r\n";
    }

    const std::string scriptTemplate = TFileOperate::ReadUtf8File(home_ / "template/admin/mysql.sql");
    return ReplaceAll(ReplaceAll(scriptTemplate, "$sqlString", tableText + alterText), "$dbprefix", tablePrefix);
}

} // namespace quorrel
