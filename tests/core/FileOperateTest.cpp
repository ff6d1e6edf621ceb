#include "base/FileOperate.h"
#include "base/Error.h"
#include "tests/support/SiteHome.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

class FileOperate : public ::testing::Test {
protected:
    fs::path At(const std::string& relative) const { return dir.path() / relative; }
    TempFolder dir;
};

TEST_F(FileOperate, WritesUtf8WithAByteOrderMarkAndNothingElse) {
    TFileOperate::WriteUtf8File("", At("empty"));
    EXPECT_EQ(ReadFile(At("empty")), "\xEF\xBB\xBF");
    TFileOperate::WriteUtf8File("abc", At("abc"));
    EXPECT_EQ(ReadFile(At("abc")), "\xEF\xBB\xBF" "abc");
    TFileOperate::WriteUtf8File("完毕", At("done"));
    EXPECT_EQ(ReadFile(At("done")), "\xEF\xBB\xBF\xE5\xAE\x8C\xE6\xAF\x95");
    TFileOperate::WriteUtf8File("line\r\nnext", At("abc"));
    EXPECT_EQ(ReadFile(At("abc")), "\xEF\xBB\xBF" "line\r\nnext");
    TFileOperate::WriteUtf8File("x", At("abc"));
    EXPECT_EQ(ReadFile(At("abc")), "\xEF\xBB\xBFx");
}

TEST_F(FileOperate, WriteTextFileCreatesDeepFolders) {
    TFileOperate::WriteTextFile(At("a/b/c"), At("a/b/c/f.txt"), "t");
    EXPECT_EQ(ReadFile(At("a/b/c/f.txt")), "\xEF\xBB\xBFt");
}

