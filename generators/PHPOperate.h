#pragma once
#include "base/OutputTree.h"
#include "generators/LineWriter.h"
#include "model/ListEntry.h"
#include "model/Member.h"
#include "model/ProjectSnapshot.h"

#include <memory>

#include <string>
#include <vector>

namespace quorrel {

// Writes one PHP administration controller per class of a project: a file
// admin/<lowerClassName>.php of the site serving the acts show, add, addok,
// remove, delall, edit and editok of the class's table. The controllers take
// the table prefix ($dbprefix) from the site at run time.
class TPHPOperate {
public:
    // Reads the model only from the snapshot.
    TPHPOperate(std::shared_ptr<const TProjectSnapshot> project, OutputTree& out);

    // One controller per class of the list (classes of the snapshot), in
    // list order; each file is written as soon as its text is complete.
    void GenerateControllers(const TClassList& classes) const;

    // The whole controller of a class of the snapshot.
    std::string BuildController(const TClassSnapshot& cls) const;

    // The act blocks of a class of the snapshot, each ending with its
    // closing "}" line. Each builder picks the members it needs itself.
    std::string BuildShowAct(const TClassSnapshot& cls) const;
    std::string BuildAddAct(const TClassSnapshot& cls) const;
    std::string BuildAddOkAct(const TClassSnapshot& cls) const;
    std::string BuildRemoveAct(const TClassSnapshot& cls) const;
    std::string BuildDelAllAct(const TClassSnapshot& cls) const;
    std::string BuildEditAct(const TClassSnapshot& cls) const;
    std::string BuildEditOkAct(const TClassSnapshot& cls) const;

private:
    // A reference member with what the controllers need of the class it names.
    struct TReference {
        TMember member;
        std::string lowerTypeName;
        std::string refKeyName;
        std::string refDisplayName;
        bool refKeyIsInteger = false;
    };

    // A writer with the values of the class: {lower}, the friendly name
    // escaped for a PHP comment {friendInComment} and for a PHP
    // double-quoted string {friendInString}, and the comment frame {hyphens}.
    static TLineWriter Writer(const TClassSnapshot& cls);
    static std::string BuildPrologue(const TClassSnapshot& cls);

    TReference Resolve(const TClassSnapshot& cls, const TMember& member) const;
    std::vector<TReference> ReferenceMembers(const TClassSnapshot& cls) const;

    std::shared_ptr<const TProjectSnapshot> project_;
    OutputTree& out_;
};

} // namespace quorrel
