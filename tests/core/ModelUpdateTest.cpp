#include "model/ProjectSnapshot.h"
#include "tests/support/CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;
using json = nlohmann::json;

const char* kShop = R"({"projects":[{"projectName":"shop","classes":[
 {"className":"User","friendName":"用户","members":[
  {"memberName":"id","memberType":"整型","memberIsPri":1,"memberIsMust":1},
  {"memberName":"name","memberType":"字符串","memberLength":20,"memberIsDisplay":1},
  {"memberName":"email","memberType":"字符串","memberLength":80}]},
 {"className":"Post","friendName":"文章","members":[
  {"memberName":"pid","memberType":"整型","memberIsPri":1,"memberIsDisplay":1},
  {"memberName":"title","memberType":"字符串","memberLength":50},
  {"memberName":"author","memberType":"User","memberComment":"作者"}]}]}]})";

bool IsUid(const std::string& text) {
    return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Every uid of the stored project with its row id, classes and members alike.
std::map<std::string, int> RowIds(int projectId) {
    std::map<std::string, int> ids;
    const auto snapshot = TProjectSnapshot::Take(projectId);
    for (const TClassSnapshot& cls : snapshot->Classes()) {
        ids.emplace(cls.ClassUid(), cls.ClassId());
        for (const TMember& m : cls.Members())
            ids.emplace(m.memberUid, m.memberId);
    }
    return ids;
}

class ModelUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(home.home() / "shop.json", kShop);
        auto imported = Cli({"import", (home.home() / "shop.json").string()});
        ASSERT_EQ(imported.status, 0) << imported.err;
    }
    test::CliResult Cli(const std::vector<std::string>& args) const { return test::RunCli(home.home(), args); }
    json Export() const {
        auto exported = Cli({"export", "shop"});
        EXPECT_EQ(exported.status, 0) << exported.err;
        return json::parse(exported.out);
    }
    // Writes the document and applies it to "shop" with --update.
    test::CliResult Update(const json& document) const {
        WriteFile(home.home() / "edited.json", document.dump(2));
        return Cli({"import", "--update", "shop", (home.home() / "edited.json").string()});
    }
    test::SiteHome home;
};

TEST_F(ModelUpdate, AnEditedExportChangesTheProjectInPlaceKeepingIdentitiesAndRowIds) {
    const json before = Export();
    const auto idsBefore = RowIds(1);
    json edited = before;
    json& user = edited["projects"][0]["classes"][0];
    json& post = edited["projects"][0]["classes"][1];
    user["className"] = "Customer";
    user["members"][1]["memberName"] = "fullName";
    user["members"][2]["memberLength"] = 120;
    user["members"].push_back({{"memberName", "phone"}, {"memberType", "字符串"}, {"memberLength", 15}});
    post["members"].erase(1);  // title
    const std::string titleUid = before["projects"][0]["classes"][1]["members"][1]["memberUid"];

    auto update = Update(edited);
    ASSERT_EQ(update.status, 0) << update.err;
    // The author reference still names "User" in the file and follows the
    // rename: one of the two changed members.
    EXPECT_EQ(update.out, "updated project shop: 0 classes added, 1 renamed, 0 removed, 0 changed; "
                          "1 member added, 1 renamed, 1 removed, 2 changed\n");

    json after = Export();
    json& phone = after["projects"][0]["classes"][0]["members"][3];
    ASSERT_EQ(phone["memberName"], "phone");
    const std::string phoneUid = phone["memberUid"];
    EXPECT_TRUE(IsUid(phoneUid)) << phoneUid;
    EXPECT_EQ(idsBefore.count(phoneUid), 0u);
    // The model is the edited file, the kept rows carrying their uids as
    // before, the new member its new uid and the defaults of the fields left
    // out, the reference retyped.
    json expected = edited;
    expected["projects"][0]["classes"][1]["members"][1]["memberType"] = "Customer";
    expected["projects"][0]["classes"][0]["members"][3] = {
        {"memberUid", phoneUid},   {"memberName", "phone"},   {"memberType", "字符串"},  {"memberLength", 15},
        {"memberIsPri", 0},        {"memberComment", ""},     {"memberIsMust", 0},       {"memberIsInteger", 0},
        {"memberIsFloat", 0},      {"queryFlag", 0},          {"memberIsDisplay", 0},    {"memberQueryDisplay", 1}};
    EXPECT_EQ(after, expected);

    auto idsAfter = RowIds(1);
    EXPECT_GT(idsAfter.at(phoneUid), idsBefore.at(before["projects"][0]["classes"][1]["members"][2]["memberUid"]))
        << "a new member gets a new row after every existing one";
    idsAfter.erase(phoneUid);
    auto keptBefore = idsBefore;
    keptBefore.erase(titleUid);
    EXPECT_EQ(idsAfter, keptBefore) << "every kept class and member keeps its uid and row id";

    // Applying the export of the result again changes nothing, not a byte.
    const std::string model = ReadFile(home.file());
    auto again = Update(after);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "updated project shop: 0 classes added, 0 renamed, 0 removed, 0 changed; "
                         "0 members added, 0 renamed, 0 removed, 0 changed\n");
    EXPECT_EQ(ReadFile(home.file()), model);
}

