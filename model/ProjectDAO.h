#pragma once
#include "model/DbHelper.h"
#include "model/ListEntry.h"

#include <string>

namespace quorrel {

// Reads and writes t_project.
class TProjectDAO {
public:
    int CountProjectsByName(const std::string& name) const;
    void AddProject(const std::string& name) const;
    void RenameProject(int projectId, const std::string& name) const;
    // The project, its classes and their members go together, or nothing goes.
    void DeleteProject(int projectId) const;
    TProjectList LoadProjects() const;

private:
    TDbHelper db_;
};

} // namespace quorrel
