#include "model/SqlShape.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quorrel {
namespace {

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

std::string LowerAscii(const std::string& text) {
    std::string lowered = text;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

bool StartsWithDataStatement(const std::string& lowered) {
    const auto start = lowered.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return false;
    for (const char* word : {"select", "insert", "update", "delete"})
        if (lowered.compare(start, std::char_traits<char>::length(word), word) == 0)
            return true;
    return false;
}

} // namespace

SqlShape ShapeOf(const std::string& sql) {
    const std::string lowered = LowerAscii(sql);
    if (!StartsWithDataStatement(lowered) || lowered.find("order by") != std::string::npos ||
        lowered.find("group by") != std::string::npos)
        return {};

    SqlShape shape;
    shape.text.reserve(sql.size());
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'') {
            SqlLiteral literal{true, {}, 0};
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= sql.size())
                    return {};  // an unterminated text: let the engine report it
                if (sql[j] == '\'') {
                    if (j + 1 < sql.size() && sql[j + 1] == '\'') {
                        literal.text += '\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                literal.text += sql[j];
            }
            shape.literals.push_back(std::move(literal));
            shape.text += '?';
            i = j + 1;
        } else if (c == '"' || c == '`' || c == '[') {
            // A quoted name is kept as it is.
            const char close = c == '[' ? ']' : c;
            const std::size_t end = sql.find(close, i + 1);
            if (end == std::string::npos)
                return {};
            shape.text.append(sql, i, end - i + 1);
            i = end + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) && (i == 0 || (!IsWordChar(sql[i - 1]) && sql[i - 1] != '.'))) {
            std::size_t j = i;
            while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                ++j;
            long long number = 0;
            const bool standsAlone = j == sql.size() || (!IsWordChar(sql[j]) && sql[j] != '.');
            auto [end, ec] = std::from_chars(sql.data() + i, sql.data() + j, number);
            if (standsAlone && ec == std::errc()) {
                shape.literals.push_back({false, {}, number});
                shape.text += '?';
            } else {
                shape.text.append(sql, i, j - i);
            }
            i = j;
        } else if (IsWordChar(c)) {
            std::size_t j = i;
            while (j < sql.size() && IsWordChar(sql[j]))
                ++j;
            shape.text.append(sql, i, j - i);
            i = j;
        } else {
            shape.text += c;
            ++i;
        }
    }
    return shape;
}

} // namespace quorrel
