#include "generation/AutoCode.h"
#include "model/ClassDAO.h"
#include "model/DbHelper.h"
#include "model/MemberDAO.h"
#include "model/ProjectDAO.h"
#include "tests/support/Field.h"
#include "tests/support/SiteHome.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::Field;
using test::ReadFile;
using test::SiteHome;
using test::WriteFile;

class RecordingReporter : public RunReporter {
public:
    void AddLine(const ReportLine& line) override {
        reported.push_back(line);
        lines.push_back(line.Rendered());
        if (onLine)
            onLine(lines.back());
    }
    void CheckFailed(int classId, const std::string&, ModelCheck check) override { failedChecks.emplace_back(classId, check); }
    void Finished() override { ++finished; }
    void Failed(const std::string& message) override { failures.push_back(message); }
    void Progress(std::size_t done, std::size_t total, const std::string& file) override {
        progress.push_back({done, total, file});
        if (stopAt && done == *stopAt)
            stopAsked = true;
    }
    bool StopRequested() const override { return stopAsked; }
    void Stopped(std::size_t written) override { stopped.push_back(written); }

    struct Report {
        std::size_t done, total;
        std::string file;
    };
    std::vector<Report> progress;
    // The user asks the run to stop once this many files are written.
    std::optional<std::size_t> stopAt;
    bool stopAsked = false;
    std::vector<std::size_t> stopped;

    std::vector<ReportLine> reported;  // as the run reported them
    std::vector<std::string> lines;    // the same, as a log shows them
    std::vector<std::pair<int, ModelCheck>> failedChecks;
    int finished = 0;
    std::vector<std::string> failures;
    // Called with each progress line as it is reported, inside the run.
    std::function<void(const std::string&)> onLine;
};

std::vector<std::string> ResourceLines(const std::string& project) {
    std::vector<std::string> lines = {"正在移动资源文件。。。"};
    for (const char* folder : SiteHome::kFolders)
        lines.push_back("移动projects/" + project + "/" + folder +
                        (std::string(folder) == "attachments" ? "文件夹完毕!" : "文件夹完毕！"));
    for (const char* file : SiteHome::kFiles)
        lines.push_back("移动projects/" + project + "/" + file + (std::string(file) == "about.php" ? "完毕" : "完毕!"));
    lines.push_back("移动资源文件完毕!");
    // The git attributes and the manifest of the run come last, a line each.
    lines.push_back("projects/" + project + "/.gitattributes生成完毕!");
    lines.push_back("projects/" + project + "/.quorrel/manifest.json清单生成完毕!");
    return lines;
}

class GenerationRun : public ::testing::Test {
protected:
    RecordingReporter Run(const std::string& project = "shop") { return Run(false, project); }
    RecordingReporter Run(bool overwriteEdited, const std::string& project = "shop") {
        RecordingReporter reporter;
        TAutoCode run(1, project, "php_", home.home(), reporter);
        run.SetPlan(std::make_shared<RunPlan>(RunPlan::Options{false, overwriteEdited}));
        run.Execute();
        return reporter;
    }
    void AddUserClass() {
        classes.AddClass(1, "User", "用户");
        members.AddMember(Field("id", kTypeInteger).In(1, 1).Must().Key());
        members.AddMember(Field("name", kTypeString).In(1, 1).Must().Display());
    }

    SiteHome home;
    TProjectDAO projects;
    TClassDAO classes;
    TMemberDAO members;
    void SetUp() override { projects.AddProject("shop"); }
};

TEST_F(GenerationRun, EmptyProjectCopiesEveryResourceAndFinishes) {
    auto run = Run();
    std::vector<std::string> expected = {"projects/shop/admin/templates/fream.tpl菜单页生成完毕!",
                                         "projects/shop/admin/include/site_model.php生成完毕!"};
    auto resources = ResourceLines("shop");
    expected.insert(expected.end(), resources.begin(), resources.end());
    EXPECT_EQ(run.lines, expected);
    EXPECT_EQ(run.finished, 1);
    EXPECT_TRUE(run.failures.empty());
    for (const char* folder : SiteHome::kFolders) {
        EXPECT_EQ(ReadFile(home.site("shop") / folder / "sub/deep.txt"), std::string("deep in ") + folder);
        EXPECT_EQ(ReadFile(home.site("shop") / folder / "top.txt"), std::string("top of ") + folder);
    }
    for (const char* file : SiteHome::kFiles)
        EXPECT_EQ(ReadFile(home.site("shop") / file), std::string("file ") + file);
}

