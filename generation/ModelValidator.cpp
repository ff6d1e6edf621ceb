#include "generation/ModelValidator.h"

#include "generators/ModelLookup.h"
#include "generators/Names.h"
#include "base/Error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace quorrel {
namespace {

// MariaDB 10.11 reserved words (those that cannot be used unquoted).
constexpr std::array<std::string_view, 251> kReserved = {
    "accessible", "add", "all", "alter", "analyze", "and", "as", "asc", "asensitive", "before", "between",
    "bigint", "binary", "blob", "both", "by", "call", "cascade", "case", "change", "char", "character", "check",
    "collate", "column", "condition", "constraint", "continue", "convert", "create", "cross", "current_date",
    "current_role", "current_time", "current_timestamp", "current_user", "cursor", "database", "databases",
    "day_hour", "day_microsecond", "day_minute", "day_second", "dec", "decimal", "declare", "default", "delayed",
    "delete", "delete_domain_id", "desc", "describe", "deterministic", "distinct", "distinctrow", "div",
    "do_domain_ids", "double", "drop", "dual", "each", "else", "elseif", "enclosed", "escaped", "except",
    "exists", "exit", "explain", "false", "fetch", "float", "float4", "float8", "for", "force", "foreign", "from",
    "fulltext", "general", "grant", "group", "having", "high_priority", "hour_microsecond", "hour_minute",
    "hour_second", "if", "ignore", "ignore_domain_ids", "ignore_server_ids", "in", "index", "infile", "inner",
    "inout", "insensitive", "insert", "int", "int1", "int2", "int3", "int4", "int8", "integer", "intersect",
    "interval", "into", "is", "iterate", "join", "key", "keys", "kill", "leading", "leave", "left", "like",
    "limit", "linear", "lines", "load", "localtime", "localtimestamp", "lock", "long", "longblob", "longtext",
    "loop", "low_priority", "master_heartbeat_period", "master_ssl_verify_server_cert", "match", "maxvalue",
    "mediumblob", "mediumint", "mediumtext", "middleint", "minute_microsecond", "minute_second", "mod",
    "modifies", "natural", "not", "no_write_to_binlog", "null", "numeric", "offset", "on", "optimize", "option",
    "optionally", "or", "order", "out", "outer", "outfile", "over", "page_checksum", "parse_vcol_expr",
    "partition", "position", "precision", "primary", "procedure", "purge", "range", "read", "reads",
    "read_write", "real", "recursive", "ref_system_id", "references", "regexp", "release", "rename", "repeat",
    "replace", "require", "resignal", "restrict", "return", "returning", "revoke", "right", "rlike", "rows",
    "row_number", "schema", "schemas", "second_microsecond", "select", "sensitive", "separator", "set", "show",
    "signal", "slow", "smallint", "spatial", "specific", "sql", "sqlexception", "sqlstate", "sqlwarning",
    "sql_big_result", "sql_calc_found_rows", "sql_small_result", "ssl", "starting", "stats_auto_recalc",
    "stats_persistent", "stats_sample_pages", "straight_join", "table", "terminated", "then", "tinyblob",
    "tinyint", "tinytext", "to", "trailing", "trigger", "true", "undo", "union", "unique", "unlock",
    "unsigned", "update", "usage", "use", "using", "utc_date", "utc_time", "utc_timestamp", "values",
    "varbinary", "varchar", "varcharacter", "varying", "when", "where", "while", "window", "with", "write",
    "xor", "year_month", "zerofill",
};

std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The reasons a name makes a site that cannot run; empty when it is fine.
std::vector<std::string> NameProblems(const std::string& name, const char* tableOrColumn) {
    std::vector<std::string> problems;
    if (!IsPhpIdentifier(name))
        problems.push_back("“" + name + "”不是合法的PHP变量名（只能由字母、数字、下划线组成且不能以数字开头），生成的页面无法运行");
    if (IsMySqlReservedWord(name))
        problems.push_back("“" + name + "”是MySQL保留字，生成的SQL语句不加引号地用它作" + tableOrColumn + "，无法执行");
    return problems;
}

} // namespace

bool IsSafeFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
    });
}

