#include "generators/Names.h"

namespace quorrel {

std::string LowerFirst(const std::string& name) {
    std::string lowered = name;
    if (!lowered.empty() && lowered[0] >= 'A' && lowered[0] <= 'Z')
        lowered[0] = static_cast<char>(lowered[0] + ('a' - 'A'));
    return lowered;
}

} // namespace quorrel
