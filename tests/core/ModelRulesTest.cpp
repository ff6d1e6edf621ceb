// The rules of names and texts: a model that breaks one is refused alike by
// `quorrel-cli import` (whole, the model store unchanged), by a run (before
// anything is written) and by the database script, each time with the
// rule's wording naming the class and member.
#include "generation/AutoCode.h"
#include "model/ModelValidator.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"
#include "tests/support/CliRunner.h"
#include "tests/support/Field.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sys/wait.h>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

// A valid model: texts with line breaks and quotes are fine.
const char* kModel = R"({"projects":[{"projectName":"shop","classes":[
 {"className":"User","friendName":"用户 \"1\"","members":[
  {"memberName":"id","memberType":"整型","memberIsPri":1,"memberIsMust":1,"memberComment":"编号"},
  {"memberName":"name","memberType":"字符串","memberLength":20,"memberIsDisplay":1,"memberIsMust":1,
   "memberComment":"多行\r\n说明 */ ?> $x"}]},
 {"className":"Post","friendName":"文章","members":[
  {"memberName":"pid","memberType":"整型","memberIsPri":1,"memberIsMust":1,"memberIsDisplay":1},
  {"memberName":"author","memberType":"User","memberIsMust":1,"memberComment":"作者"}]}]}]})";

struct Rule {
    const char* name;
    // Applied to the model's JSON.
    std::function<void(json&)> breakRule;
    // Pieces the message holds: the rule's words, the class, the member.
    std::vector<std::string> said;
};

json& Class(json& model, std::size_t c) { return model["projects"][0]["classes"][c]; }
json& MemberOf(json& model, std::size_t c, std::size_t m) { return Class(model, c)["members"][m]; }
json KeyOnly(const std::string& className) {
    return {{"className", className}, {"friendName", "x"},
            {"members", json::array({{{"memberName", "id"}, {"memberType", "整型"}, {"memberIsPri", 1},
                                      {"memberIsMust", 1}, {"memberIsDisplay", 1}}})}};
}

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {"member name with a quote", [](json& m) { MemberOf(m, 0, 1)["memberName"] = "na\"me"; },
         {"User", "成员名“na\"me”", "不能用作名称"}},
        {"member name that is code in a PHP string", [](json& m) { MemberOf(m, 1, 1)["memberName"] = "a{${phpinfo()}}"; },
         {"Post", "a{${phpinfo()}}", "不能用作名称"}},
        {"class name with a slash", [](json& m) { Class(m, 1)["className"] = "Po/st"; },
         {"类名“Po/st”", "不能用作名称"}},
        {"table name over 64 with the prefix", [](json& m) { Class(m, 1)["className"] = "P" + std::string(60, 'x'); },
         {"类“P" + std::string(60, 'x') + "”加上表前缀后的表名“php_pxxxx", "过长（65个字符），最多64个字符"}},
        {"column name over 64", [](json& m) { MemberOf(m, 0, 1)["memberName"] = std::string(65, 'n'); },
         {"User", std::string(64, 'n'), "过长（65个字符），最多64个字符"}},
        {"friendly name over 255", [](json& m) { Class(m, 1)["friendName"] = std::string(256, 'f'); },
         {"类“Post”的中文名称", "过长（256个字符），最多255个字符"}},
        {"comment over 1024", [](json& m) { MemberOf(m, 1, 1)["memberComment"] = std::string(1025, 'c'); },
         {"类“Post”的成员“author”的说明", "过长（1025个字符），最多1024个字符"}},
        {"friendly name with a line break", [](json& m) { Class(m, 0)["friendName"] = "用\n户"; },
         {"类“User”的中文名称", "控制字符"}},
        {"comment with a control character", [](json& m) { MemberOf(m, 0, 0)["memberComment"] = "a\x01z"; },
         {"类“User”的成员“id”的说明", "控制字符"}},
        {"classes whose files collide", [](json& m) { m["projects"][0]["classes"].push_back(KeyOnly("user")); },
         {"类“user”和类“User”", "admin/user.php", "同一个文件"}},
        {"a class's list page is another's add page",
         [](json& m) { m["projects"][0]["classes"].push_back(KeyOnly("User_add")); },
         {"类“User_add”和类“User”", "templates/admin/user_add.html", "同一个文件"}},
        {"members equal but for case",
         [](json& m) { Class(m, 1)["members"].push_back({{"memberName", "Author"}, {"memberType", "字符串"}}); },
         {"类“Post”的成员“Author”和成员“author”", "同一列"}},
        {"the sign-in page", [](json& m) { m["projects"][0]["classes"].push_back(KeyOnly("Signin")); },
         {"类“Signin”", "admin/signin.php", "网站自带的文件admin/signin.php", "同名"}},
        {"the frame", [](json& m) { m["projects"][0]["classes"].push_back(KeyOnly("INDEX")); },
         {"类“INDEX”", "admin/iNDEX.php", "admin/index.php", "同名"}},
        {"the picture chooser", [](json& m) { m["projects"][0]["classes"].push_back(KeyOnly("Open_onepic")); },
         {"类“Open_onepic”", "admin/open_onepic.php", "同名"}},
        {"the upload page", [](json& m) { m["projects"][0]["classes"].push_back(KeyOnly("Upload")); },
         {"类“Upload”", "admin/include/upload.php", "同名"}},
    };
    return rules;
}

