#pragma once

namespace quorrel {

// Which model check a class failed: every class needs exactly one
// primary-key member and exactly one display member to be generated
// (ModelValidator::FirstFailedCheck).
enum class ModelCheck { Key, Display };

} // namespace quorrel
