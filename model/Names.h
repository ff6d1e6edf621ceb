#pragma once
#include <cstddef>
#include <string>

namespace quorrel {

// The model's rules for one name or text, whoever asks: the dialogs, the
// JSON import, the database import and the generation run.

// The name with its first character lowered when it is an ASCII capital;
// any other first character (small letter, digit, Chinese) stays. A class's
// table and file names are its name so lowered.
std::string LowerFirst(const std::string& name);

// The text with its ASCII capitals lowered: names as MySQL and
// case-insensitive file systems compare them.
std::string AsciiLower(std::string text);

// Characters, not bytes, of UTF-8 text: MySQL counts its limits so.
std::size_t CharacterCount(const std::string& text);

// True when the text holds a character beyond ASCII.
bool HasNonAscii(const std::string& text);

// True when the name can be a file or folder name inside the site (the
// project's name; class and member names keep the stricter IsModelName).
bool IsSafeFileName(const std::string& name);
// True when a class or member name holds only letters, digits, underscores,
// spaces and characters beyond ASCII (Chinese among them), and is not empty:
// it names files, and stands in PHP code, SQL and templates, where any other
// character could be code.
bool IsModelName(const std::string& name);
// True when $name is a valid PHP variable.
bool IsPhpIdentifier(const std::string& name);
// True when MySQL/MariaDB reserve the word (case-insensitive).
bool IsMySqlReservedWord(const std::string& name);

} // namespace quorrel
