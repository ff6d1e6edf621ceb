#pragma once
#include "base/OutputTree.h"
#include "base/ProgressSink.h"
#include "generators/LineWriter.h"
#include "model/ListEntry.h"
#include "model/Member.h"
#include "model/ProjectSnapshot.h"

#include <memory>

#include <string>
#include <vector>

namespace quorrel {

// Writes one PHP administration controller per class of a project: a file
// admin/<lowerClassName>.php serving the acts show, add, addok, remove,
// delall, edit and editok of the class's table.
class TPHPOperate {
public:
    // Reads the model only from the snapshot; the project name names the site.
    TPHPOperate(std::shared_ptr<const TProjectSnapshot> project, std::string projectName, OutputTree& out,
                ProgressSink& progress);

    // One controller per class of the list (classes of the snapshot), in list order; each file is written as soon
    // as its text is complete. The table prefix is accepted and not used:
    // the controllers take $dbprefix from the site at run time.
    void GenerateControllers(const std::string& tablePrefix, const TClassList& classes);

    // Makes the class the current one for the act builders.
    void SetCurrentClass(const TListEntry& entry);

    // The act blocks of the current class, each ending with its closing "}"
    // line. Each builder picks the members it needs itself.
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

    // A writer with the values of the current class: {lower}, the friendly
    // name escaped for a PHP comment {friendInComment} and for a PHP
    // double-quoted string {friendInString}, and the comment frame {hyphens}.
    TLineWriter Writer() const;
    std::string BuildPrologue() const;

    TMember KeyMember() const;
    TReference Resolve(const TMember& member) const;
    std::vector<TReference> ReferenceMembers() const;

    std::string friendName_;
    std::string className_;
    std::string lowerClassName_;
    std::shared_ptr<const TProjectSnapshot> project_;
    const TClassSnapshot* class_ = nullptr;
    std::string projectName_;
    OutputTree& out_;
    ProgressSink& progress_;
};

} // namespace quorrel
