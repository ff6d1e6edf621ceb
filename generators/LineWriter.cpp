#include "generators/LineWriter.h"

#include "base/Error.h"

#include <algorithm>

namespace quorrel {
namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

TLineWriter::TLineWriter(Values values) {
    for (const auto& [name, value] : values)
        Set(name, std::string(value));
}

void TLineWriter::Set(std::string_view name, std::string value) {
    for (auto& [known, old] : values_)
        if (known == name) {
            old = std::move(value);
            return;
        }
    values_.emplace_back(std::string(name), std::move(value));
}

std::string_view TLineWriter::Lookup(std::string_view name, Values values, std::string_view pattern) const {
    for (const auto& [known, value] : values)
        if (known == name)
            return value;
    for (const auto& [known, value] : values_)
        if (known == name)
            return value;
    throw Error("generated line \"" + std::string(pattern) + "\" has no value for {" + std::string(name) + "}");
}

void TLineWriter::Line(std::string_view pattern, Values values) {
    text_.append(indent_);
    Piece(pattern, values);
    text_.append("\r\n");
}

void TLineWriter::Piece(std::string_view pattern, Values values) {
    std::size_t from = 0;
    while (from < pattern.size()) {
        const std::size_t open = pattern.find('{', from);
        if (open == std::string_view::npos)
            break;
        std::size_t end = open + 1;
        if (end < pattern.size() && IsLetter(pattern[end])) {
            while (end < pattern.size() && (IsLetter(pattern[end]) || IsDigit(pattern[end])))
                ++end;
            if (end < pattern.size() && pattern[end] == '}') {
                text_.append(pattern.substr(from, open - from));
                text_.append(Lookup(pattern.substr(open + 1, end - open - 1), values, pattern));
                from = end + 1;
                continue;
            }
        }
        // A brace that opens no place stands for itself.
        text_.append(pattern.substr(from, open + 1 - from));
        from = open + 1;
    }
    text_.append(pattern.substr(std::min(from, pattern.size())));
}

TLineWriter::Indent::Indent(TLineWriter& writer, std::string_view prefix)
    : writer_(writer), size_(writer.indent_.size()) {
    writer_.indent_.append(prefix);
}

TLineWriter::Indent::~Indent() {
    writer_.indent_.resize(size_);
}

} // namespace quorrel
