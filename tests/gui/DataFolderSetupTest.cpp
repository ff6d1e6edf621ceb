#include "tests/gui/GuiTestSupport.h"

#include "model/DbHelper.h"
#include "model/ProjectDAO.h"
#include "ui/DataFolderSetup.h"

namespace quorrel::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class DataFolderStart : public ::testing::Test {
protected:
    fs::path At(const std::string& relative) const { return dir.path() / relative; }
    // The program's folder of a build tree, with its resources.
    fs::path Program() const { return At("build/bin"); }
    TFolders Folders(const std::string& data = "data/quorrel") const { return TFolders(Program(), At(data)); }

    void SetUp() override { fs::create_directories(Program() / "bak"); }
    void TearDown() override { TDbHelper::CloseConnection(); }

    TempFolder dir;
    FakePrompts boxes;
};

TEST_F(DataFolderStart, TheFirstStartMakesTheFolderWithAnEmptyModelAndAsksNothing) {
    ASSERT_TRUE(DataFolderSetup::Prepare(Folders(), Program(), boxes));
    EXPECT_TRUE(boxes.shown.empty());
    TDbHelper::SetModelFile(At("data/quorrel/projects.mdb"));
    EXPECT_TRUE(TProjectDAO().LoadProjects().empty());
    EXPECT_FALSE(fs::exists(Program() / "projects.mdb"));
}

TEST_F(DataFolderStart, AFolderThatCannotBeMadeIsNamedWithTheWayOut) {
    WriteFile(At("a-file"), "in the way");
    EXPECT_FALSE(DataFolderSetup::Prepare(Folders("a-file/quorrel"), Program(), boxes));
    const auto errors = boxes.Texts(BoxKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains(QString::fromStdString(At("a-file/quorrel").string()))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("--home"))) << errors[0].toStdString();
    EXPECT_EQ(ReadFile(At("a-file")), "in the way");
}

TEST_F(DataFolderStart, AModelBesideTheProgramIsMovedWhenTheUserAgrees) {
    TDbHelper::CreateModelFile(Program() / "projects.mdb");
    TDbHelper::SetModelFile(Program() / "projects.mdb");
    TProjectDAO().AddProject("shop");
    TDbHelper::CloseConnection();
    WriteFile(Program() / "projects/shop/index.php", "site");

    boxes.confirmAnswers = {true};
    ASSERT_TRUE(DataFolderSetup::Prepare(Folders(), Program(), boxes));
    const auto asked = boxes.Texts(BoxKind::Confirm);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].contains(QString::fromStdString((Program() / "projects.mdb").string())));
    EXPECT_FALSE(fs::exists(Program() / "projects.mdb"));
    EXPECT_EQ(ReadFile(At("data/quorrel/projects/shop/index.php")), "site");
    TDbHelper::SetModelFile(At("data/quorrel/projects.mdb"));
    ASSERT_EQ(TProjectDAO().LoadProjects().size(), 1u);
    EXPECT_EQ(TProjectDAO().LoadProjects()[0].name, "shop");
}

TEST_F(DataFolderStart, DecliningStartsEmptyAndLeavesTheOldModelAlone) {
    WriteFile(Program() / "projects.mdb", "an old model");
    boxes.confirmAnswers = {false};
    ASSERT_TRUE(DataFolderSetup::Prepare(Folders(), Program(), boxes));
    EXPECT_EQ(ReadFile(Program() / "projects.mdb"), "an old model");
    TDbHelper::SetModelFile(At("data/quorrel/projects.mdb"));
    EXPECT_TRUE(TProjectDAO().LoadProjects().empty());

    // Asked on the first start only.
    boxes.Clear();
    ASSERT_TRUE(DataFolderSetup::Prepare(Folders(), Program(), boxes));
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace quorrel::test
