#include "generators/TextEscape.h"

namespace quorrel {
namespace {

// Each character of `text` that `replace` gives a replacement for is
// replaced; the others are copied.
template <typename Replace>
std::string Map(std::string_view text, Replace replace) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (const char* with = replace(c))
            out += with;
        else
            out += c;
    }
    return out;
}

} // namespace

std::string EscapePhpDoubleQuoted(std::string_view text) {
    return Map(text, [](char c) -> const char* {
        switch (c) {
        case '\\': return "\\\\";
        case '"': return "\\\"";
        case '$': return "\\$";
        default: return nullptr;
        }
    });
}

std::string EscapePhpSingleQuoted(std::string_view text) {
    return Map(text, [](char c) -> const char* {
        switch (c) {
        case '\\': return "\\\\";
        case '\'': return "\\'";
        default: return nullptr;
        }
    });
}

std::string EscapePhpComment(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF is one line break, hence one space.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else if ((c == '?' || c == '*') && i + 1 < text.size() && text[i + 1] == (c == '?' ? '>' : '/')) {
            out += c;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string EscapeHtml(std::string_view text) {
    return Map(text, [](char c) -> const char* {
        switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        default: return nullptr;
        }
    });
}

std::string EscapeJsInHtmlAttribute(std::string_view text) {
    return EscapeHtml(EscapePhpSingleQuoted(text));
}

} // namespace quorrel