using test::ShellQuote;

// Runs quorrel-cli with the home folder; the exit status and what it wrote
// to standard error.
std::pair<int, std::string> Cli(const fs::path& home, const std::string& args) {
    const fs::path err = home / "cli.err";
    const int raw = std::system((ShellQuote(QUORREL_CLI) + " --home " + ShellQuote(home.string()) + " " + args + " >/dev/null 2>" +
                                 ShellQuote(err.string()))
                                    .c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadFile(err)};
}

// The model of the document stored as it is, as an older version or another
// program could have left it: the run must refuse it on its own.
int StoreUnchecked(const json& document) {
    std::vector<TClassSnapshot> classes;
    for (const json& c : document["projects"][0]["classes"]) {
        std::vector<TMember> members;
        for (const json& j : c["members"]) {
            TMember m;
            m.memberName = j["memberName"];
            m.memberType = j["memberType"];
            m.memberLength = j.value("memberLength", 0);
            m.memberIsPri = j.value("memberIsPri", 0);
            m.memberIsMust = j.value("memberIsMust", 0);
            m.memberIsInteger = m.memberType == kTypeInteger;
            m.memberIsDisplay = j.value("memberIsDisplay", 0);
            m.memberComment = j.value("memberComment", "");
            members.push_back(m);
        }
        classes.emplace_back(0, c["className"], c["friendName"], std::move(members));
    }
    TProjectDAO().AddProjects({TProjectSnapshot(0, "shop", std::move(classes))});
    return TProjectDAO().LoadProjects().back().id;
}

class RecordingReporter : public RunReporter {
public:
    void AddLine(const ReportLine& line) override { lines.push_back(line.Rendered()); }
    void CheckFailed(int, const std::string& className, ModelCheck) override { lines.push_back("check " + className); }
    void Finished() override { ++finished; }
    void Failed(const std::string& message) override { failures.push_back(message); }
    std::vector<std::string> lines;
    std::vector<std::string> failures;
    int finished = 0;
};

TEST(ModelRules, TheValidModelIsImportedAndGenerated) {
    test::SiteHome home;
    test::WriteFile(home.home() / "model.json", kModel);
    const auto [status, err] = Cli(home.home(), "import " + ShellQuote((home.home() / "model.json").string()));
    ASSERT_EQ(status, 0) << err;
    RecordingReporter reporter;
    TAutoCode(TProjectDAO().LoadProjects().back().id, "shop", "php_", home.home(), reporter).Execute();
    EXPECT_EQ(reporter.finished, 1) << (reporter.failures.empty() ? "" : reporter.failures[0]);
}

class EachRule : public ::testing::TestWithParam<Rule> {};

