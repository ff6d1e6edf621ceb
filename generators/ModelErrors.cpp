#include "generators/ModelErrors.h"

namespace quorrel {
namespace {

std::string Member(const std::string& className, const std::string& memberName) {
    return "类" + className + "的成员" + memberName;
}

} // namespace

Error NoKeyMember(const std::string& className) {
    return Error("类" + className + "没有主键成员，请先为它设置主键");
}

Error UnknownReference(const std::string& className, const std::string& memberName, const std::string& memberType) {
    return Error(Member(className, memberName) + "的类型“" + memberType + "”不是本项目的类，请修改该成员的类型");
}

Error ReferenceWithoutKey(const std::string& className, const std::string& memberName, const std::string& memberType) {
    return Error(Member(className, memberName) + "引用的类“" + memberType + "”没有主键成员，请先为它设置主键");
}

Error ReferenceWithoutDisplay(const std::string& className, const std::string& memberName,
                              const std::string& memberType) {
    return Error(Member(className, memberName) + "引用的类“" + memberType +
                 "”没有下拉框显示成员，请先为它设置显示成员");
}

} // namespace quorrel
