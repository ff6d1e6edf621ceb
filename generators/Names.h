#pragma once
#include <string>

namespace quorrel {

// The name with its first character lowered when it is an ASCII capital;
// any other first character (small letter, digit, Chinese) stays.
std::string LowerFirst(const std::string& name);

} // namespace quorrel