TEST_F(GenerationRun, GeneratesTemplatesThenControllersThenResources) {
    AddUserClass();
    auto run = Run();
    ASSERT_EQ(run.finished, 1);
    ASSERT_GE(run.lines.size(), 6u);
    const std::vector<std::string> head(run.lines.begin(), run.lines.begin() + 6);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "projects/shop/admin/templates/fream.tpl菜单页生成完毕!",
                        "projects/shop/admin/include/site_model.php生成完毕!",
                        "projects/shop/admin/templates/admin/user_add.html生成完毕!",
                        "projects/shop/admin/templates/admin/user_edit.html生成完毕!",
                        "projects/shop/admin/templates/admin/user.html生成完毕!",
                        "projects/shop/admin/user.php生成完毕!",
                    }));
    EXPECT_EQ(run.lines.size(), 6 + ResourceLines("shop").size());
    EXPECT_TRUE(fs::exists(home.site("shop") / "admin/user.php"));
    // The description is written with the site's other generated files and
    // outlives the copy of the resource folder it lies in.
    EXPECT_NE(ReadFile(home.site("shop") / "admin/include/site_model.php").find("    'User' => array(\r\n"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(home.site("shop") / "admin/templates/admin/user_edit.html"));
}

TEST_F(GenerationRun, TheDataFolderHoldsTheSiteAndItsOwnResourceFilesWin) {
    // The shipped resources stay in home; the user's data folder is apart.
    test::TempFolder data;
    WriteFile(data.path() / "bak/about.php", "own about");
    WriteFile(data.path() / "bak/images/top.txt", "own top of images");
    WriteFile(data.path() / "bak/images/sub/deep.txt", "own deep in images");
    WriteFile(data.path() / "bak/images/logo.svg", "own logo");
    WriteFile(data.path() / "template/admin/templates/admin/fream.tpl", "own menu $topMenuString\n");
    AddUserClass();
    RecordingReporter run;
    TAutoCode(1, "shop", "php_", TFolders(home.home(), data.path()), run).Execute();
    ASSERT_EQ(run.finished, 1) << (run.failures.empty() ? "" : run.failures.front());

    const fs::path site = data.path() / "projects/shop";
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
    EXPECT_EQ(ReadFile(site / "about.php"), "own about");
    EXPECT_EQ(ReadFile(site / "code.php"), "file code.php");
    EXPECT_EQ(ReadFile(site / "images/top.txt"), "own top of images");
    EXPECT_EQ(ReadFile(site / "images/sub/deep.txt"), "own deep in images");
    EXPECT_EQ(ReadFile(site / "images/logo.svg"), "own logo");
    EXPECT_EQ(ReadFile(site / "cache/top.txt"), "top of cache");
    EXPECT_EQ(ReadFile(site / "admin/templates/admin/fream.tpl").substr(3, 9), "own menu ");
    EXPECT_TRUE(fs::exists(site / "admin/user.php"));
}

TEST_F(GenerationRun, FailedKeyCheckWritesNothing) {
    AddUserClass();
    classes.AddClass(1, "Order", "订单");
    members.AddMember(Field("title", kTypeString).In(1, 2).Must().Display());
    auto run = Run();
    EXPECT_EQ(run.failedChecks, (std::vector<std::pair<int, ModelCheck>>{{2, ModelCheck::Key}}));
    EXPECT_TRUE(run.lines.empty());
    EXPECT_EQ(run.finished, 0);
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
}

