#pragma once
#include <string>

namespace quorrel {

// A text value as an SQL string literal: between single quotes, every
// single quote doubled, so no text can end the literal early.
std::string SqlText(const std::string& value);

} // namespace quorrel
