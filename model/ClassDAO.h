#pragma once
#include "base/ModelCheck.h"
#include "model/DbHelper.h"
#include "model/ListEntry.h"

#include <string>

namespace quorrel {

// Reads and writes t_class, keeps a class's members in step with it, and
// holds the two checks a generation run needs.
class TClassDAO {
public:
    std::string GetClassNameById(int classId) const;
    std::string GetFriendName(int classId) const;
    int GetClassId(int projectId, const std::string& className) const;
    int CountClassesByName(int projectId, const std::string& className) const;
    void AddClass(int projectId, const std::string& className, const std::string& friendName) const;
    // The class and its members go together, or nothing goes.
    void DeleteClass(int classId) const;
    // Renames the class and retypes the project's members that referred to
    // the old name.
    void UpdateClass(int projectId, int classId, const std::string& className, const std::string& friendName) const;
    TClassList GetClassList(int projectId) const;
    TClassList GetOtherClassList(int projectId, int classId) const;

    // Every class has exactly one primary-key member / one display member.
    // The first class that fails is reported to onFailed, then false is returned.
    bool CheckKeyMembers(const TClassList& classes, const CheckFailedHandler& onFailed) const;
    bool CheckDisplayMembers(const TClassList& classes, const CheckFailedHandler& onFailed) const;

private:
    TClassList LoadList(const std::string& sql, const TSqlValues& values) const;
    bool CheckEachHasOne(const TClassList& classes, const std::string& flagColumn, ModelCheck check,
                         const CheckFailedHandler& onFailed) const;

    TDbHelper db_;
};

} // namespace quorrel
