#include "model/Member.h"

namespace quorrel {

bool IsBasicType(const std::string& memberType) {
    return memberType == kTypeString || memberType == kTypeInteger || memberType == kTypeFloat ||
           memberType == kTypeDate || memberType == kTypeImage;
}

} // namespace quorrel
