#include "generation/AutoCode.h"

#include "base/FileOperate.h"
#include "base/ReportLine.h"
#include "generation/ModelHistory.h"
#include "model/ModelValidator.h"
#include "base/OutputTree.h"
#include "generation/RunProgress.h"
#include "generators/PHPOperate.h"
#include "generators/SiteModel.h"
#include "generators/UIOperate.h"
#include "base/Error.h"
#include "model/ProjectSnapshot.h"

#include <array>
#include <memory>
#include <utility>

namespace quorrel {
namespace fs = std::filesystem;
namespace {

// The site's fixed folders and files, in copy order, with the ending of
// each progress line.
constexpr std::array<std::pair<const char*, const char*>, 8> kResourceFolders = {{
    {".settings", "文件夹完毕！"},
    {"admin", "文件夹完毕！"},
    {"attachments", "文件夹完毕!"},
    {"cache", "文件夹完毕！"},
    {"images", "文件夹完毕！"},
    {"include", "文件夹完毕！"},
    {"smarty", "文件夹完毕！"},
    {"templates", "文件夹完毕！"},
}};

constexpr std::array<std::pair<const char*, const char*>, 20> kResourceFiles = {{
    {".buildpath", "完毕!"},  {".project", "完毕!"},    {"about.php", "完毕"},    {"code.php", "完毕!"},
    {"config.inc.php", "完毕!"}, {"download.php", "完毕!"}, {"footer.php", "完毕!"}, {"friendlink.php", "完毕!"},
    {"guestbook.php", "完毕!"}, {"header.php", "完毕!"},   {"index.php", "完毕!"},  {"job.php", "完毕!"},
    {"news.php", "完毕!"},     {"newsc.php", "完毕!"},    {"picture.php", "完毕!"}, {"pictures.php", "完毕!"},
    {"produce.php", "完毕!"},  {"produces.php", "完毕!"}, {"ucenter.php", "完毕!"}, {"user.php", "完毕!"},
}};

} // namespace

TAutoCode::TAutoCode(int projectId, std::string projectName, std::string tablePrefix, TFolders folders,
                     RunReporter& reporter)
    : projectId_(projectId),
      projectName_(std::move(projectName)),
      tablePrefix_(std::move(tablePrefix)),
      folders_(std::move(folders)),
      reporter_(reporter) {}

void TAutoCode::Execute() {
    std::string failure;
    try {
        Run();
        return;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unknown error";
    }
    reporter_.AddLine(ReportLine::Error("代码生成失败：" + failure));
    reporter_.Failed(failure);
}

void TAutoCode::Run() {
    // The model as it is now: nothing the window or another program changes
    // later reaches this run. A model that cannot be read ends the run here,
    // before anything is written.
    std::shared_ptr<const TProjectSnapshot> project;
    try {
        project = TProjectSnapshot::Take(projectId_);
    } catch (const Error& e) {
        throw Error(std::string("无法读取模型，没有生成任何文件：") + e.what());
    }
    const ModelValidator validator(*project);
    if (const auto failed = validator.FirstFailedCheck()) {
        reporter_.CheckFailed(failed->classId, failed->className, failed->check);
        return;
    }
    validator.CheckWritable(projectName_, tablePrefix_);
    for (const auto& warning : validator.Warnings())
        reporter_.AddLine(ReportLine::Warning(warning));

    // A link in the site's folder (or on the way to it) would make the run
    // write outside the data folder: refuse before anything is written.
    if (const auto link = TFileOperate::FindLink(folders_.Data(), fs::path("projects") / projectName_))
        throw Error("生成目录中有符号链接，没有生成任何文件：" + link->string());

    const TClassList classes = project->ClassList();
    // Every file goes through the plan: classified against the disk and the
    // last run's manifest, then written, kept or written beside. The
    // progress counter in front of it also ends the run between two files
    // when the user asks it to stop.
    RunPlan& plan = *plan_;
    plan.Begin(folders_.Data(), projectName_, reporter_);
    RunProgress out(plan, reporter_, FileCount(*project));
    try {
        // The order of the files and of their progress lines: the menu page,
        // the description of the model the site's runtime reads, the add,
        // edit and list pages, the controllers, the resources. No page is
        // written for a model whose references do not resolve.
        const TUIOperate pages(project, TFileOperate::ReadTextFile(folders_.Resource(TUIOperate::kMenuFramePath)), out);
        pages.CheckReferences(classes);
        pages.GenerateMenuPage(classes);
        TSiteModel(project, out).GenerateSiteModel(tablePrefix_, classes);
        pages.GenerateAddPages(classes);
        pages.GenerateEditPages(classes);
        pages.GenerateListPages(classes);
        TPHPOperate(project, out).GenerateControllers(classes);
        CopyResources(out);
    } catch (const RunProgress::Stopped&) {
        // No manifest: the last run's one still tells which files were its own.
        reporter_.AddLine(ReportLine::Progress(StoppedLine(out.Written(), out.Total())));
        reporter_.Stopped(out.Written());
        return;
    }
    plan.Finish(tablePrefix_);
    // The structure this model gives the database, with its identities: what
    // a later migration pairs the site's database with.
    if (!plan.GetOptions().preview)
        ModelHistory::Keep(plan.Site(), TSchemaModel::Of(*project));
    reporter_.Finished();
}

std::size_t TAutoCode::FileCount(const TProjectSnapshot& project) {
    const std::size_t classes = project.Classes().size();
    return 1                // the menu page
           + 1              // the model's description
           + 3 * classes    // the add, edit and list pages
           + classes        // the controllers
           + kResourceFolders.size() + kResourceFiles.size();
}

std::string TAutoCode::StoppedLine(std::size_t written, std::size_t total) {
    return "代码生成已停止：已写入" + std::to_string(written) + "个文件，共" + std::to_string(total) + "个。";
}

void TAutoCode::CopyResources(RunProgress& progress) {
    const std::string logPrefix = "移动projects/" + projectName_ + "/";

    reporter_.AddLine(ReportLine::Progress("正在移动资源文件。。。"));
    for (const auto& [folder, ending] : kResourceFolders) {
        const fs::path resource = fs::path("bak") / folder;
        auto layers = folders_.ResourceLayers(resource);
        if (layers.empty())
            layers.push_back(folders_.Resources() / resource); // reported as missing by the copy
        progress.Begin();
        plan_->CopyFolder(layers, folder, true);
        progress.Done(folder);
        reporter_.AddLine(ReportLine::Progress(logPrefix + folder + ending));
    }
    for (const auto& [file, ending] : kResourceFiles) {
        // A resource file missing from bak/ is skipped: sites may drop pages.
        std::error_code ec;
        const fs::path source = folders_.Resource(fs::path("bak") / file);
        progress.Begin();
        if (fs::is_regular_file(source, ec))
            plan_->CopyFile(source, file);
        progress.Done(file);
        reporter_.AddLine(ReportLine::Progress(logPrefix + file + ending));
    }
    // The web server's access rules for the site's own folder ship with it
    // (like those inside the resource folders, without a progress line).
    if (std::error_code ec; fs::is_regular_file(folders_.Resource("bak/.htaccess"), ec))
        plan_->CopyFile(folders_.Resource("bak/.htaccess"), ".htaccess");
    reporter_.AddLine(ReportLine::Progress("移动资源文件完毕!"));
}

} // namespace quorrel