TEST_F(GenerationRun, FailedDisplayCheckWritesNothing) {
    classes.AddClass(1, "User", "用户");
    members.AddMember(Field("id", kTypeInteger).In(1, 1).Must().Key());
    auto run = Run();
    EXPECT_EQ(run.failedChecks, (std::vector<std::pair<int, ModelCheck>>{{1, ModelCheck::Display}}));
    EXPECT_TRUE(run.lines.empty());
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
}

TEST_F(GenerationRun, MissingResourceFolderStopsTheRunWithAFailureLine) {
    fs::remove_all(home.bak() / "cache");
    auto run = Run();
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[run.lines.size() - 2], "移动projects/shop/attachments文件夹完毕!");
    EXPECT_EQ(run.lines.back().rfind("代码生成失败：", 0), 0u) << run.lines.back();
    EXPECT_NE(run.lines.back().find("cache"), std::string::npos);
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_EQ(run.finished, 0);
}

TEST_F(GenerationRun, MissingResourceFileIsSkippedButLogged) {
    fs::remove(home.bak() / "job.php");
    auto run = Run();
    EXPECT_EQ(run.finished, 1);
    EXPECT_NE(std::find(run.lines.begin(), run.lines.end(), "移动projects/shop/job.php完毕!"), run.lines.end());
    EXPECT_FALSE(fs::exists(home.site("shop") / "job.php"));
}

TEST_F(GenerationRun, SecondRunKeepsChangedTopFilesAndReplacesDeeperOnesUnlessTheUserChangedThem) {
    Run();
    WriteFile(home.site("shop") / "images/top.txt", "changed by the site owner");
    WriteFile(home.site("shop") / "images/sub/deep.txt", "changed too");
    WriteFile(home.site("shop") / "index.php", "changed index");
    WriteFile(home.bak() / "images/sub/deep.txt", "a new deep file");
    WriteFile(home.bak() / "include/sub/deep.txt", "a new deep include");
    WriteFile(home.bak() / "code.php", "a new code.php");
    auto run = Run();
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(ReadFile(home.site("shop") / "images/top.txt"), "changed by the site owner");
    // What the user changed stays; a new shipped version lies beside it,
    // and nothing lies beside a resource whose shipped file did not change.
    EXPECT_EQ(ReadFile(home.site("shop") / "images/sub/deep.txt"), "changed too");
    EXPECT_EQ(ReadFile(home.site("shop") / "images/sub/deep.txt.new"), "a new deep file");
    EXPECT_EQ(ReadFile(home.site("shop") / "index.php"), "changed index");
    EXPECT_FALSE(fs::exists(home.site("shop") / "index.php.new"));
    EXPECT_FALSE(fs::exists(home.site("shop") / "images/top.txt.new"));
    // What the user left as the last run wrote it is replaced.
    EXPECT_EQ(ReadFile(home.site("shop") / "include/sub/deep.txt"), "a new deep include");
    EXPECT_EQ(ReadFile(home.site("shop") / "code.php"), "a new code.php");
}

TEST_F(GenerationRun, ShipsTheSiteFoldersAccessRulesWithoutAProgressLine) {
    WriteFile(home.bak() / ".htaccess", "Options -Indexes\n");
    Run();
    WriteFile(home.site("shop") / ".htaccess", "changed");
    auto run = Run();
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(ReadFile(home.site("shop") / ".htaccess"), "changed");
    EXPECT_FALSE(fs::exists(home.site("shop") / ".htaccess.new")) << "the shipped rules did not change";
    EXPECT_TRUE(std::none_of(run.lines.begin(), run.lines.end(),
                             [](const std::string& line) { return line.find(".htaccess") != std::string::npos; }))
        << "no line of its own";

    // A new version of the shipped rules lies beside the user's, with the
    // one warning about them; also when overwriting edited files is asked.
    WriteFile(home.bak() / ".htaccess", "Options -Indexes -MultiViews\n");
    run = Run(true);
    EXPECT_EQ(ReadFile(home.site("shop") / ".htaccess"), "changed");
    EXPECT_EQ(ReadFile(home.site("shop") / ".htaccess.new"), "Options -Indexes -MultiViews\n");
    std::vector<std::string> lines, warnings;
    for (const auto& line : run.lines)
        (line.rfind("警告：", 0) == 0 ? warnings : lines).push_back(line);
    auto resources = ResourceLines("shop");
    EXPECT_TRUE(std::equal(resources.rbegin(), resources.rend(), lines.rbegin()));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("projects/shop/.htaccess.new"), std::string::npos) << warnings[0];
    // Once beside it, the same shipped version is not written again.
    fs::remove(home.site("shop") / ".htaccess.new");
    Run();
    EXPECT_FALSE(fs::exists(home.site("shop") / ".htaccess.new"));
}

