#include "model/ClassSnapshot.h"

namespace quorrel {

TClassSnapshot::TClassSnapshot(int classId, std::string className, std::string friendName,
                               std::vector<TMember> members, std::string classUid)
    : classId_(classId),
      className_(std::move(className)),
      friendName_(std::move(friendName)),
      members_(std::move(members)),
      classUid_(std::move(classUid)) {}

const TMember* TClassSnapshot::KeyMember() const {
    for (const TMember& m : members_)
        if (m.memberIsPri == 1)
            return &m;
    return nullptr;
}

const TMember* TClassSnapshot::DisplayMember() const {
    for (const TMember& m : members_)
        if (m.memberIsDisplay == 1)
            return &m;
    return nullptr;
}

int TClassSnapshot::CountKeyMembers() const {
    return static_cast<int>(Select([](const TMember& m) { return m.memberIsPri == 1; }).size());
}

int TClassSnapshot::CountDisplayMembers() const {
    return static_cast<int>(Select([](const TMember& m) { return m.memberIsDisplay == 1; }).size());
}

TMemberRefs TClassSnapshot::Select(const std::function<bool(const TMember&)>& wanted) const {
    TMemberRefs selected;
    for (const TMember& m : members_)
        if (wanted(m))
            selected.push_back(std::cref(m));
    return selected;
}

TMemberRefs TClassSnapshot::ImageMembers() const {
    return Select([](const TMember& m) { return m.memberType == kTypeImage; });
}

TMemberRefs TClassSnapshot::ReferenceMembers() const {
    return Select([](const TMember& m) { return IsReference(m.memberType); });
}

TMemberRefs TClassSnapshot::SearchMembers() const {
    return Select([](const TMember& m) { return m.queryFlag == 1; });
}

TMemberRefs TClassSnapshot::ListMembers() const {
    return Select([](const TMember& m) { return m.memberQueryDisplay == 1; });
}

TMemberRefs TClassSnapshot::PlainNonKeyMembers() const {
    return Select([](const TMember& m) { return m.memberIsPri == 0 && m.memberType != kTypeImage; });
}

TMemberRefs TClassSnapshot::NonKeyMembers() const {
    return Select([](const TMember& m) { return m.memberIsPri == 0; });
}

} // namespace quorrel
