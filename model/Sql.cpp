#include "model/Sql.h"

#include "model/Error.h"

namespace quorrel {

std::string SqlText(const std::string& value) {
    if (value.find('\0') != std::string::npos)
        throw Error("a text value contains a NUL character, which the model cannot store");
    std::string literal = "'";
    for (char c : value) {
        literal += c;
        if (c == '\'')
            literal += '\'';
    }
    literal += '\'';
    return literal;
}

} // namespace quorrel
