#include "base/Error.h"
#include "base/Folders.h"
#include "tests/support/SiteHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

class Folders : public ::testing::Test {
protected:
    fs::path At(const std::string& relative) const { return dir.path() / relative; }
    TempFolder dir;
};

TEST_F(Folders, ResourcesLieBesideTheProgramInTheBuildTreeAndInShareWhenInstalled) {
    fs::create_directories(At("build/bin/bak"));
    EXPECT_EQ(TFolders::ResourceFolderOf(At("build/bin")), At("build/bin"));
    fs::create_directories(At("prefix/bin"));
    EXPECT_EQ(TFolders::ResourceFolderOf(At("prefix/bin")), At("prefix/share/quorrel"));
}

TEST_F(Folders, TheDataFolderFollowsXdgDataHomeThenHome) {
    ScopedEnv home("HOME", At("me").string());
    {
        ScopedEnv xdg("XDG_DATA_HOME", At("xdg").string());
        EXPECT_EQ(TFolders::DefaultDataFolder(), At("xdg/quorrel"));
    }
    {
        // Unset, empty or relative: the default under HOME.
        ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(TFolders::DefaultDataFolder(), At("me/.local/share/quorrel"));
        ScopedEnv empty("XDG_DATA_HOME", "");
        EXPECT_EQ(TFolders::DefaultDataFolder(), At("me/.local/share/quorrel"));
        ScopedEnv relative("XDG_DATA_HOME", "data");
        EXPECT_EQ(TFolders::DefaultDataFolder(), At("me/.local/share/quorrel"));
    }
    ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_THROW(TFolders::DefaultDataFolder(), Error);
}

TEST_F(Folders, TheUsersOwnResourceFileReplacesTheShippedOneFileByFile) {
    const TFolders folders(At("share"), At("data"));
    WriteFile(At("share/template/admin/mysql.sql"), "shipped script");
    WriteFile(At("share/template/admin/templates/admin/fream.tpl"), "shipped menu");
    WriteFile(At("data/template/admin/templates/admin/fream.tpl"), "own menu");
    EXPECT_EQ(ReadFile(folders.Resource("template/admin/mysql.sql")), "shipped script");
    EXPECT_EQ(ReadFile(folders.Resource("template/admin/templates/admin/fream.tpl")), "own menu");
    EXPECT_EQ(folders.Resource("bak/missing.php"), At("share/bak/missing.php"));

    fs::create_directories(At("share/bak/images"));
    fs::create_directories(At("data/bak/images"));
    fs::create_directories(At("data/bak/extra"));
    EXPECT_EQ(folders.ResourceLayers("bak/images"), (std::vector<fs::path>{At("share/bak/images"), At("data/bak/images")}));
    EXPECT_EQ(folders.ResourceLayers("bak/extra"), (std::vector<fs::path>{At("data/bak/extra")}));
    EXPECT_TRUE(folders.ResourceLayers("bak/cache").empty());

    // One home folder: every resource once, from that folder.
    const TFolders home(At("data"));
    EXPECT_EQ(home.ResourceLayers("bak/images"), (std::vector<fs::path>{At("data/bak/images")}));
    EXPECT_EQ(home.ModelFile(), At("data/projects.mdb"));
    EXPECT_EQ(home.Site("shop"), At("data/projects/shop"));
}

TEST_F(Folders, ADataFolderThatCannotBeMadeIsReportedByName) {
    TFolders(At("share"), At("fresh/quorrel")).PrepareData();
    EXPECT_TRUE(fs::is_directory(At("fresh/quorrel")));
    EXPECT_TRUE(fs::is_empty(At("fresh/quorrel")));

    WriteFile(At("plain"), "a file where a folder should be");
    try {
        TFolders(At("share"), At("plain/quorrel")).PrepareData();
        FAIL() << "a data folder under a file was accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(At("plain/quorrel").string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(At("plain")), "a file where a folder should be");
}

TEST_F(Folders, AModelBesideTheProgramIsTakenOverOnlyWhileTheDataFolderHasNone) {
    WriteFile(At("build/bin/projects.mdb"), "old model");
    WriteFile(At("build/bin/projects/shop/index.php"), "old site");
    const TFolders folders(At("build/bin"), At("data"));
    fs::create_directories(At("data"));
    ASSERT_EQ(folders.FormerModel(At("build/bin")), At("build/bin/projects.mdb"));
    // Run with --home in the program's folder: that model is the one in use.
    EXPECT_FALSE(TFolders(At("build/bin")).FormerModel(At("build/bin")));

    EXPECT_TRUE(folders.TakeOverFormerData(At("build/bin")));
    EXPECT_EQ(ReadFile(At("data/projects.mdb")), "old model");
    EXPECT_EQ(ReadFile(At("data/projects/shop/index.php")), "old site");
    EXPECT_FALSE(fs::exists(At("build/bin/projects.mdb")));
    EXPECT_FALSE(folders.FormerModel(At("build/bin")));

    // A model already in the data folder is never replaced.
    WriteFile(At("build/bin/projects.mdb"), "another old model");
    EXPECT_FALSE(folders.FormerModel(At("build/bin")));
    EXPECT_TRUE(folders.TakeOverFormerData(At("build/bin")));
    EXPECT_EQ(ReadFile(At("data/projects.mdb")), "old model");
    EXPECT_EQ(ReadFile(At("build/bin/projects.mdb")), "another old model");
}

} // namespace
} // namespace quorrel