TEST_F(FileOperate, UnwritableDestinationsRaiseErrorsNamingThePath) {
    WriteFile(At("blocker"), "a file where a folder should be");
    try {
        TFileOperate::WriteTextFile(At("blocker/sub"), At("blocker/sub/f.txt"), "t");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("blocker"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TFileOperate::WriteUtf8File("t", At("missing/f.txt")), Error);
    if (geteuid() != 0) {  // root writes anywhere
        fs::create_directories(At("ro"));
        fs::permissions(At("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_THROW(TFileOperate::WriteUtf8File("t", At("ro/f.txt")), Error);
        fs::permissions(At("ro"), fs::perms::owner_all);
    }
    if (fs::exists("/dev/full")) {
        EXPECT_THROW(TFileOperate::WriteUtf8File(std::string(1 << 20, 'x'), "/dev/full"), Error);
    }
}

TEST_F(FileOperate, ReadsUtf8DroppingOnlyAByteOrderMark) {
    TFileOperate::WriteUtf8File("中文 text\r\n", At("bom"));
    EXPECT_EQ(TFileOperate::ReadUtf8File(At("bom")), "中文 text\r\n");
    WriteFile(At("plain"), "abcdef");
    EXPECT_EQ(TFileOperate::ReadUtf8File(At("plain")), "abcdef");
    EXPECT_THROW(TFileOperate::ReadUtf8File(At("missing")), Error);
}

TEST_F(FileOperate, ReadsTextFilesLineByLineWithCrLf) {
    EXPECT_EQ(TFileOperate::ReadTextFile(At("missing")), "");
    WriteFile(At("lf"), "a\nb");
    EXPECT_EQ(TFileOperate::ReadTextFile(At("lf")), "a\r\nb\r\n");
    WriteFile(At("mixed"), "a\r\nb\rc\n\nd\n");
    EXPECT_EQ(TFileOperate::ReadTextFile(At("mixed")), "a\r\nb\r\nc\r\n\r\nd\r\n");
    WriteFile(At("empty"), "");
    EXPECT_EQ(TFileOperate::ReadTextFile(At("empty")), "");
    // "菜单 $x" saved in the GBK code page.
    WriteFile(At("gbk"), "\xB2\xCB\xB5\xA5 $x\n");
    EXPECT_EQ(TFileOperate::ReadTextFile(At("gbk")), "菜单 $x\r\n");
}

TEST_F(FileOperate, CopyDirectoryKeepsOnlyExistingTopFiles) {
    WriteFile(At("src/top.txt"), "top");
    WriteFile(At("src/.hidden"), "hidden");
    WriteFile(At("src/sub/deep.txt"), "deep");
    WriteFile(At("src/sub/subsub/deeper.txt"), "deeper");
    EXPECT_TRUE(TFileOperate::CopyDirectory(At("src"), At("dst/nested"), true));
    EXPECT_EQ(ReadFile(At("dst/nested/top.txt")), "top");
    EXPECT_EQ(ReadFile(At("dst/nested/.hidden")), "hidden");
    EXPECT_EQ(ReadFile(At("dst/nested/sub/subsub/deeper.txt")), "deeper");

    WriteFile(At("dst/nested/top.txt"), "changed top");
    WriteFile(At("dst/nested/sub/deep.txt"), "changed deep");
    TFileOperate::CopyDirectory(At("src"), At("dst/nested"), true);
    EXPECT_EQ(ReadFile(At("dst/nested/top.txt")), "changed top");
    EXPECT_EQ(ReadFile(At("dst/nested/sub/deep.txt")), "deep");
    TFileOperate::CopyDirectory(At("src"), At("dst/nested"), false);
    EXPECT_EQ(ReadFile(At("dst/nested/top.txt")), "top");
}

TEST_F(FileOperate, CopyDirectoryOfAMissingSourceRaisesAndCreatesNothing) {
    EXPECT_THROW(TFileOperate::CopyDirectory(At("nope"), At("dst"), true), Error);
    EXPECT_FALSE(fs::exists(At("dst")));
}

TEST_F(FileOperate, CopyDirectoryLeavesTheWorkingDirectoryAndCopiesWhatLinksPointTo) {
    WriteFile(At("outside/lib/code.php"), "code");
    WriteFile(At("outside/jquery.min.js"), "jquery");
    WriteFile(At("src/a.txt"), "a");
    fs::create_directory_symlink(At("outside/lib"), At("src/lib"));
    fs::create_directories(At("src/js"));
    fs::create_symlink(At("outside/jquery.min.js"), At("src/js/jquery.js"));
    const fs::path before = fs::current_path();
    TFileOperate::CopyDirectory(At("src"), At("dst"), true);
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_FALSE(fs::is_symlink(At("dst/lib")));
    EXPECT_EQ(ReadFile(At("dst/lib/code.php")), "code");
    EXPECT_FALSE(fs::is_symlink(At("dst/js/jquery.js")));
    EXPECT_EQ(ReadFile(At("dst/js/jquery.js")), "jquery");
}

TEST_F(FileOperate, CopyDirectoryRefusesALinkBackToAFolderThatHoldsIt) {
    WriteFile(At("src/sub/a.txt"), "a");
    fs::create_directory_symlink(At("src"), At("src/sub/loop"));
    EXPECT_THROW(TFileOperate::CopyDirectory(At("src"), At("dst"), false), Error);
}

TEST_F(FileOperate, LaterLayersReplaceFilesButKeptTopFilesStay) {
    WriteFile(At("shipped/top.txt"), "shipped top");
    WriteFile(At("shipped/other.txt"), "shipped other");
    WriteFile(At("shipped/sub/deep.txt"), "shipped deep");
    WriteFile(At("shipped/sub/only.txt"), "shipped only");
    WriteFile(At("own/top.txt"), "own top");
    WriteFile(At("own/sub/deep.txt"), "own deep");
    WriteFile(At("dst/other.txt"), "generated");

    TFileOperate::CopyDirectoryLayers({At("shipped"), At("own")}, At("dst"), true);
    EXPECT_EQ(ReadFile(At("dst/top.txt")), "own top");
    EXPECT_EQ(ReadFile(At("dst/other.txt")), "generated");
    EXPECT_EQ(ReadFile(At("dst/sub/deep.txt")), "own deep");
    EXPECT_EQ(ReadFile(At("dst/sub/only.txt")), "shipped only");

    // A second run keeps the top file the first one made, as with one layer.
    WriteFile(At("dst/top.txt"), "changed");
    TFileOperate::CopyDirectoryLayers({At("shipped"), At("own")}, At("dst"), true);
    EXPECT_EQ(ReadFile(At("dst/top.txt")), "changed");
    EXPECT_THROW(TFileOperate::CopyDirectoryLayers({At("shipped"), At("missing")}, At("dst2"), true), Error);
    EXPECT_FALSE(fs::exists(At("dst2")));
}

} // namespace
} // namespace quorrel
