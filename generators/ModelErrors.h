#pragma once
#include "model/Error.h"

#include <string>

namespace quorrel {

// The errors raised for a model the generators cannot work from, worded
// once for the script, the controllers, the pages and the run's own check.
Error NoKeyMember(const std::string& className);
Error UnknownReference(const std::string& className, const std::string& memberName, const std::string& memberType);
Error ReferenceWithoutKey(const std::string& className, const std::string& memberName, const std::string& memberType);
Error ReferenceWithoutDisplay(const std::string& className, const std::string& memberName,
                              const std::string& memberType);

} // namespace quorrel
