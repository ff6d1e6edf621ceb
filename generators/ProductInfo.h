#pragma once

namespace quorrel {

// The product's home page: the help page shipped with the resources,
// opened by the desktop program's banner and named in generated headers.
inline constexpr const char* kHomePagePath = "help/index.html";

} // namespace quorrel
