#include "model/Member.h"

namespace quorrel {

bool IsBasicType(const std::string& memberType) {
    return memberType == kTypeString || memberType == kTypeInteger || memberType == kTypeFloat ||
           memberType == kTypeDate || memberType == kTypeImage;
}

bool IsReference(const std::string& memberType) {
    return !IsBasicType(memberType);
}

bool IsTextFilter(const std::string& memberType) {
    return memberType == kTypeString || memberType == kTypeDate;
}

bool IsSearchable(const std::string& memberType) {
    return IsTextFilter(memberType) || IsReference(memberType);
}

bool IsAlwaysRequired(const std::string& memberType) {
    return memberType != kTypeString && memberType != kTypeImage;
}

} // namespace quorrel
