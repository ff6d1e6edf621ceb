#pragma once
#include "model/DbHelper.h"
#include "model/ListEntry.h"

#include <string>

namespace quorrel {

// Reads and writes t_class and keeps a class's members in step with it.
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

private:
    TClassList LoadList(const std::string& sql, const TSqlValues& values) const;

    TDbHelper db_;
};

} // namespace quorrel
