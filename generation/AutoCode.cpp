#include "generation/AutoCode.h"

#include "generation/FileOperate.h"
#include "generation/ModelValidator.h"
#include "generation/OutputTree.h"
#include "generators/PHPOperate.h"
#include "generators/UIOperate.h"
#include "model/ClassDAO.h"
#include "model/Error.h"

#include <array>
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

TAutoCode::TAutoCode(int projectId, std::string projectName, std::string tablePrefix, fs::path home,
                     RunReporter& reporter)
    : projectId_(projectId),
      projectName_(std::move(projectName)),
      tablePrefix_(std::move(tablePrefix)),
      home_(std::move(home)),
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
    const TClassDAO classDao;
    const TClassList classes = classDao.GetClassList(projectId_);
    auto onFailed = [this](int classId, ModelCheck check) { reporter_.CheckFailed(classId, check); };
    if (!classDao.CheckKeyMembers(classes, onFailed))
        return;
    if (!classDao.CheckDisplayMembers(classes, onFailed))
        return;

    const ModelValidator validator(projectId_);
    validator.CheckWritable(projectName_, classes);
    for (const auto& warning : validator.Warnings(classes))
        reporter_.AddLine(warning);

    DiskOutputTree out(home_);
    TUIOperate(projectId_, projectName_, home_, out, reporter_).GenerateTemplates(tablePrefix_, classes);
    TPHPOperate(projectId_, projectName_, out, reporter_).GenerateControllers(tablePrefix_, classes);
    CopyResources();
    reporter_.Finished();
}

void TAutoCode::CopyResources() {
    const fs::path bak = home_ / "bak";
    const fs::path site = home_ / "projects" / projectName_;
    const std::string logPrefix = "移动projects/" + projectName_ + "/";

    reporter_.AddLine("正在移动资源文件。。。");
    for (const auto& [folder, ending] : kResourceFolders) {
        TFileOperate::CopyDirectory(bak / folder, site / folder, true);
        reporter_.AddLine(logPrefix + folder + ending);
    }
    for (const auto& [file, ending] : kResourceFiles) {
        // A resource file missing from bak/ is skipped: sites may drop pages.
        std::error_code ec;
        if (fs::is_regular_file(bak / file, ec)) {
            fs::copy_file(bak / file, site / file, fs::copy_options::overwrite_existing, ec);
            if (ec)
                throw Error("cannot copy " + (bak / file).string() + " to " + (site / file).string() + ": " +
                            ec.message());
        }
        reporter_.AddLine(logPrefix + file + ending);
    }
    // The web server's access rules for the site's own folder ship with it
    // (like those inside the resource folders, without a progress line).
    if (std::error_code ec; fs::is_regular_file(bak / ".htaccess", ec)) {
        fs::copy_file(bak / ".htaccess", site / ".htaccess", fs::copy_options::overwrite_existing, ec);
        if (ec)
            throw Error("cannot copy " + (bak / ".htaccess").string() + ": " + ec.message());
    }
    reporter_.AddLine("移动资源文件完毕!");
}

} // namespace quorrel