TEST_F(GenerationRun, RefusesNamesThatWouldWriteOutsideTheSite) {
    for (const std::string& name : std::vector<std::string>{"../evil", "", ".", "..", "a\\b", "tab\there"}) {
        auto run = Run(name);
        ASSERT_EQ(run.failures.size(), 1u) << name;
        EXPECT_EQ(run.lines.size(), 1u) << name;
        EXPECT_EQ(run.finished, 0);
    }
    classes.AddClass(1, "../Up", "x");
    members.AddMember(Field("id", kTypeInteger).In(1, 1).Must().Key().Display());
    auto run = Run();
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_NE(run.failures[0].find("../Up"), std::string::npos);
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
    EXPECT_FALSE(fs::exists(home.home() / "Up.php"));
}

TEST_F(GenerationRun, RefusesTextsOverTheirLimitsBeforeWritingAnything) {
    AddUserClass();
    classes.AddClass(1, std::string(10000, 'N'), "长");
    members.AddMember(Field("id", kTypeInteger).In(1, 2).Must().Key().Display());
    auto run = Run();
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_NE(run.failures[0].find("10000"), std::string::npos) << run.failures[0];
    EXPECT_FALSE(fs::exists(home.home() / "projects"));

    // At the limits, counted in characters (three bytes each here), a run goes through.
    classes.DeleteClass(2);
    TMember comment = Field("note", kTypeString).In(1, 1).Must();
    comment.memberLength = 10;
    comment.memberComment = std::string(1024 * 3, '\0');
    for (std::size_t i = 0; i < 1024; ++i)
        comment.memberComment.replace(i * 3, 3, "说");
    members.AddMember(comment);
    EXPECT_EQ(Run().finished, 1);
    comment.memberComment += "说";
    comment.memberName = "note2";
    members.AddMember(comment);
    run = Run();
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_NE(run.failures[0].find("note2"), std::string::npos) << run.failures[0];

    // A length an older model may hold, which the pages would multiply.
    TMember stored = *members.GetMemberById(4);
    members.DeleteMember(5);
    stored.memberLength = 300000000;
    members.UpdateMember(stored);
    run = Run();
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_NE(run.failures[0].find("300000000"), std::string::npos) << run.failures[0];
}

TEST_F(GenerationRun, RefusesToWriteThroughASymbolicLinkAnywhereInTheSite) {
    AddUserClass();
    ASSERT_EQ(Run().finished, 1);
    test::TempFolder outside;
    WriteFile(outside.path() / "victim", "keep me");
    fs::create_directories(outside.path() / "folder");
    const fs::path site = home.site("shop");
    // Each placement: the link that replaces a file or folder of the site, and its target.
    const std::vector<std::pair<fs::path, fs::path>> placements = {
        {site / "index.php", outside.path() / "victim"},
        {site / "admin/user.php", outside.path() / "victim"},
        {site / "admin/templates/admin/fream.tpl", outside.path() / "victim"},
        {site / "admin", outside.path() / "folder"},
        {site, outside.path() / "folder"},
        {home.home() / "projects", outside.path() / "folder"},
    };
    for (const auto& [link, target] : placements) {
        const fs::path moved = link.string() + ".away";
        fs::rename(link, moved);
        fs::create_symlink(target, link);
        auto run = Run();
        EXPECT_EQ(run.finished, 0) << link;
        ASSERT_EQ(run.failures.size(), 1u) << link;
        EXPECT_NE(run.failures[0].find(link.string()), std::string::npos) << run.failures[0];
        EXPECT_EQ(ReadFile(outside.path() / "victim"), "keep me") << link;
        EXPECT_TRUE(fs::is_empty(outside.path() / "folder")) << link;
        fs::remove(link);
        fs::rename(moved, link);
    }
    EXPECT_EQ(Run().finished, 1);
}

