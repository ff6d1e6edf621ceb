#include "generation/AutoCode.h"

#include "base/FileOperate.h"
#include "generation/ModelValidator.h"
#include "base/OutputTree.h"
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
    reporter_.AddLine("代码生成失败：" + failure);
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
    if (!CheckEachHasOne(*project, ModelCheck::Key) || !CheckEachHasOne(*project, ModelCheck::Display))
        return;

    const ModelValidator validator(*project);
    validator.CheckWritable(projectName_, tablePrefix_);
    for (const auto& warning : validator.Warnings())
        reporter_.AddLine(warning);

    // A link in the site's folder (or on the way to it) would make the run
    // write outside the data folder: refuse before anything is written.
    if (const auto link = TFileOperate::FindLink(folders_.Data(), fs::path("projects") / projectName_))
        throw Error("生成目录中有符号链接，没有生成任何文件：" + link->string());

    const TClassList classes = project->ClassList();
    // Every file goes through the plan: classified against the disk and the
    // last run's manifest, then written, kept or written beside.
    RunPlan& out = *plan_;
    out.Begin(folders_.Data(), projectName_, reporter_);
    // The description of the model the site's runtime reads comes right
    // after the menu page.
    TSiteModel siteModel(project, projectName_, out, reporter_);
    TUIOperate(project, projectName_, folders_, out, reporter_)
        .GenerateTemplates(tablePrefix_, classes, [&] { siteModel.GenerateSiteModel(tablePrefix_, classes); });
    TPHPOperate(project, projectName_, out, reporter_).GenerateControllers(tablePrefix_, classes);
    CopyResources();
    out.Finish(tablePrefix_);
    reporter_.Finished();
}

bool TAutoCode::CheckEachHasOne(const TProjectSnapshot& project, ModelCheck check) {
    for (const TClassSnapshot& cls : project.Classes()) {
        const int count = check == ModelCheck::Key ? cls.CountKeyMembers() : cls.CountDisplayMembers();
        if (count != 1) {
            reporter_.CheckFailed(cls.ClassId(), cls.ClassName(), check);
            return false;
        }
    }
    return true;
}

void TAutoCode::CopyResources() {
    const std::string logPrefix = "移动projects/" + projectName_ + "/";

    reporter_.AddLine("正在移动资源文件。。。");
    for (const auto& [folder, ending] : kResourceFolders) {
        const fs::path resource = fs::path("bak") / folder;
        auto layers = folders_.ResourceLayers(resource);
        if (layers.empty())
            layers.push_back(folders_.Resources() / resource); // reported as missing by the copy
        plan_->CopyFolder(layers, folder, true);
        reporter_.AddLine(logPrefix + folder + ending);
    }
    for (const auto& [file, ending] : kResourceFiles) {
        // A resource file missing from bak/ is skipped: sites may drop pages.
        std::error_code ec;
        const fs::path source = folders_.Resource(fs::path("bak") / file);
        if (fs::is_regular_file(source, ec))
            plan_->CopyFile(source, file);
        reporter_.AddLine(logPrefix + file + ending);
    }
    // The web server's access rules for the site's own folder ship with it
    // (like those inside the resource folders, without a progress line).
    if (std::error_code ec; fs::is_regular_file(folders_.Resource("bak/.htaccess"), ec))
        plan_->CopyFile(folders_.Resource("bak/.htaccess"), ".htaccess");
    reporter_.AddLine("移动资源文件完毕!");
}

} // namespace quorrel
