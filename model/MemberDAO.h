#pragma once
#include "model/DbHelper.h"
#include "model/Member.h"

#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// Adds, changes and deletes single members, opens the member rows of a class
// the main window and the member dialogs walk, and loads single member records.
// (What a run needs of members it takes from a project snapshot.)
class TMemberDAO {
public:
    void AddMember(const TMember& member) const;
    void UpdateMember(const TMember& member) const;
    void DeleteMember(int memberId) const;

    TRowSet QueryMembers(int classId) const;

    std::optional<TMember> GetMemberById(int memberId) const;

    // The member on the current row of a member row set.
    static TMember FromRow(const TRowSet& row);

private:

    TDbHelper db_;
};

} // namespace quorrel
