#pragma once
// A small builder for the template generator tests' sample models.
#include "tests/support/Field.h"
#include "tests/support/Golden.h"
#include "model/ClassDAO.h"
#include "base/Error.h"
#include "model/Member.h"
#include "model/MemberDAO.h"
#include "model/ProjectDAO.h"

#include <map>
#include <string>
#include <vector>

namespace quorrel::uitest {

using test::Field;
using test::MemoryOutputTree;


// Builds one project of the open model through the access classes.
class ProjectBuilder {
public:
    explicit ProjectBuilder(const std::string& projectName) : name_(projectName) {
        TProjectDAO projects;
        projects.AddProject(projectName);
        for (const auto& entry : projects.LoadProjects())
            if (entry.name == projectName)
                id_ = entry.id;
        if (id_ == 0)
            throw Error("the test project " + projectName + " was not stored");
    }

    // Adds a class with its members (in the given order) and returns its id.
    int Class(const std::string& className, const std::string& friendName, const std::vector<Field>& fields) {
        classes_.AddClass(id_, className, friendName);
        const int classId = classes_.GetClassId(id_, className);
        for (const auto& field : fields) {
            TMember member = field.member();
            member.projectId = id_;
            member.classId = classId;
            members_.AddMember(member);
        }
        return classId;
    }

    TClassList Classes() const { return classes_.GetClassList(id_); }
    int id() const { return id_; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    int id_ = 0;
    TClassDAO classes_;
    TMemberDAO members_;
};

} // namespace quorrel::uitest