TEST_F(ModelUpdate, AnUpdateThatBreaksARuleChangesNothingAndNamesTheProblem) {
    const json exported = Export();
    const std::string model = ReadFile(home.file());
    // Each edit renames a class, which would show if anything were written
    // before the refusal, and breaks one rule.
    const auto refused = [&](const std::string& named, const std::function<void(json&)>& edit) {
        json document = exported;
        document["projects"][0]["classes"][0]["className"] = "Customer";
        edit(document["projects"][0]);
        auto result = Update(document);
        EXPECT_EQ(result.status, 1) << named;
        EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
        EXPECT_TRUE(result.err.ends_with("; nothing was changed\n")) << result.err;
        EXPECT_EQ(ReadFile(home.file()), model) << named;
    };
    refused("author", [](json& p) { p["classes"][1]["members"][2]["memberComment"] = std::string(1025, 'c'); });
    refused("two classes named \"Post\"", [](json& p) { p["classes"][0]["className"] = "Post"; });
    refused("Customer.id and Post.pid", [](json& p) {
        p["classes"][1]["members"][0]["memberUid"] = p["classes"][0]["members"][0]["memberUid"];
    });
    refused("\"classUid\" must be 32 lower-case hex digits",
            [](json& p) { p["classes"][1]["classUid"] = "0123456789ABCDEF0123456789ABCDEF"; });
    refused("\"email\" and \"name\" of class \"Customer\" stand in the other order", [](json& p) {
        std::swap(p["classes"][0]["members"][1], p["classes"][0]["members"][2]);
    });
    refused("new member \"phone\" of class \"Customer\" stands before \"email\"", [](json& p) {
        auto& members = p["classes"][0]["members"];
        members.insert(members.begin() + 2, json{{"memberName", "phone"}, {"memberType", "整型"}});
    });
    refused("not \"shop\"", [](json& p) { p["projectName"] = "store"; });
    refused("no class of the file has the classUid", [](json& p) {
        for (auto& cls : p["classes"])
            cls.erase("classUid");
    });

    auto unknown = Cli({"import", "--update", "nope", (home.home() / "shop.json").string()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("\"nope\""), std::string::npos) << unknown.err;
    EXPECT_EQ(ReadFile(home.file()), model);
}

TEST_F(ModelUpdate, IdentitiesTravelToAnotherModelFileAndAnUpdateThereMatchesThem) {
    const std::string first = Cli({"export", "shop"}).out;
    test::SiteHome other;
    WriteFile(other.home() / "shop.json", first);
    ASSERT_EQ(test::RunCli(other.home(), {"import", (other.home() / "shop.json").string()}).status, 0);
    // No row id in the text, so the other model exports the same bytes.
    EXPECT_EQ(test::RunCli(other.home(), {"export", "shop"}).out, first);

    // Edited and applied here, then the new export applied there: the other
    // model matches by uid, keeps the class renamed here as one class, and
    // takes the new class with the uid it got here.
    json edited = json::parse(first);
    edited["projects"][0]["classes"][0]["className"] = "Customer";
    edited["projects"][0]["classes"].push_back(
        {{"className", "Tag"}, {"friendName", "标签"},
         {"members", {{{"memberName", "tid"}, {"memberType", "整型"}, {"memberIsPri", 1}}}}});
    ASSERT_EQ(Update(edited).status, 0);
    const std::string second = Cli({"export", "shop"}).out;
    WriteFile(other.home() / "second.json", second);
    auto there = test::RunCli(other.home(), {"import", "--update", "shop", (other.home() / "second.json").string()});
    ASSERT_EQ(there.status, 0) << there.err;
    EXPECT_EQ(there.out, "updated project shop: 1 class added, 1 renamed, 0 removed, 0 changed; "
                         "1 member added, 0 renamed, 0 removed, 1 changed\n");
    EXPECT_EQ(test::RunCli(other.home(), {"export", "shop"}).out, second);
}

} // namespace
} // namespace quorrel
