#pragma once
#include "model/Member.h"

#include <functional>
#include <string>
#include <vector>

namespace quorrel {

// Members picked out of a class's members, in their order.
using TMemberRefs = std::vector<std::reference_wrapper<const TMember>>;

// One class of a project snapshot with its members in id order.
class TClassSnapshot {
public:
    TClassSnapshot(int classId, std::string className, std::string friendName, std::vector<TMember> members,
                   std::string classUid = {});

    int ClassId() const { return classId_; }
    const std::string& ClassName() const { return className_; }
    const std::string& FriendName() const { return friendName_; }
    const std::vector<TMember>& Members() const { return members_; }
    // The class's identity: kept through renames, carried by export and import.
    const std::string& ClassUid() const { return classUid_; }

    // The first member flagged as primary key / display member, if any.
    const TMember* KeyMember() const;
    const TMember* DisplayMember() const;
    int CountKeyMembers() const;
    int CountDisplayMembers() const;

    // The member selections the generators walk; each keeps member order.
    TMemberRefs ImageMembers() const;       // type "图片型"
    TMemberRefs ReferenceMembers() const;   // type none of the five basic types
    TMemberRefs SearchMembers() const;      // queryFlag 1
    TMemberRefs ListMembers() const;        // memberQueryDisplay 1
    TMemberRefs PlainNonKeyMembers() const; // not the key, not an image
    TMemberRefs NonKeyMembers() const;      // not the key

private:
    TMemberRefs Select(const std::function<bool(const TMember&)>& wanted) const;

    int classId_;
    std::string className_;
    std::string friendName_;
    std::vector<TMember> members_;
    std::string classUid_;
};

} // namespace quorrel
