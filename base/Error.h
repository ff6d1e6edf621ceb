#pragma once
#include <stdexcept>
#include <string>

namespace quorrel {

// The one exception type of the core. The GUI, the command line and the
// tests are the only places that catch it.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace quorrel
