#pragma once
#include <string>
#include <vector>

namespace quorrel {

// One literal taken out of a statement: a quoted text or an integer.
struct SqlLiteral {
    bool isText = false;
    std::string text;  // the text without quotes, doubled quotes undone
    long long number = 0;

    bool operator==(const SqlLiteral&) const = default;
};

// A statement with its literals replaced by "?" parameters, so statements
// that differ only in their values share one prepared statement.
struct SqlShape {
    std::string text;
    std::vector<SqlLiteral> literals;
};

// The shape of a SELECT, INSERT, UPDATE or DELETE statement; nullopt-like
// empty text for any other statement, or one whose literals could carry
// meaning as parameters would not (ORDER BY / GROUP BY positions).
SqlShape ShapeOf(const std::string& sql);

} // namespace quorrel
