// A second generation run over a site the user has edited: the plan, the
// differences, the files written beside edited ones, the orphans, the
// overwrite choice, a damaged manifest and a run that stops half-way. The
// runs go through quorrel-cli, as a user or a script runs them.
#include "generation/Manifest.h"
#include "generation/RunPlan.h"
#include "model/ClassDAO.h"
#include "model/MemberDAO.h"
#include "model/ProjectDAO.h"
#include "tests/support/Field.h"
#include "tests/support/CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <chrono>
#include <map>
#include <sstream>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::Field;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using Result = test::CliResult;

Result Cli(const fs::path& home, const std::vector<std::string>& args) {
    return test::RunCli(home, args);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Warnings(const std::string& text) {
    std::vector<std::string> warnings;
    for (const auto& line : Lines(text))
        if (line.rfind("警告：", 0) == 0)
            warnings.push_back(line);
    return warnings;
}

// The plan as quorrel-cli prints it: path -> status, and the counts line.
struct PrintedPlan {
    std::map<std::string, std::string> status;
    std::string counts;
};

PrintedPlan ParsePlan(const std::string& out) {
    PrintedPlan plan;
    auto lines = Lines(out);
    EXPECT_FALSE(lines.empty());
    if (lines.empty())
        return plan;
    plan.counts = lines.back();
    lines.pop_back();
    for (const auto& line : lines) {
        const auto tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        if (tab != std::string::npos) {
            EXPECT_TRUE(plan.status.emplace(line.substr(tab + 1), line.substr(0, tab)).second) << line;
        }
    }
    return plan;
}

// The counts line the printed statuses add up to.
std::string CountsOf(const PrintedPlan& plan) {
    std::map<std::string, int> counts;
    for (const auto& [path, status] : plan.status)
        ++counts[status];
    std::string line;
    for (const char* status : {"new", "same", "update", "edited", "merge", "conflict", "kept", "orphan"})
        line += (line.empty() ? "" : ", ") + std::string(status) + " " + std::to_string(counts[status]);
    return line;
}

const fs::file_time_type kLongAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 5);

class Regeneration : public ::testing::Test {
protected:
    void SetUp() override {
        projects.AddProject("shop");
        for (const char* name : {"News", "Category", "Brand", "Tag"}) {
            classes.AddClass(1, name, std::string("友好") + name);
            const int id = classes.GetClassId(1, name);
            members.AddMember(Field("id", kTypeInteger).In(1, id).Must().Comment("id").Key());
            members.AddMember(Field("title", kTypeString).In(1, id).Must().Comment("title").Length(40).Display());
        }
    }
    fs::path Site(const std::string& path = {}) const { return home.site("shop") / path; }
    Result Generate(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"generate", "shop"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(home.home(), args);
    }
    PrintedPlan Plan() {
        const Result plan = Cli(home.home(), {"plan", "shop"});
        EXPECT_EQ(plan.status, 0) << plan.err;
        return ParsePlan(plan.out);
    }
    // Every file of the site gets the same old time, so that a file the run
    // leaves alone is told from one it writes again.
    void AgeEveryFile() {
        for (const auto& entry : fs::recursive_directory_iterator(Site()))
            if (entry.is_regular_file())
                fs::last_write_time(entry.path(), kLongAgo);
    }
    bool Untouched(const std::string& path) const { return fs::last_write_time(Site(path)) == kLongAgo; }
    // Leftovers of writes under temporary names.
    std::vector<std::string> TemporaryFiles() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(Site()))
            if (entry.path().filename().string().find(".tmp-") != std::string::npos)
                found.push_back(entry.path().string());
        return found;
    }

    test::SiteHome home;
    TProjectDAO projects;
    TClassDAO classes;
    TMemberDAO members;
};

