#include "tests/support/CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using Result = test::CliResult;

Result Cli(const fs::path& home, const std::vector<std::string>& args) {
    return test::RunCli(home, args);
}

const char* kModel = R"({"projects":[{"projectId":7,"projectName":"shop","classes":[
 {"classId":3,"className":"User","friendName":"用户","members":[
  {"memberId":1,"memberName":"id","memberType":"整型","memberLength":0,"memberIsPri":1,"memberComment":"编号","memberIsMust":1,"memberIsInteger":1,"memberIsFloat":0,"queryFlag":0,"memberIsDisplay":0,"memberQueryDisplay":1},
  {"memberId":2,"memberName":"name","memberType":"字符串","memberLength":20,"memberIsPri":0,"memberComment":"it's \"quoted\"","memberIsMust":1,"memberIsInteger":0,"memberIsFloat":0,"queryFlag":1,"memberIsDisplay":1,"memberQueryDisplay":1}]},
 {"classId":9,"className":"Post","friendName":"文章","members":[
  {"memberId":5,"memberName":"pid","memberType":"整型","memberLength":0,"memberIsPri":1,"memberComment":"","memberIsMust":1,"memberIsInteger":1,"memberIsFloat":0,"queryFlag":0,"memberIsDisplay":1,"memberQueryDisplay":1},
  {"memberId":6,"memberName":"author","memberType":"User","memberLength":0,"memberIsPri":0,"memberComment":"作者","memberIsMust":1,"memberIsInteger":0,"memberIsFloat":0,"queryFlag":1,"memberIsDisplay":0,"memberQueryDisplay":1}]}]}]})";

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Cli(home.home(), {"projects"}).status, 0);
        WriteFile(home.home() / "model.json", kModel);
    }
    test::SiteHome home;
};

TEST_F(CommandLine, InitRefusesAnExistingModel) {
    const std::string before = ReadFile(home.file());
    auto result = Cli(home.home(), {"init"});
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find("already exists"), std::string::npos);
    EXPECT_EQ(ReadFile(home.file()), before);

    TempFolder fresh;
    EXPECT_EQ(Cli(fresh.path(), {"init"}).status, 0);
    EXPECT_EQ(Cli(fresh.path(), {"projects"}).out, "");
}

