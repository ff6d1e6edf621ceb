#pragma once
// A small builder for the template generator tests' sample models.
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

using test::MemoryOutputTree;
using test::RecordingProgress;


// A member as the member dialogs would store it, set up by chained calls:
// Field("name", kTypeString).Length(20).Comment("名称").Search().Display()
class Field {
public:
    Field(std::string name, std::string type) {
        member_.memberName = std::move(name);
        member_.memberType = std::move(type);
        member_.memberIsInteger = member_.memberType == kTypeInteger;
        member_.memberIsFloat = member_.memberType == kTypeFloat;
    }
    Field& Comment(std::string comment) { member_.memberComment = std::move(comment); return *this; }
    Field& Length(int length) { member_.memberLength = length; return *this; }
    Field& Key() { member_.memberIsPri = 1; member_.memberIsMust = 1; return *this; }
    Field& Display() { member_.memberIsDisplay = 1; return *this; }
    Field& Search() { member_.queryFlag = 1; return *this; }
    Field& NotListed() { member_.memberQueryDisplay = 0; return *this; }
    Field& Integer(int flag) { member_.memberIsInteger = flag; return *this; }

    const TMember& member() const { return member_; }

private:
    TMember member_;
};

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
