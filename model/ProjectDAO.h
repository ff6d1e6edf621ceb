#pragma once
#include "model/DbHelper.h"
#include "model/ListEntry.h"
#include "model/ProjectSnapshot.h"

#include <functional>
#include <string>
#include <vector>

namespace quorrel {

// What UpdateProject changed, by kind. A member renamed and retyped counts
// once as renamed and once as changed.
struct TProjectChanges {
    int classesAdded = 0, classesRenamed = 0, classesRemoved = 0, classesChanged = 0;
    int membersAdded = 0, membersRenamed = 0, membersRemoved = 0, membersChanged = 0;
};

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
    // Makes the project of that id equal to `wanted`, in one write
    // transaction, matching classes and members by their uids: one whose uid
    // the project has is updated in place and keeps its row id (a member may
    // move to another class); one without a uid, or with a uid the project
    // lacks, is added with it; classes and members whose uids `wanted` lacks
    // are deleted. A member whose type names a class renamed here, by its old
    // name, follows the rename unless a class of `wanted` has that name.
    // Classes and members stay in id order, so `wanted` must list the kept
    // ones in id order and the new ones after them (in each class).
    // `check` sees the project as it will be before anything is written; it
    // refuses by throwing. Refuses (quorrel::Error, nothing changed) a
    // project whose name is no longer wanted.ProjectName(), an order the ids
    // cannot keep, a class list of which no class matches while the project
    // has classes (the file is not an export of it), and a uid `wanted` gives
    // two classes or two members.
    TProjectChanges UpdateProject(int projectId, const TProjectSnapshot& wanted,
                                  const std::function<void(const TProjectSnapshot&)>& check) const;

private:
    TDbHelper db_;
};

} // namespace quorrel
