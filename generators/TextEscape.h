#pragma once
#include <string>
#include <string_view>

namespace quorrel {

// Model text written into a generated file, escaped for the place it lands
// in. Text without the characters named below comes back unchanged, so a
// plain model generates the same bytes as before.

// Inside a PHP double-quoted string: \ " $.
std::string EscapePhpDoubleQuoted(std::string_view text);
// Inside a PHP single-quoted string: \ '.
std::string EscapePhpSingleQuoted(std::string_view text);
// Inside a PHP comment (//, /* */ or a doc comment): a line break becomes a
// space, "?>" becomes "? >" and "*/" becomes "* /", so the text can neither
// end the comment nor leave PHP.
std::string EscapePhpComment(std::string_view text);
// In a page's HTML (text, attribute values, titles): & < > ". With < and >
// escaped no text can open a template tag "<{".
std::string EscapeHtml(std::string_view text);
// Inside a single-quoted JavaScript string that sits in an HTML attribute
// (an onClick): \ and ' for the script, then the HTML escapes.
std::string EscapeJsInHtmlAttribute(std::string_view text);

} // namespace quorrel