TEST_F(GenerationRun, RefusesReferencesToMissingOrIncompleteClasses) {
    AddUserClass();
    classes.AddClass(1, "Post", "文章");
    members.AddMember(Field("pid", kTypeInteger).In(1, 2).Must().Key().Display());
    members.AddMember(Field("author", "Writer").In(1, 2).Must());
    auto run = Run();
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_NE(run.failures[0].find("Post"), std::string::npos);
    EXPECT_NE(run.failures[0].find("author"), std::string::npos);
    EXPECT_NE(run.failures[0].find("Writer"), std::string::npos);
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
}

TEST_F(GenerationRun, RefusesSearchMembersOfTypesThatCannotBeSearched) {
    AddUserClass();
    TMember age = Field("age", kTypeInteger).In(1, 1).Must();
    age.queryFlag = 1;
    members.AddMember(age);
    auto run = Run();
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_NE(run.failures[0].find("age"), std::string::npos);
    EXPECT_NE(run.failures[0].find("整型"), std::string::npos);
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
}

TEST_F(GenerationRun, WarnsAboutNamesThatMakeASiteThatCannotRun) {
    classes.AddClass(1, "Order", "订单");
    members.AddMember(Field("id", kTypeInteger).In(1, 1).Must().Key());
    members.AddMember(Field("group", kTypeString).In(1, 1).Must().Display());
    members.AddMember(Field("2fa", kTypeString).In(1, 1).Must());
    members.AddMember(Field("ab cd", kTypeString).In(1, 1).Must());
    auto run = Run();
    ASSERT_EQ(run.finished, 1);
    ASSERT_GE(run.lines.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(run.lines[i].rfind("警告：", 0), 0u) << run.lines[i];
        // The run reports a warning's text; only the rendering marks it.
        EXPECT_EQ(run.reported[i].severity, Severity::Warning);
        EXPECT_EQ(run.reported[i].text.rfind("类Order", 0), 0u) << run.reported[i].text;
    }
    EXPECT_EQ(run.reported[4].severity, Severity::Progress);
    EXPECT_NE(run.lines[0].find("Order"), std::string::npos);
    EXPECT_NE(run.lines[1].find("group"), std::string::npos);
    EXPECT_NE(run.lines[2].find("2fa"), std::string::npos);
    EXPECT_NE(run.lines[3].find("ab cd"), std::string::npos);
    EXPECT_EQ(run.lines[4], "projects/shop/admin/templates/fream.tpl菜单页生成完毕!");
}

TEST_F(GenerationRun, WarnsAboutChineseClassNamesAndNothingForPlainNames) {
    AddUserClass();
    classes.AddClass(1, "新闻", "新闻");
    members.AddMember(Field("id", kTypeInteger).In(1, 2).Must().Key().Display());
    auto run = Run();
    ASSERT_EQ(run.finished, 1);
    EXPECT_EQ(run.lines[0].rfind("警告：类新闻：", 0), 0u) << run.lines[0];
    EXPECT_EQ(run.lines[1], "projects/shop/admin/templates/fream.tpl菜单页生成完毕!");
}

// Every generated file of the site (templates and controllers) by path.
std::map<std::string, std::string> GeneratedFiles(const fs::path& site) {
    std::map<std::string, std::string> files;
    for (const char* folder : {"admin"})
        for (const auto& entry : fs::recursive_directory_iterator(site / folder))
            if (entry.is_regular_file() && (entry.path().extension() == ".php" || entry.path().extension() == ".html" ||
                                            entry.path().filename() == "fream.tpl"))
                files[fs::relative(entry.path(), site).string()] = ReadFile(entry.path());
    return files;
}

