#include "model/ModelLookup.h"

#include "model/Names.h"
#include "base/Error.h"

namespace quorrel {
namespace {

std::string Member(const std::string& className, const TMember& member) {
    return "类" + className + "的成员" + member.memberName;
}

} // namespace

const TMember& RequireKeyMember(const TClassSnapshot& cls) {
    const TMember* key = cls.KeyMember();
    if (!key)
        throw Error("类" + cls.ClassName() + "没有主键成员，请先为它设置主键");
    return *key;
}

const TMember& RequireDisplayMember(const TClassSnapshot& cls) {
    const TMember* display = cls.DisplayMember();
    if (!display)
        throw Error("类" + cls.ClassName() + "没有下拉框显示成员，请先为它设置显示成员");
    return *display;
}

const TMember& ResolveReferenceKey(const TProjectSnapshot& project, const std::string& className,
                                   const TMember& member) {
    const std::string& type = member.memberType;
    if (!project.FindClass(type))
        throw Error(Member(className, member) + "的类型“" + type + "”不是本项目的类，请修改该成员的类型");
    const TMember* key = project.KeyMemberOfClass(type);
    if (!key)
        throw Error(Member(className, member) + "引用的类“" + type + "”没有主键成员，请先为它设置主键");
    return *key;
}

TReferencedClass ResolveReference(const TProjectSnapshot& project, const std::string& className,
                                  const TMember& member) {
    const TMember& key = ResolveReferenceKey(project, className, member);
    const TMember* display = project.DisplayMemberOfClass(member.memberType);
    if (!display)
        throw Error(Member(className, member) + "引用的类“" + member.memberType +
                    "”没有下拉框显示成员，请先为它设置显示成员");
    return {LowerFirst(member.memberType), key, *display};
}

} // namespace quorrel
