#pragma once
#include "model/DbHelper.h"
#include "model/ListEntry.h"
#include "model/ProjectSnapshot.h"

#include <string>
#include <vector>

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
    // Adds every project with its classes and members as new rows with new
    // ids, in one transaction; the ids in the snapshots are not used.
    // Refuses (quorrel::Error, nothing added) a project whose name the model
    // already has.
    void AddProjects(const std::vector<TProjectSnapshot>& projects) const;

private:
    TDbHelper db_;
};

} // namespace quorrel