TEST_F(CommandLine, ImportThenExportKeepsTheModelAndItsReferences) {
    auto imported = Cli(home.home(), {"import", (home.home() / "model.json").string()});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Cli(home.home(), {"projects"}).out, "1\tshop\n");

    auto exported = Cli(home.home(), {"export", "shop"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    auto original = nlohmann::json::parse(kModel);
    auto again = nlohmann::json::parse(exported.out);
    // The file's row ids are not kept, nor written: every class and member
    // carries a new uid instead; everything else is the same.
    original["projects"][0].erase("projectId");
    for (auto& cls : original["projects"][0]["classes"]) {
        cls.erase("classId");
        for (auto& member : cls["members"])
            member.erase("memberId");
    }
    std::set<std::string> uids;
    for (auto& cls : again["projects"][0]["classes"]) {
        uids.insert(cls["classUid"].get<std::string>());
        cls.erase("classUid");
        for (auto& member : cls["members"]) {
            uids.insert(member["memberUid"].get<std::string>());
            member.erase("memberUid");
        }
    }
    EXPECT_EQ(uids.size(), 6u);
    for (const auto& uid : uids)
        EXPECT_TRUE(uid.size() == 32 && uid.find_first_not_of("0123456789abcdef") == std::string::npos) << uid;
    EXPECT_EQ(again, original);
    EXPECT_EQ(exported.out.find("Id\""), std::string::npos) << "no row id is exported";
    EXPECT_LT(exported.out.find("\"memberUid\""), exported.out.find("\"memberName\""));
}

TEST_F(CommandLine, ImportRefusesDuplicatesAndMalformedFilesLeavingTheModelAlone) {
    ASSERT_EQ(Cli(home.home(), {"import", (home.home() / "model.json").string()}).status, 0);
    const std::string before = Cli(home.home(), {"export", "shop"}).out;

    auto again = Cli(home.home(), {"import", (home.home() / "model.json").string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("already exists"), std::string::npos);

    WriteFile(home.home() / "broken.json", "{\"projects\":[{\"projectName\":\"other\",\"classes\":[{\"className\":5}]}]}");
    auto broken = Cli(home.home(), {"import", (home.home() / "broken.json").string()});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("className"), std::string::npos);

    WriteFile(home.home() / "garbage.json", "{not json");
    EXPECT_EQ(Cli(home.home(), {"import", (home.home() / "garbage.json").string()}).status, 1);

    EXPECT_EQ(Cli(home.home(), {"projects"}).out, "1\tshop\n");
    EXPECT_EQ(Cli(home.home(), {"export", "shop"}).out, before);
}

TEST_F(CommandLine, ImportRefusesNumbersOutOfRangeAndRepeatedKeysNamingTheField) {
    const auto refused = [&](const std::string& from, const std::string& to, const std::string& named) {
        std::string model = kModel;
        model.replace(model.find(from), from.size(), to);
        WriteFile(home.home() / "bad.json", model);
        auto result = Cli(home.home(), {"import", (home.home() / "bad.json").string()});
        EXPECT_EQ(result.status, 1) << to;
        EXPECT_NE(result.err.find(named), std::string::npos) << to << ": " << result.err;
    };
    // Numbers that a 32-bit reading would cut to a valid-looking value.
    refused("\"memberLength\":20", "\"memberLength\":4294967297", "memberLength");
    refused("\"memberLength\":20", "\"memberLength\":9223372036854775807", "memberLength");
    refused("\"memberLength\":20", "\"memberLength\":-5", "memberLength");
    refused("\"memberLength\":20", "\"memberLength\":300000000", "memberLength");
    refused("\"memberLength\":0,\"memberIsPri\":1", "\"memberLength\":3,\"memberIsPri\":1", "memberLength");
    refused("\"memberIsPri\":1", "\"memberIsPri\":4294967297", "memberIsPri");
    refused("\"queryFlag\":1", "\"queryFlag\":2", "queryFlag");
    refused("\"friendName\":\"用户\"", "\"friendName\":\"用户\",\"friendName\":\"x\"", "friendName");
    refused("\"memberName\":\"id\"", "\"memberName\":\"id\",\"memberName\":\"id\"", "memberName");
    // Texts over the limits a run holds to.
    refused("\"className\":\"Post\"", "\"className\":\"" + std::string(65, 'P') + "\"", std::string(64, 'P'));
    refused("\"memberComment\":\"作者\"", "\"memberComment\":\"" + std::string(1025, 'c') + "\"", "author");
    EXPECT_EQ(Cli(home.home(), {"projects"}).out, "");

    // The longest text column is accepted.
    std::string model = kModel;
    model.replace(model.find("\"memberLength\":20"), 17, "\"memberLength\":65535");
    WriteFile(home.home() / "long.json", model);
    EXPECT_EQ(Cli(home.home(), {"import", (home.home() / "long.json").string()}).status, 0);
}

TEST_F(CommandLine, FailuresAreMessagesAndUnwrittenOutputIsAnError) {
    auto folder = Cli(home.home(), {"import", home.home().string()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;

    ASSERT_EQ(Cli(home.home(), {"import", (home.home() / "model.json").string()}).status, 0);
    for (const auto& args : {std::vector<std::string>{"export", "shop"},
                                                {"sql", "shop"}, {"projects"}, {"generate", "shop"}}) {
        std::string command = test::ShellQuote(QUORREL_CLI) + " --home " + test::ShellQuote(home.home().string());
        for (const auto& arg : args)
            command += " " + test::ShellQuote(arg);
        const int raw = std::system((command + " >/dev/full 2>/dev/null").c_str());
        EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << args[0] << " to a full disk";
    }

    auto unreadable = Cli(home.home() / std::string(300, 'h'), {"projects"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("quorrel-cli: "), std::string::npos);
}

TEST_F(CommandLine, ImportsOfOneFileAtOnceAddTheProjectOnceAndWhole) {
    // Four processes started together; each waits for the model's lock.
    std::string command = "cd " + test::ShellQuote(home.home().string()) + " && for i in 1 2 3 4; do " + test::ShellQuote(QUORREL_CLI) +
                          " --home . import model.json >out$i 2>&1; echo $? >status$i & done; wait";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int succeeded = 0;
    for (int i = 1; i <= 4; ++i) {
        const std::string status = ReadFile(home.home() / ("status" + std::to_string(i)));
        const std::string out = ReadFile(home.home() / ("out" + std::to_string(i)));
        if (status == "0\n")
            ++succeeded;
        else
            EXPECT_NE(out.find("already exists"), std::string::npos) << out;
    }
    EXPECT_EQ(succeeded, 1);
    EXPECT_EQ(Cli(home.home(), {"projects"}).out, "1\tshop\n");
    auto exported = nlohmann::json::parse(Cli(home.home(), {"export", "shop"}).out);
    ASSERT_EQ(exported["projects"][0]["classes"].size(), 2u);
    EXPECT_EQ(exported["projects"][0]["classes"][1]["members"].size(), 2u);
}

TEST_F(CommandLine, GenerateReportsProgressAndExitStatus) {
    ASSERT_EQ(Cli(home.home(), {"import", (home.home() / "model.json").string()}).status, 0);
    auto run = Cli(home.home(), {"generate", "shop"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("projects/shop/admin/templates/fream.tpl菜单页生成完毕!\n", 0), 0u);
    EXPECT_NE(run.out.find("projects/shop/admin/post.php生成完毕!\n"), std::string::npos);
    EXPECT_TRUE(run.out.ends_with("移动资源文件完毕!\nprojects/shop/.gitattributes生成完毕!\n"
                                  "projects/shop/.quorrel/manifest.json清单生成完毕!\n"));
    EXPECT_TRUE(fs::exists(home.site("shop") / "admin/user.php"));

    auto unknown = Cli(home.home(), {"generate", "nope"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("nope"), std::string::npos);
    EXPECT_EQ(Cli(home.home(), {"generate"}).status, 2);
    EXPECT_EQ(Cli(home.home(), {"frobnicate"}).status, 2);
}

// A model of one project "big" with `classes` classes of a key and a display member.
std::string BigModel(int classes) {
    const std::string member = R"("memberLength":0,"memberComment":"","memberIsMust":1,"memberIsInteger":1,)"
                               R"("memberIsFloat":0,"queryFlag":0,"memberQueryDisplay":1)";
    std::string json = R"({"projects":[{"projectName":"big","classes":[)";
    for (int c = 1; c <= classes; ++c) {
        json += (c > 1 ? "," : "");
        json += R"({"className":"Entity)" + std::to_string(c) + R"(","friendName":"实体","members":[)";
        json += R"({"memberName":"id","memberType":"整型","memberIsPri":1,"memberIsDisplay":0,)" + member + "},";
        json += R"({"memberName":"code","memberType":"整型","memberIsPri":0,"memberIsDisplay":1,)" + member + "}]}";
    }
    return json + "]}]}";
}

TEST_F(CommandLine, CtrlCStopsTheRunAfterTheFileBeingWrittenWithStatus130) {
    // 1,000 classes print far more than a pipe holds: the run cannot end
    // before the test reads on, whenever the signal arrives.
    constexpr int kClasses = 1000;
    WriteFile(home.home() / "big.json", BigModel(kClasses));
    ASSERT_EQ(Cli(home.home(), {"import", (home.home() / "big.json").string()}).status, 0);

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const std::string homeArg = home.home().string();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(QUORREL_CLI, QUORREL_CLI, "--home", homeArg.c_str(), "generate", "big", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* stream = fdopen(out[0], "r");
    ASSERT_NE(stream, nullptr);
    std::vector<std::string> lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, stream)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        lines.push_back(line);
        if (lines.size() == 1)
            kill(pid, SIGINT);  // after the first progress line has been read
    }
    fclose(stream);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 130);

    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "projects/big/admin/templates/fream.tpl菜单页生成完毕!");
    // Every line but the last names a file written; the last says how many.
    const std::size_t written = lines.size() - 1;
    const std::size_t total = 2 + 4 * kClasses + 8 + 20;
    EXPECT_LT(written, 4u * kClasses);
    EXPECT_EQ(lines.back(), "代码生成已停止：已写入" + std::to_string(written) + "个文件，共" + std::to_string(total) + "个。");
    std::size_t onDisk = 0;
    for (const auto& entry : fs::recursive_directory_iterator(home.site("big") / "admin"))
        onDisk += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(onDisk, written) << "no file beyond the last line is written";
}

TEST_F(CommandLine, FailedCheckExitsWithThreeAndTheWindowText) {
    std::string model = kModel;
    model.replace(model.find("\"memberIsPri\":1"), 15, "\"memberIsPri\":0");
    WriteFile(home.home() / "nokey.json", model);
    ASSERT_EQ(Cli(home.home(), {"import", (home.home() / "nokey.json").string()}).status, 0);
    auto run = Cli(home.home(), {"generate", "shop"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "User表主键设置错误，每个类只能设置一个主键!\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(CommandLine, SqlPrintsTheScriptAndNothingElse) {
    ASSERT_EQ(Cli(home.home(), {"import", (home.home() / "model.json").string()}).status, 0);
    auto script = Cli(home.home(), {"sql", "shop", "--prefix", "x_"});
    ASSERT_EQ(script.status, 0) << script.err;
    EXPECT_EQ(script.out.rfind("-- x_\nCREATE TABLE IF NOT EXISTS `x_user` (\r\n", 0), 0u) << script.out;
    EXPECT_NE(script.out.find("COMMENT 'it''s \"quoted\"'"), std::string::npos);
    EXPECT_TRUE(script.out.ends_with("ALTER TABLE x_post ADD CONSTRAINT FOREIGN KEY (author) REFERENCES x_user(id);\r\n"));
}

} // namespace
} // namespace quorrel
