#pragma once
#include "model/ClassSnapshot.h"
#include "model/ListEntry.h"
#include "model/Member.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorrel {

// One project of the model as it was at one moment: the project, its
// classes in id order, each with its members in id order. Read from the
// database in one read transaction, so it never mixes two states of the
// file; it does not change afterwards and reads nothing more, whatever
// happens to the model meanwhile.
class TDbRow;

class TProjectSnapshot {
public:
    // The t_member columns a whole member is read from, in TMember's order,
    // and the member of one row selected with them.
    static constexpr const char* kMemberColumns =
        "memberId,projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment,"
        "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay,memberUid";
    static TMember MemberFromRow(const TDbRow& row);

    TProjectSnapshot(int projectId, std::string projectName, std::vector<TClassSnapshot> classes);

    // Reads the project from the model database with a fixed number of
    // statements. Raises quorrel::Error when the file cannot be read (it is
    // missing, locked or damaged) or holds no project of that id.
    static std::shared_ptr<const TProjectSnapshot> Take(int projectId);

    int ProjectId() const { return projectId_; }
    const std::string& ProjectName() const { return projectName_; }
    const std::vector<TClassSnapshot>& Classes() const { return classes_; }
    // The class list: names with ids, in class order.
    TClassList ClassList() const;

    // The first class of the project with that name, if any (a reference
    // member's type names its class this way).
    const TClassSnapshot* FindClass(const std::string& className) const;
    // The class of that id; raises quorrel::Error when the project has none.
    const TClassSnapshot& ClassById(int classId) const;
    // The key / display member of the named class, counting only members
    // stored with this project's id; none when the class or member is missing.
    const TMember* KeyMemberOfClass(const std::string& className) const;
    const TMember* DisplayMemberOfClass(const std::string& className) const;

private:
    int projectId_;
    std::string projectName_;
    std::vector<TClassSnapshot> classes_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::unordered_map<int, std::size_t> byId_;
};

} // namespace quorrel
