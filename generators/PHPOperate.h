#pragma once
#include "generation/OutputTree.h"
#include "generation/ProgressSink.h"
#include "model/ClassDAO.h"
#include "model/ListEntry.h"
#include "model/Member.h"
#include "model/MemberDAO.h"

#include <string>
#include <vector>

namespace quorrel {

// Writes one PHP administration controller per class of a project: a file
// admin/<lowerClassName>.php serving the acts show, add, addok, remove,
// delall, edit and editok of the class's table.
class TPHPOperate {
public:
    TPHPOperate(int projectId, std::string projectName, OutputTree& out, ProgressSink& progress);

    // One controller per class, in list order; each file is written as soon
    // as its text is complete. The table prefix is accepted and not used:
    // the controllers take $dbprefix from the site at run time.
    void GenerateControllers(const std::string& tablePrefix, const TClassList& classes);

    // Makes the class the current one for the act builders.
    void SetCurrentClass(const TListEntry& entry);

    // The act blocks of the current class, each ending with its closing "}"
    // line. Each builder reads the members it needs itself.
    std::string BuildShowAct();
    std::string BuildAddAct();
    std::string BuildAddOkAct();
    std::string BuildRemoveAct();
    std::string BuildDelAllAct();
    std::string BuildEditAct();
    std::string BuildEditOkAct();

private:
    // A reference member with what the controllers need of the class it names.
    struct TReference {
        TMember member;
        std::string lowerTypeName;
        std::string refKeyName;
        std::string refDisplayName;
        bool refKeyIsInteger = false;
    };

    std::string BuildPrologue() const;

    TMember KeyMember() const;
    TReference Resolve(const TMember& member) const;
    std::vector<TReference> ReferenceMembers() const;
    static bool IsTextFilter(const TMember& member);

    std::string friendName_;
    std::string className_;
    std::string lowerClassName_;
    TClassDAO classDao_;
    TMemberDAO memberDao_;
    int classId_ = 0;
    int projectId_;
    std::string projectName_;
    OutputTree& out_;
    ProgressSink& progress_;
};

} // namespace quorrel
