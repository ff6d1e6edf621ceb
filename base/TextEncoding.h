#pragma once
#include <string>

namespace quorrel {

bool IsValidUtf8(const std::string& bytes);
// Converts text in the GBK code page to UTF-8; raises quorrel::Error when
// the bytes are not valid GBK either.
std::string GbkToUtf8(const std::string& bytes);

} // namespace quorrel
