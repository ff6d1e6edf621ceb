#include "model/Names.h"

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

} // namespace

std::string LowerFirst(const std::string& name) {
    std::string lowered = name;
    if (!lowered.empty() && lowered[0] >= 'A' && lowered[0] <= 'Z')
        lowered[0] = static_cast<char>(lowered[0] + ('a' - 'A'));
    return lowered;
}

std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::size_t CharacterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool HasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool IsSafeFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
    });
}

bool IsModelName(const std::string& name) {
    if (name.empty())
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool asciiLetterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        return u >= 0x80 || asciiLetterOrDigit || c == '_' || c == ' ';
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

} // namespace quorrel