TEST_F(Regeneration, ASecondRunKeepsTheUsersEditsPlansAndShowsEveryChange) {
    // A first run into an empty folder: every file new, the log of a run as
    // it always was, then the manifest's own line.
    const Result first = Generate();
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_TRUE(first.out.ends_with("移动资源文件完毕!\nprojects/shop/.gitattributes生成完毕!\n"
                                    "projects/shop/.quorrel/manifest.json清单生成完毕!\n"));
    EXPECT_TRUE(Warnings(first.out).empty()) << first.out;
    const auto manifest = nlohmann::json::parse(ReadFile(Site(".quorrel/manifest.json")));
    EXPECT_EQ(manifest["tablePrefix"], "php_");
    EXPECT_FALSE(manifest["version"].get<std::string>().empty());
    std::map<std::string, nlohmann::json> recorded;
    for (const auto& entry : manifest["files"])
        recorded[entry["path"]] = entry;
    ASSERT_EQ(recorded.count("admin/news.php"), 1u);
    EXPECT_EQ(recorded["admin/news.php"]["sha256"], Manifest::Sha256(ReadFile(Site("admin/news.php"))));
    EXPECT_EQ(recorded["admin/news.php"]["source"], "generated");
    EXPECT_EQ(recorded["images/sub/deep.txt"]["source"], "copied");
    EXPECT_EQ(recorded["index.php"]["sha256"], Manifest::Sha256("file index.php"));

    // Nothing changed: every file is the same.
    PrintedPlan unchanged = Plan();
    EXPECT_EQ(unchanged.status.size(), recorded.size());
    for (const auto& [path, status] : unchanged.status)
        EXPECT_EQ(status, "same") << path;

    // The user edits a controller, two pages and a resource; the model
    // gains a member, loses a class and a friendly name changes.
    const std::string editedController = ReadFile(Site("admin/news.php")) + "\r\n// my own code\r\n";
    WriteFile(Site("admin/news.php"), editedController);
    const std::string editedPage =
        ReadFile(Site("admin/templates/admin/category.html")) + "<p>my own footer</p>\r\n";
    WriteFile(Site("admin/templates/admin/category.html"), editedPage);
    const std::string editedTagPage = "<p>my own tag page</p>\r\n";
    WriteFile(Site("admin/templates/admin/tag_edit.html"), editedTagPage);
    WriteFile(Site("images/sub/deep.txt"), "my own picture");
    AgeEveryFile();
    members.AddMember(
        Field("summary", kTypeString).In(1, classes.GetClassId(1, "News")).Must().Comment("summary").Length(40));
    classes.DeleteClass(classes.GetClassId(1, "Brand"));
    classes.UpdateClass(1, classes.GetClassId(1, "Category"), "Category", "商品类别");

    PrintedPlan plan = Plan();
    const std::map<std::string, std::string> expected = {
        {"admin/news.php", "merge"},
        {"admin/templates/admin/news.html", "update"},
        {"admin/templates/admin/news_add.html", "update"},
        {"admin/templates/admin/news_edit.html", "update"},
        {"admin/templates/admin/category.html", "merge"},
        {"admin/templates/admin/category_add.html", "update"},
        {"admin/templates/admin/category_edit.html", "update"},
        {"admin/category.php", "update"},
        {"admin/templates/admin/tag_edit.html", "edited"},
        {"admin/templates/admin/tag.html", "same"},
        {"admin/tag.php", "same"},
        {"admin/templates/admin/fream.tpl", "update"},
        {"admin/include/site_model.php", "update"},
        {"admin/brand.php", "orphan"},
        {"admin/templates/admin/brand.html", "orphan"},
        {"admin/templates/admin/brand_add.html", "orphan"},
        {"admin/templates/admin/brand_edit.html", "orphan"},
        {"images/sub/deep.txt", "kept"},
        {"images/top.txt", "same"},
        {"index.php", "same"},
    };
    for (const auto& [path, status] : expected)
        EXPECT_EQ(plan.status[path], status) << path;
    EXPECT_EQ(plan.counts, CountsOf(plan));
    EXPECT_EQ(plan.counts, "new 0, same 38, update 8, edited 1, merge 2, conflict 0, kept 1, orphan 4");

    // The differences: the user's lines go, the new member comes.
    const Result diff = Cli(home.home(), {"diff", "shop", "admin/news.php", "admin/templates/admin/tag_edit.html"});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_NE(diff.out.find("--- a/admin/news.php\n+++ b/admin/news.php\n@@ "), std::string::npos) << diff.out;
    std::size_t files = 0;
    for (const auto& line : Lines(diff.out))
        files += line.rfind("+++ ", 0) == 0;
    EXPECT_EQ(files, 2u) << "only the files asked for";
    EXPECT_NE(diff.out.find("\n-// my own code\r\n"), std::string::npos);
    EXPECT_NE(diff.out.find("summary"), std::string::npos);
    EXPECT_NE(diff.out.find("+++ b/admin/templates/admin/tag_edit.html\n"), std::string::npos);
    EXPECT_NE(diff.out.find("\n-<p>my own tag page</p>\r\n"), std::string::npos);
    const Result all = Cli(home.home(), {"diff", "shop"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("+++ b/admin/templates/admin/fream.tpl\n"), std::string::npos);
    EXPECT_EQ(all.out.find("b/admin/tag.php\n"), std::string::npos) << "a file that stays the same has no diff";
    const Result unknown = Cli(home.home(), {"diff", "shop", "admin/nothing.php"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("admin/nothing.php"), std::string::npos);

    // Neither plan nor diff wrote anything.
    EXPECT_TRUE(Untouched("admin/news.php") && Untouched("admin/templates/admin/news.html"));
    EXPECT_FALSE(fs::exists(Site("admin/news.php.new")));

    // The three-way difference shows the user's edits and the model's
    // changes apart.
    const Result threeWay = Cli(home.home(), {"diff", "shop", "--three-way", "admin/news.php"});
    ASSERT_EQ(threeWay.status, 0) << threeWay.err;
    const auto mine = threeWay.out.find("你的修改"), model = threeWay.out.find("模型的修改");
    ASSERT_TRUE(mine != std::string::npos && model != std::string::npos && mine < model) << threeWay.out;
    EXPECT_NE(threeWay.out.substr(mine, model - mine).find("\n+// my own code\r\n"), std::string::npos);
    EXPECT_EQ(threeWay.out.substr(mine, model - mine).find("summary"), std::string::npos);
    EXPECT_NE(threeWay.out.substr(model).find("summary"), std::string::npos);
    EXPECT_EQ(threeWay.out.substr(model).find("my own code"), std::string::npos);

    // The second run: an edited file the run also changes on other lines
    // gets the model's changes merged in, the user's text kept as .orig; an
    // edited file the run does not change stays with its new text beside it;
    // an edited resource stays, with no new version to put beside it; same
    // files keep their time; orphans are listed and stay.
    const Result second = Generate();
    ASSERT_EQ(second.status, 0) << second.err;
    const auto warnings = Warnings(second.out);
    EXPECT_EQ(warnings.size(), 5u) << second.out;
    for (const char* path : {"admin/news.php", "admin/templates/admin/category.html"}) {
        const std::string orig = "projects/shop/" + std::string(path) + ".orig";
        EXPECT_NE(second.out.find("projects/shop/" + std::string(path) + " 已被修改，本次生成的变化已与你的修改合并；原来的内容保存在 " + orig),
                  std::string::npos) << second.out;
        EXPECT_FALSE(fs::exists(Site(path + std::string(".new")))) << path;
    }
    EXPECT_EQ(ReadFile(Site("admin/news.php.orig")), editedController);
    const std::string merged = ReadFile(Site("admin/news.php"));
    EXPECT_NE(merged.find("// my own code\r\n"), std::string::npos);
    EXPECT_NE(merged.find("summary"), std::string::npos);
    EXPECT_EQ(merged.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_NE(ReadFile(Site("admin/templates/admin/category.html")).find("<p>my own footer</p>"), std::string::npos);
    EXPECT_NE(ReadFile(Site("admin/templates/admin/category.html")).find("商品类别"), std::string::npos);
    EXPECT_EQ(ReadFile(Site("admin/templates/admin/tag_edit.html")), editedTagPage);
    EXPECT_TRUE(fs::exists(Site("admin/templates/admin/tag_edit.html.new")));
    EXPECT_EQ(ReadFile(Site("images/sub/deep.txt")), "my own picture");
    EXPECT_FALSE(fs::exists(Site("images/sub/deep.txt.new"))) << "the shipped file did not change";
    for (const char* path : {"admin/tag.php", "admin/templates/admin/tag.html", "images/top.txt", "index.php"})
        EXPECT_TRUE(Untouched(path)) << path << " was the same and is written again";
    EXPECT_FALSE(Untouched("admin/templates/admin/news.html"));
    EXPECT_NE(ReadFile(Site("admin/templates/admin/news.html")).find("summary"), std::string::npos);
    EXPECT_NE(ReadFile(Site("admin/category.php")).find("商品类别"), std::string::npos);
    for (const char* path : {"admin/brand.php", "admin/templates/admin/brand.html"}) {
        EXPECT_TRUE(fs::exists(Site(path))) << path << " is an orphan and never deleted";
        EXPECT_NE(second.out.find("警告：projects/shop/" + std::string(path) + " "), std::string::npos) << path;
    }
    EXPECT_TRUE(second.out.ends_with("projects/shop/.quorrel/manifest.json清单生成完毕!\n"));
    EXPECT_FALSE(fs::exists(Site(RunPlan::kUnmergedPath))) << "nothing is left unmerged";
    EXPECT_TRUE(TemporaryFiles().empty());

    // The same plan again: the merged file is still the user's (edited), the
    // orphans still listed.
    PrintedPlan after = Plan();
    EXPECT_EQ(after.status["admin/news.php"], "edited");
    EXPECT_EQ(after.status["admin/templates/admin/news.html"], "same");
    EXPECT_EQ(after.status["admin/brand.php"], "orphan");

    // Overwriting by choice: the generated text takes an edited file's
    // place, the user's text is kept as .orig; the user's resources stay.
    const Result overwrite = Generate({"--overwrite-edited"});
    ASSERT_EQ(overwrite.status, 0) << overwrite.err;
    EXPECT_EQ(ReadFile(Site("admin/news.php")), ReadFile(Site(".quorrel/base/admin/news.php")));
    EXPECT_EQ(ReadFile(Site("admin/news.php.orig")), merged);
    EXPECT_EQ(ReadFile(Site("admin/templates/admin/tag_edit.html.orig")), editedTagPage);
    EXPECT_EQ(ReadFile(Site("images/sub/deep.txt")), "my own picture");
    EXPECT_NE(overwrite.out.find("projects/shop/admin/news.php.orig"), std::string::npos);
    PrintedPlan clean = Plan();
    for (const auto& [path, status] : clean.status)
        EXPECT_TRUE(status == "same" || status == "orphan" || path == "images/sub/deep.txt") << path << " " << status;
}

TEST_F(Regeneration, EditsOnTheLinesTheModelChangesAreRefusedUntilMergedAndSettingsAreNeverOverwritten) {
    ASSERT_EQ(Generate().status, 0);
    const std::string manifest = ReadFile(Site(".quorrel/manifest.json"));
    // The user edits the line of the title column's label, which the model
    // then changes too, and the site's settings.
    const std::string page = "admin/templates/admin/news.html";
    const std::string generated = ReadFile(Site(page));
    std::string edited = generated;
    const auto label = edited.find(">title<");
    ASSERT_NE(label, std::string::npos);
    edited.replace(label, 7, ">my title<");
    WriteFile(Site(page), edited);
    WriteFile(Site("config.inc.php"), "my settings");
    TMember title = *members.GetMemberById(2);
    title.memberComment = "标题";
    members.UpdateMember(title);

    EXPECT_EQ(Plan().status[page], "conflict");
    const Result run = Generate({});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Site(page)), edited) << "a conflicting file stays as the user left it";
    const std::string merge = ReadFile(Site(page + ".new"));
    EXPECT_NE(merge.find("<<<<<<< 你的修改"), std::string::npos) << merge;
    EXPECT_NE(merge.find(">my title<"), std::string::npos);
    EXPECT_NE(merge.find(">标题<"), std::string::npos);
    EXPECT_NE(run.out.find("警告：projects/shop/" + page + " 已被修改，本次生成的内容也有变化，两处修改在同样的几行上"),
              std::string::npos) << run.out;
    const auto unmerged = nlohmann::json::parse(ReadFile(Site(RunPlan::kUnmergedPath)));
    EXPECT_EQ(unmerged["unmerged"], nlohmann::json({{page, page + ".new"}}));
    EXPECT_EQ(ReadFile(Site("config.inc.php")), "my settings");
    EXPECT_FALSE(fs::exists(Site("config.inc.php.new"))) << "the shipped settings did not change";

    // Until it is merged, every run finds the same conflict on the same base:
    // nothing the user has not merged is taken as merged.
    ASSERT_EQ(Generate().status, 0);
    EXPECT_EQ(ReadFile(Site(page + ".new")), merge);
    EXPECT_TRUE(nlohmann::json::parse(ReadFile(Site(RunPlan::kUnmergedPath)))["unmerged"].contains(page));

    // Without the base the file cannot be merged: kept, the new text beside
    // it, said in one warning, and refused all the same.
    const std::string base = ReadFile(Site(".quorrel/base/" + page));
    fs::remove(Site(".quorrel/base/" + page));
    const Result noBase = Generate();
    EXPECT_NE(noBase.out.find("上次生成的内容已无从得到，不能合并"), std::string::npos) << noBase.out;
    EXPECT_EQ(ReadFile(Site(page)), edited);
    EXPECT_TRUE(nlohmann::json::parse(ReadFile(Site(RunPlan::kUnmergedPath)))["unmerged"].contains(page));
    WriteFile(Site(".quorrel/base/" + page), base);

    // The user merges by hand (the model's label, and a footer of their
    // own): the next run merges cleanly and the file is no longer refused.
    std::string resolved = ReadFile(Site(page + ".new"));
    resolved = generated;
    resolved.replace(resolved.find(">title<"), 7, ">标题<");
    resolved += "<p>footer</p>\r\n";
    WriteFile(Site(page), resolved);
    const Result after = Generate();
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_NE(after.out.find("projects/shop/" + page + " 已被修改，本次生成的变化已与你的修改合并"), std::string::npos)
        << after.out;
    EXPECT_EQ(ReadFile(Site(page)), resolved);
    EXPECT_EQ(nlohmann::json::parse(ReadFile(Site(RunPlan::kUnmergedPath)))["unmerged"], nlohmann::json::object());

    // The settings stay the user's also when edited files are overwritten.
    ASSERT_EQ(Generate({"--overwrite-edited"}).status, 0);
    EXPECT_EQ(ReadFile(Site("config.inc.php")), "my settings");
    EXPECT_FALSE(fs::exists(Site("config.inc.php.orig")));

    // Two runs of one model write the same manifest: nothing in it changes
    // when nothing changed, so two colleagues' runs agree.
    title.memberComment = "title";
    members.UpdateMember(title);
    WriteFile(Site(page), generated);
    ASSERT_EQ(Generate().status, 0);
    EXPECT_EQ(ReadFile(Site(".quorrel/manifest.json")), manifest);
}

TEST_F(Regeneration, ADamagedManifestIsReportedAndNothingIsOverwritten) {
    ASSERT_EQ(Generate().status, 0);
    // The model changes, so the run has new text for the Tag files; then
    // the manifest is edited by hand.
    members.AddMember(
        Field("color", kTypeString).In(1, classes.GetClassId(1, "Tag")).Must().Comment("color").Length(40));
    const fs::path manifestFile = Site(".quorrel/manifest.json");
    std::string text = ReadFile(manifestFile);
    text.replace(text.find("php_"), 4, "xyz_");
    WriteFile(manifestFile, text);
    AgeEveryFile();

    const Result plan = Cli(home.home(), {"plan", "shop"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    EXPECT_EQ(Warnings(plan.err).size(), 1u) << plan.err;
    EXPECT_NE(plan.err.find("manifest.json"), std::string::npos);
    PrintedPlan printed = ParsePlan(plan.out);
    EXPECT_EQ(printed.status["admin/tag.php"], "edited");
    EXPECT_EQ(printed.status["admin/news.php"], "same");

    const Result run = Generate();
    ASSERT_EQ(run.status, 0) << run.err;
    const auto warnings = Warnings(run.out);
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings.front().find(".quorrel/manifest.json"), std::string::npos) << warnings.front();
    std::size_t edited = 0;
    for (const auto& [path, status] : printed.status) {
        // The Tag files and the model's description change with the model.
        const bool changed = path.find("tag") != std::string::npos || path == "admin/include/site_model.php";
        EXPECT_TRUE(status == "same" || (status == "edited" && changed))
            << path << " " << status;
        edited += status == "edited";
    }
    EXPECT_EQ(warnings.size(), 1 + edited) << run.out;  // the manifest, and each changed file
    EXPECT_TRUE(Untouched("admin/tag.php"));
    EXPECT_TRUE(fs::exists(Site("admin/tag.php.new")));
    // The run's new manifest is whole again: the next plan trusts it.
    const Result next = Cli(home.home(), {"plan", "shop"});
    EXPECT_TRUE(Warnings(next.err).empty()) << next.err;

    // A file that is no JSON at all is damaged too.
    WriteFile(manifestFile, "{ not json");
    EXPECT_EQ(Warnings(Cli(home.home(), {"plan", "shop"}).err).size(), 1u);
}

TEST_F(Regeneration, ARunThatStopsHalfWayLeavesNoManifestClaimingWhatItDidNotWrite) {
    // Something that is not a file where the Tag controller goes: the run
    // writes the pages and the first controllers, then fails.
    fs::create_directories(Site("admin/tag.php"));
    const Result failed = Generate();
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(fs::exists(Site("admin/news.php")));
    EXPECT_FALSE(fs::exists(Site(".quorrel/manifest.json")));
    EXPECT_EQ(failed.out.find("manifest.json"), std::string::npos);
    EXPECT_TRUE(TemporaryFiles().empty());

    fs::remove(Site("admin/tag.php"));
    ASSERT_EQ(Generate().status, 0);
    const std::string manifest = ReadFile(Site(".quorrel/manifest.json"));

    // The model changes and the run fails again: the manifest of the last
    // whole run stays as it was, and the files the failed run did write are
    // no edits of the user's for the next run.
    members.AddMember(
        Field("summary", kTypeString).In(1, classes.GetClassId(1, "News")).Must().Comment("summary").Length(40));
    fs::remove(Site("admin/tag.php"));
    fs::create_directories(Site("admin/tag.php"));
    EXPECT_EQ(Generate().status, 1);
    EXPECT_EQ(ReadFile(Site(".quorrel/manifest.json")), manifest);
    EXPECT_NE(ReadFile(Site("admin/news.php")).find("summary"), std::string::npos);
    // The bases of the next merge are still those of the last whole run.
    const auto recorded = nlohmann::json::parse(manifest);
    for (const auto& entry : recorded["files"]) {
        if (entry["source"] == "generated") {
            EXPECT_EQ(Manifest::Sha256(ReadFile(Site(".quorrel/base/" + entry["path"].get<std::string>()))),
                      entry["sha256"])
                << entry["path"];
        }
    }
    fs::remove(Site("admin/tag.php"));
    PrintedPlan plan = Plan();
    EXPECT_EQ(plan.status["admin/news.php"], "same");
    EXPECT_EQ(plan.status["admin/tag.php"], "new");
    for (const auto& [path, status] : plan.status)
        EXPECT_TRUE(status != "edited" && status != "conflict") << path << " " << status;
}

} // namespace
} // namespace quorrel