TEST_P(EachRule, IsRefusedByTheImportAndByTheRunNamingTheRule) {
    const Rule& rule = GetParam();
    json model = json::parse(kModel);
    rule.breakRule(model);

    // The import refuses the whole file and stores nothing.
    test::SiteHome home;
    test::WriteFile(home.home() / "model.json", model.dump());
    const auto [status, err] = Cli(home.home(), "import " + ShellQuote((home.home() / "model.json").string()));
    EXPECT_EQ(status, 1) << err;
    for (const std::string& piece : rule.said)
        EXPECT_NE(err.find(piece), std::string::npos) << "import: " << piece << " not in " << err;
    EXPECT_NE(err.find("nothing was imported"), std::string::npos) << err;
    EXPECT_TRUE(TProjectDAO().LoadProjects().empty());

    // The run refuses the same model, stored without the import's check,
    // before writing anything, in the same words.
    const int projectId = StoreUnchecked(model);
    RecordingReporter reporter;
    TAutoCode(projectId, "shop", "php_", home.home(), reporter).Execute();
    ASSERT_EQ(reporter.failures.size(), 1u);
    EXPECT_EQ(reporter.finished, 0);
    for (const std::string& piece : rule.said)
        EXPECT_NE(reporter.failures[0].find(piece), std::string::npos) << "run: " << piece << " not in " << reporter.failures[0];
    EXPECT_NE(err.find(reporter.failures[0]), std::string::npos) << "the run and the import word it alike";
    EXPECT_FALSE(fs::exists(home.home() / "projects"));

    // Nor does the database script take it.
    const auto [sqlStatus, sqlErr] = Cli(home.home(), "sql shop");
    EXPECT_EQ(sqlStatus, 1);
    EXPECT_NE(sqlErr.find(reporter.failures[0]), std::string::npos) << sqlErr;
}

INSTANTIATE_TEST_SUITE_P(NamesAndTexts, EachRule, ::testing::ValuesIn(Rules()),
                         [](const ::testing::TestParamInfo<Rule>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// Every file the runtime keeps in admin/ is one a class may not replace.
TEST(ModelRules, EveryRuntimeFileOfTheAdministrationIsReserved) {
    const auto& reserved = ModelValidator::SiteAdminFiles();
    const fs::path admin = fs::path(QUORREL_SOURCE_DIR) / "site/bak/admin";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(admin)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string name = entry.path().filename().string();
        EXPECT_NE(std::find(reserved.begin(), reserved.end(), name), reserved.end()) << name;
        // A class whose controller would take that name is refused.
        if (entry.path().extension() == ".php") {
            std::string className = entry.path().stem().string();
            className[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(className[0])));
            EXPECT_TRUE(ModelValidator::ClassProblem(className, "x", {}, "php_")) << className;
        }
    }
    EXPECT_GE(files, 3);
    EXPECT_FALSE(ModelValidator::ClassProblem("News", "新闻", {"Signin", "Index"}, "php_"));
}

// Every class needs exactly one key and one display member: the first class
// without one key is named before any class without one display member.
TEST(ModelRules, TheFirstClassWithoutOneKeyThenWithoutOneDisplayMemberFailsItsCheck) {
    const auto project = [](std::vector<std::pair<int, int>> keysAndDisplays) {
        std::vector<TClassSnapshot> classes;
        for (std::size_t c = 0; c < keysAndDisplays.size(); ++c) {
            std::vector<TMember> members;
            for (int k = 0; k < std::max(keysAndDisplays[c].first, keysAndDisplays[c].second); ++k) {
                test::Field m("m" + std::to_string(k), kTypeInteger);
                if (k < keysAndDisplays[c].first)
                    m.Key();
                if (k < keysAndDisplays[c].second)
                    m.Display();
                members.push_back(m);
            }
            classes.emplace_back(static_cast<int>(c) + 1, std::string(1, static_cast<char>('A' + c)), "x",
                                 std::move(members));
        }
        return TProjectSnapshot(1, "p", std::move(classes));
    };
    const auto failed = [&](std::vector<std::pair<int, int>> keysAndDisplays) {
        const TProjectSnapshot p = project(std::move(keysAndDisplays));
        const auto check = ModelValidator(p).FirstFailedCheck();
        return check ? std::to_string(check->classId) + " " + check->className + " " +
                           ModelValidator::CheckFailedText(check->className, check->check)
                     : std::string("none");
    };
    EXPECT_EQ(failed({}), "none");
    EXPECT_EQ(failed({{1, 1}, {1, 1}}), "none");
    EXPECT_EQ(failed({{1, 1}, {1, 0}, {1, 2}}), "2 B B表显示成员设置错误，每个类有且只能设置一个显示成员!");
    EXPECT_EQ(failed({{1, 1}, {1, 0}, {2, 1}}), "3 C C表主键设置错误，每个类只能设置一个主键!");
    EXPECT_EQ(failed({{0, 1}}), "1 A A表主键设置错误，每个类只能设置一个主键!");
}

} // namespace
} // namespace quorrel
