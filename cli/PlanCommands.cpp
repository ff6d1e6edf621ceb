#include "cli/PlanCommands.h"

#include "base/FileOperate.h"
#include "generation/AutoCode.h"
#include "generation/RunPlan.h"
#include "generation/UnifiedDiff.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <set>

namespace quorrel {
namespace fs = std::filesystem;

PlanCommands::PlanCommands(TFolders folders, int projectId, std::string project, std::string tablePrefix)
    : folders_(std::move(folders)),
      projectId_(projectId),
      project_(std::move(project)),
      tablePrefix_(std::move(tablePrefix)) {}

ConsoleReporter::Outcome PlanCommands::PrintPlan() {
    ConsoleReporter reporter(true);
    TAutoCode run(projectId_, project_, tablePrefix_, folders_, reporter);
    auto plan = std::make_shared<RunPlan>(RunPlan::Options{true, false});
    run.SetPlan(plan);
    run.Execute();
    if (reporter.outcome() != ConsoleReporter::Outcome::Finished)
        return reporter.outcome();
    for (const auto& file : plan->Files())
        std::cout << StatusName(file.status) << '\t' << file.path << '\n';
    const char* separator = "";
    for (FileStatus status : {FileStatus::New, FileStatus::Same, FileStatus::Update, FileStatus::Edited,
                              FileStatus::Merge, FileStatus::Conflict, FileStatus::Kept, FileStatus::Orphan}) {
        std::cout << separator << StatusName(status) << ' ' << plan->Count(status);
        separator = ", ";
    }
    std::cout << '\n';
    return reporter.outcome();
}

ConsoleReporter::Outcome PlanCommands::PrintDiffs(const std::vector<std::string>& paths,
                                                  std::vector<std::string>& unknown, bool threeWay) {
    // Paths as the plan prints them; "projects/<project>/" and "./" may lead.
    const std::string sitePrefix = "projects/" + project_ + "/";
    std::set<std::string> wanted;
    std::vector<std::string> asGiven;
    for (const auto& path : paths) {
        std::string normal = fs::path(path).lexically_normal().generic_string();
        if (normal.rfind(sitePrefix, 0) == 0)
            normal.erase(0, sitePrefix.size());
        wanted.insert(normal);
        asGiven.push_back(normal);
    }

    ConsoleReporter reporter(true);
    TAutoCode run(projectId_, project_, tablePrefix_, folders_, reporter);
    auto plan = std::make_shared<RunPlan>(RunPlan::Options{true, false});
    // Each difference is printed as the plan reaches its file, so no more
    // than one text is held at a time.
    plan->SetTextObserver([&](const RunPlan::File& file, const std::string& bytes) {
        if (!wanted.empty() && wanted.count(file.path) == 0)
            return;
        if (file.status == FileStatus::Same || file.status == FileStatus::Kept)
            return;
        const fs::path disk = plan->Site() / file.path;
        std::optional<std::string> before;
        if (file.status != FileStatus::New)
            before = TFileOperate::ReadBytes(disk);
        const bool edited = file.status == FileStatus::Edited || file.status == FileStatus::Merge ||
                            file.status == FileStatus::Conflict;
        if (threeWay && edited) {
            if (const auto base = plan->Base(file.path)) {
                std::cout << "# " << file.path << "：你的修改（上次生成 → 磁盘上的文件）\n"
                          << UnifiedDiff::Between(base, *before, "上次生成/" + file.path, "磁盘/" + file.path)
                          << "# " << file.path << "：模型的修改（上次生成 → 本次生成）\n"
                          << UnifiedDiff::Between(base, bytes, "上次生成/" + file.path, "本次生成/" + file.path)
                          << std::flush;
                return;
            }
            std::cerr << file.path << ": 没有上次生成的内容，只能显示磁盘上的文件与本次生成的差别\n";
        }
        std::cout << UnifiedDiff::Between(before, bytes, before ? "a/" + file.path : "/dev/null", "b/" + file.path)
                  << std::flush;
    });
    run.SetPlan(plan);
    run.Execute();
    if (reporter.outcome() != ConsoleReporter::Outcome::Finished)
        return reporter.outcome();

    std::set<std::string> known;
    for (const auto& file : plan->Files()) {
        known.insert(file.path);
        if (wanted.count(file.path) == 0)
            continue;
        if (file.status == FileStatus::Orphan)
            std::cerr << file.path << ": no longer generated; the run leaves it as it is\n";
        else if (file.status == FileStatus::Kept)
            std::cerr << file.path << ": a resource file the site already has; the run keeps it as it is\n";
    }
    for (const auto& path : asGiven)
        if (known.count(path) == 0)
            unknown.push_back(path);
    return reporter.outcome();
}

} // namespace quorrel
