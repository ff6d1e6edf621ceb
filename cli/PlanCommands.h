#pragma once
#include "base/Folders.h"
#include "cli/ConsoleReporter.h"

#include <string>
#include <vector>

namespace quorrel {

// The commands plan and diff: a generation run as a preview, which writes
// nothing, printed on standard output. Warnings and failures of the run go
// to standard error.
class PlanCommands {
public:
    PlanCommands(TFolders folders, int projectId, std::string project, std::string tablePrefix);

    // One line per file, its status and its path in the site (tab between),
    // in the run's order with the orphans last, then the counts.
    ConsoleReporter::Outcome PrintPlan();

    // The unified differences between each file on disk and the text the run
    // would write, for the given paths (relative to the site) or, with none,
    // for every file the run would write differently. Paths the run neither
    // writes nor once wrote are added to unknown. Three-way: for a file the
    // user edited, the user's edits (last run's text to the disk) and the
    // model's changes (last run's text to this run's) apart.
    ConsoleReporter::Outcome PrintDiffs(const std::vector<std::string>& paths, std::vector<std::string>& unknown,
                                        bool threeWay = false);

private:
    TFolders folders_;
    int projectId_;
    std::string project_;
    std::string tablePrefix_;
};

} // namespace quorrel
