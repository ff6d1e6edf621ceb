#pragma once
#include "model/DbHelper.h"
#include "model/Member.h"

#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// Adds, changes and deletes single members, opens the member row sets the
// generators and the main window walk, and loads single member records.
class TMemberDAO {
public:
    void AddMember(const TMember& member) const;
    void UpdateMember(const TMember& member) const;
    void DeleteMember(int memberId) const;

    TRowSet QueryMembers(int classId) const;
    TRowSet QueryImageMembers(int classId) const;
    TRowSet QueryReferenceMembers(int classId) const;
    TRowSet QuerySearchMembers(int classId) const;
    TRowSet QueryListMembers(int classId) const;
    TRowSet QueryPlainNonKeyMembers(int classId) const;
    TRowSet QueryNonKeyMembers(int classId) const;

    std::optional<TMember> GetMemberById(int memberId) const;
    std::optional<TMember> GetKeyMember(int classId) const;
    std::optional<TMember> GetDisplayMemberOfClass(int projectId, const std::string& className) const;
    std::optional<TMember> GetKeyMemberOfClass(int projectId, const std::string& className) const;

    // The member on the current row of a member row set.
    static TMember FromRow(const TRowSet& row);
    // Every member of a member row set, in row order.
    static std::vector<TMember> ToMembers(TRowSet rows);

private:
    std::optional<TMember> LoadFirst(const std::string& sql, const TSqlValues& values) const;

    TDbHelper db_;
};

} // namespace quorrel
