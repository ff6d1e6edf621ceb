#pragma once
#include <functional>

namespace quorrel {

// Which model check a class failed: every class needs exactly one
// primary-key member and exactly one display member to be generated.
enum class ModelCheck { Key, Display };

// Told of the first class that fails a check; the check waits until it returns.
using CheckFailedHandler = std::function<void(int classId, ModelCheck check)>;

} // namespace quorrel
