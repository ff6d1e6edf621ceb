#pragma once
#include "base/Folders.h"
#include "base/RunReporter.h"
#include "generation/RunPlan.h"
#include "model/ProjectSnapshot.h"

#include <cstddef>
#include <memory>
#include <string>

namespace quorrel {

class RunProgress;

// One generation run of a project: takes a snapshot of the project's model
// at its start and works only from it; checks the model, writes the templates
// and controllers, copies the site resources from bak/ and reports. The
// project name is taken once, when the run is created. The site is written
// to the data folder; the resources are read from the resource folder, with
// the data folder's own bak/ and template/ files in place of shipped ones.
class TAutoCode {
public:
    TAutoCode(int projectId, std::string projectName, std::string tablePrefix, TFolders folders,
              RunReporter& reporter);

    // Runs on the calling thread; never throws: the outcome reaches the
    // reporter (CheckFailed, Finished, Failed or, when the reporter asks the
    // run to stop, Stopped after the file being written).
    void Execute();

    // The plan the run writes through: by default a run that writes and never
    // overwrites edited files. A preview plan makes the run compute its plan
    // and write nothing; the caller reads the plan once the run has finished.
    void SetPlan(std::shared_ptr<RunPlan> plan) { plan_ = std::move(plan); }
    const std::shared_ptr<RunPlan>& Plan() const { return plan_; }
    // How many files a run of the project writes, each with its progress
    // line: the menu page, the model's description, three pages and a
    // controller per class, then the
    // resource folders and files (a folder counts as one). A generator that
    // writes one more file adds it here.
    static std::size_t FileCount(const TProjectSnapshot& project);
    // The last progress line of a stopped run.
    static std::string StoppedLine(std::size_t written, std::size_t total);

private:
    void Run();
    void CopyResources(RunProgress& progress);

    int projectId_;
    std::string projectName_;
    std::string tablePrefix_;
    TFolders folders_;
    RunReporter& reporter_;
    std::shared_ptr<RunPlan> plan_ = std::make_shared<RunPlan>();
};

} // namespace quorrel
