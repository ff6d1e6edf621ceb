#pragma once
#include <string>

namespace quorrel {

// The present time in UTC as ISO 8601, e.g. "2026-12-09T12:50:15Z".
std::string UtcNow();

} // namespace quorrel