TEST_F(GenerationRun, WritesTheModelAsItWasWhenTheRunStarted) {
    AddUserClass();
    classes.AddClass(1, "Post", "文章");
    members.AddMember(Field("pid", kTypeInteger).In(1, 2).Must().Key().Display());
    members.AddMember(Field("author", "User").In(1, 2).Must());
    TMember picture = Field("picture", kTypeImage).In(1, 2).Must();
    members.AddMember(picture);
    const auto first = Run();
    ASSERT_EQ(first.finished, 1) << (first.failures.empty() ? "" : first.failures[0]);
    const auto before = GeneratedFiles(home.site("shop"));
    ASSERT_EQ(before.size(), 10u);  // menu, description, three pages and a controller per class
    fs::remove_all(home.home() / "projects");

    // After the first file is written, the window renames, retypes, adds and
    // deletes, and another program adds a member: the run goes on with the
    // model as it was.
    RecordingReporter reporter;
    bool edited = false;
    reporter.onLine = [&](const std::string&) {
        if (edited)
            return;
        edited = true;
        classes.UpdateClass(1, 1, "Person", "人员");
        TMember key = *members.GetMemberById(1);
        key.memberName = "personId";
        members.UpdateMember(key);
        members.DeleteMember(5);
        members.AddMember(Field("extra", kTypeString).In(1, 2).Must());
        classes.AddClass(1, "Later", "后来");
        members.AddMember(Field("lid", kTypeInteger).In(1, 3).Must().Key().Display());
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(home.file().c_str(), &other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other,
                               "insert into t_member(projectId,classId,memberName,memberType) values (1,2,'outside','字符串')",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(other);
    };
    TAutoCode(1, "shop", "php_", home.home(), reporter).Execute();
    ASSERT_TRUE(edited);
    ASSERT_EQ(reporter.finished, 1);
    EXPECT_TRUE(GeneratedFiles(home.site("shop")) == before);

    // The edits are real: the next run writes them.
    fs::remove_all(home.home() / "projects");
    const auto last = Run();
    ASSERT_EQ(last.finished, 1) << (last.failures.empty() ? "" : last.failures[0]);
    const auto after = GeneratedFiles(home.site("shop"));
    EXPECT_TRUE(after.count("admin/person.php"));
    EXPECT_TRUE(after.count("admin/later.php"));
    EXPECT_NE(after.at("admin/post.php"), before.at("admin/post.php"));
}

class StoppableRun : public GenerationRun {
protected:
    void SetUp() override {
        GenerationRun::SetUp();
        AddUserClass();
        classes.AddClass(1, "Post", "文章");
        members.AddMember(Field("pid", kTypeInteger).In(1, 2).Must().Key().Display());
        members.AddMember(Field("author", "User").In(1, 2).Must());
    }
    std::size_t Total() const { return TAutoCode::FileCount(*TProjectSnapshot::Take(1)); }
};

TEST_F(StoppableRun, CountsEveryFileUpToTheNumberKnownBeforeTheRunStarts) {
    const std::size_t total = Total();
    ASSERT_EQ(total, 2 + 2 * 4 + std::size(SiteHome::kFolders) + std::size(SiteHome::kFiles));
    const auto run = Run();
    ASSERT_EQ(run.finished, 1) << (run.failures.empty() ? "" : run.failures[0]);
    ASSERT_EQ(run.progress.size(), total);
    for (std::size_t i = 0; i < total; ++i) {
        EXPECT_EQ(run.progress[i].done, i + 1);
        EXPECT_EQ(run.progress[i].total, total);
        EXPECT_TRUE(fs::exists(home.home() / run.progress[i].file)) << run.progress[i].file;
    }
    EXPECT_EQ(run.progress[1].file, "projects/shop/admin/include/site_model.php");
    EXPECT_EQ(run.progress[2].file, "projects/shop/admin/templates/admin/user_add.html");
    EXPECT_EQ(run.progress.back().file, "projects/shop/user.php");
    EXPECT_TRUE(run.stopped.empty());
}

TEST_F(StoppableRun, StopsAfterTheFileBeingWrittenAndSaysHowManyWereWritten) {
    RecordingReporter reporter;
    reporter.stopAt = 3;  // asked while the third file is written
    TAutoCode(1, "shop", "php_", home.home(), reporter).Execute();
    EXPECT_EQ(reporter.finished, 0);
    EXPECT_TRUE(reporter.failures.empty());
    EXPECT_EQ(reporter.stopped, std::vector<std::size_t>{3});
    ASSERT_EQ(reporter.progress.size(), 3u);
    ASSERT_GE(reporter.lines.size(), 2u);
    EXPECT_EQ(reporter.lines.back(), "代码生成已停止：已写入3个文件，共" + std::to_string(Total()) + "个。");
    EXPECT_EQ(reporter.lines[reporter.lines.size() - 2],
              "projects/shop/admin/templates/admin/user_add.html生成完毕!");
    EXPECT_EQ(GeneratedFiles(home.site("shop")).size(), 3u);
    EXPECT_FALSE(fs::exists(home.site("shop") / "admin/templates/admin/user_edit.html"));
    EXPECT_FALSE(fs::exists(home.site("shop") / "cache"));
}

TEST_F(StoppableRun, StopsBetweenTheResourcesToo) {
    const std::size_t total = Total();
    RecordingReporter reporter;
    reporter.stopAt = total - 1;  // the last resource file is not copied
    TAutoCode(1, "shop", "php_", home.home(), reporter).Execute();
    EXPECT_EQ(reporter.stopped, std::vector<std::size_t>{total - 1});
    EXPECT_EQ(reporter.lines.back(), TAutoCode::StoppedLine(total - 1, total));
    EXPECT_EQ(reporter.lines[reporter.lines.size() - 2], "移动projects/shop/ucenter.php完毕!");
    EXPECT_TRUE(fs::exists(home.site("shop") / "ucenter.php"));
    EXPECT_FALSE(fs::exists(home.site("shop") / "user.php"));
}

TEST_F(StoppableRun, AStopAskedBeforeTheFirstFileWritesNothing) {
    RecordingReporter reporter;
    reporter.stopAsked = true;
    TAutoCode(1, "shop", "php_", home.home(), reporter).Execute();
    EXPECT_EQ(reporter.stopped, std::vector<std::size_t>{0});
    EXPECT_EQ(reporter.lines, std::vector<std::string>{TAutoCode::StoppedLine(0, Total())});
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
}

TEST_F(GenerationRun, LockedOrDamagedModelFailsAtTheStartWritingNothing) {
    AddUserClass();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(home.file().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto locked = Run();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_EQ(locked.failures.size(), 1u);
    EXPECT_EQ(locked.lines, std::vector<std::string>{"代码生成失败：" + locked.failures[0]});
    EXPECT_EQ(locked.failures[0].rfind("无法读取模型", 0), 0u) << locked.failures[0];
    EXPECT_NE(locked.failures[0].find("locked"), std::string::npos) << locked.failures[0];
    EXPECT_EQ(locked.finished, 0);
    EXPECT_FALSE(fs::exists(home.home() / "projects"));

    TDbHelper::CloseConnection();
    WriteFile(home.file(), std::string(4096, 'x'));
    auto damaged = Run();
    ASSERT_EQ(damaged.failures.size(), 1u);
    EXPECT_EQ(damaged.failures[0].rfind("无法读取模型", 0), 0u) << damaged.failures[0];
    EXPECT_EQ(damaged.lines.size(), 1u);
    EXPECT_FALSE(fs::exists(home.home() / "projects"));
}

TEST_F(GenerationRun, DoesNotDependOnTheWorkingDirectory) {
    AddUserClass();
    const fs::path before = fs::current_path();
    test::TempFolder elsewhere;
    fs::current_path(elsewhere.path());
    auto run = Run();
    fs::current_path(before);
    EXPECT_EQ(run.finished, 1);
    EXPECT_TRUE(fs::exists(home.site("shop") / "admin/user.php"));
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

} // namespace
} // namespace quorrel