bool IsPhpIdentifier(const std::string& name) {
    if (name.empty())
        return false;
    auto letter = [](unsigned char c) { return c == '_' || std::isalpha(c) || c >= 0x80; };
    if (!letter(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return letter(u) || std::isdigit(u);
    });
}

bool IsMySqlReservedWord(const std::string& name) {
    const std::string lowered = AsciiLower(name);
    return std::find(kReserved.begin(), kReserved.end(), lowered) != kReserved.end();
}

ModelValidator::ModelValidator(const TProjectSnapshot& project) : project_(project) {}

namespace {

// Characters, not bytes, of UTF-8 text: MySQL counts its limits so.
std::size_t CharacterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void CheckLength(const std::string& text, std::size_t limit, const std::string& what) {
    if (CharacterCount(text) > limit)
        throw Error(what + "过长（" + std::to_string(CharacterCount(text)) + "个字符），最多" + std::to_string(limit) +
                    "个字符，请先修改");
}

} // namespace

void ModelValidator::CheckLengths() const {
    CheckLength(project_.ProjectName(), kMaxNameLength, "项目名称");
    for (const TClassSnapshot& cls : project_.Classes()) {
        // Only a short prefix of a name that may be huge goes into the message.
        const std::string shown = cls.ClassName().substr(0, 64);
        CheckLength(cls.ClassName(), kMaxNameLength, "类名“" + shown + "”");
        CheckLength(cls.FriendName(), kMaxFriendNameLength, "类" + shown + "的中文名称");
        for (const TMember& m : cls.Members()) {
            const std::string member = "类" + shown + "的成员" + m.memberName.substr(0, 64);
            CheckLength(m.memberName, kMaxNameLength, member + "的名称");
            CheckLength(m.memberType, kMaxNameLength, member + "的类型");
            CheckLength(m.memberComment, kMaxCommentLength, member + "的说明");
            // Models written by older versions may hold any number here; the
            // pages size fields from it.
            if (m.memberLength < 0 || m.memberLength > kMaxTextLength)
                throw Error(member + "的长度" + std::to_string(m.memberLength) + "超出范围，应在0到" +
                            std::to_string(kMaxTextLength) + "之间，请先修改");
        }
    }
}

void ModelValidator::CheckWritable(const std::string& projectName) const {
    CheckLengths();
    if (!IsSafeFileName(projectName))
        throw Error("项目名称“" + projectName +
                    "”不能用作文件夹名（不能为空、不能是.或..、不能含/、\\或控制字符），请先修改项目名称");
    for (const TClassSnapshot& cls : project_.Classes()) {
        const std::string& className = cls.ClassName();
        if (!IsSafeFileName(className))
            throw Error("类名“" + className +
                        "”不能用作文件名（不能为空、不能是.或..、不能含/、\\或控制字符），请先修改类名");
        // The list page searches strings, dates and references only.
        for (const TMember& search : cls.SearchMembers()) {
            const std::string& type = search.memberType;
            if (type == kTypeInteger || type == kTypeFloat || type == kTypeImage)
                throw Error("类" + className + "的成员" + search.memberName + "是" + type +
                            "，不能参与查询，请取消它的“是否参与查询”标志");
        }
        for (const TMember& reference : cls.ReferenceMembers())
            ResolveReference(project_, className, reference);
    }
}

std::vector<std::string> ModelValidator::Warnings() const {
    std::vector<std::string> lines;
    for (const TClassList::value_type& entry : project_.ClassList()) {
        for (const auto& problem : NameProblems(LowerFirst(entry.name), "表名"))
            lines.push_back("警告：类" + entry.name + "：" + problem);
        // Smarty takes the class name as a loop name, which must be ASCII.
        if (IsPhpIdentifier(entry.name) &&
            std::any_of(entry.name.begin(), entry.name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            lines.push_back("警告：类" + entry.name + "：“" + entry.name +
                            "”含有非英文字符，Smarty模板不能用它作循环名，生成的列表、添加和编辑页面无法编译");
        for (const TMember& m : project_.ClassById(entry.id).Members()) {
            const std::string& member = m.memberName;
            for (const auto& problem : NameProblems(member, "列名"))
                lines.push_back("警告：类" + entry.name + "的成员" + member + "：" + problem);
        }
    }
    return lines;
}

} // namespace quorrel
