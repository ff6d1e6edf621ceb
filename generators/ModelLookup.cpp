#include "generators/ModelLookup.h"

#include "generators/Names.h"
#include "model/ClassDAO.h"
#include "model/Error.h"
#include "model/MemberDAO.h"

namespace quorrel {
namespace {

std::string Member(const std::string& className, const TMember& member) {
    return "类" + className + "的成员" + member.memberName;
}

} // namespace

TMember RequireKeyMember(int classId, const std::string& className) {
    auto key = TMemberDAO().GetKeyMember(classId);
    if (!key)
        throw Error("类" + className + "没有主键成员，请先为它设置主键");
    return *key;
}

TMember ResolveReferenceKey(int projectId, const std::string& className, const TMember& member) {
    const std::string& type = member.memberType;
    if (TClassDAO().GetClassId(projectId, type) < 0)
        throw Error(Member(className, member) + "的类型“" + type + "”不是本项目的类，请修改该成员的类型");
    auto key = TMemberDAO().GetKeyMemberOfClass(projectId, type);
    if (!key)
        throw Error(Member(className, member) + "引用的类“" + type + "”没有主键成员，请先为它设置主键");
    return *key;
}

TReferencedClass ResolveReference(int projectId, const std::string& className, const TMember& member) {
    TMember key = ResolveReferenceKey(projectId, className, member);
    auto display = TMemberDAO().GetDisplayMemberOfClass(projectId, member.memberType);
    if (!display)
        throw Error(Member(className, member) + "引用的类“" + member.memberType +
                    "”没有下拉框显示成员，请先为它设置显示成员");
    return {LowerFirst(member.memberType), std::move(key), std::move(*display)};
}

} // namespace quorrel
