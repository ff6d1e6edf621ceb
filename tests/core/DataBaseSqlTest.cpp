#include "base/FileOperate.h"
#include "generators/DataBaseSql.h"

#include "base/Error.h"
#include "tests/support/PhpModels.h"
#include "tests/support/TempModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

namespace quorrel {
namespace {

using test::ExpectErrorNaming;
using test::ModelBuilder;
using test::TempFolder;
using test::TempModel;

// A script template in the style of the site's own: byte-order mark, a
// header naming the prefix, the tables, a closing line.
const std::string kTemplate =
    "\xEF\xBB\xBF-- 数据表 $dbprefix*\r\n"
    "SET NAMES utf8;\r\n"
    "\r\n"
    "$sqlString"
    "-- end of the $dbprefix tables\r\n";

class Script : public ::testing::Test {
protected:
    TempModel model;
    TempFolder home;

    Script() { WriteTemplate(kTemplate); }

    void WriteTemplate(const std::string& text) {
        std::filesystem::create_directories(home.path() / "template/admin");
        std::ofstream(home.path() / "template/admin/mysql.sql", std::ios::binary | std::ios::trunc) << text;
    }
    std::string Build(int projectId, const std::string& prefix) const {
        const std::string scriptTemplate = TFileOperate::ReadUtf8File(home.path() / TDataBaseSql::kTemplatePath);
        return TDataBaseSql(scriptTemplate).BuildScript(*TProjectSnapshot::Take(projectId), prefix);
    }
};

TEST_F(Script, ShopScriptMatchesItsGoldenFile) {
    const int projectId = test::BuildShopModel();
    test::ExpectGolden("sql/shop.sql", Build(projectId, "php_"));
}

TEST_F(Script, DigitFirstScriptMatchesItsGoldenFile) {
    const int projectId = test::BuildDigitFirstModel();
    test::ExpectGolden("sql/lab.sql", Build(projectId, "lab_"));
}

TEST_F(Script, CommentsHaveQuotesAndBackslashesDoubledAndNothingElseChanged) {
    ModelBuilder b("p");
    const int note = b.Class("Note", "");
    b.Member(note, "noteId", kTypeInteger, "it's", test::kKey | test::kDisplay);
    b.Member(note, "path", kTypeString, "C:\\dir\\", test::kMust, 8);
    b.Member(note, "plain", kTypeDate, "日期 \"quoted\" %_");
    const std::string script = Build(b.projectId(), "x_");
    EXPECT_NE(script.find("  `noteId` int(11) NOT NULL AUTO_INCREMENT COMMENT 'it''s',\r\n"), std::string::npos);
    EXPECT_NE(script.find("  `path` varchar(8) COLLATE utf8_bin NOT NULL COMMENT 'C:\\\\dir\\\\',\r\n"),
              std::string::npos);
    EXPECT_NE(script.find("  `plain` date NOT NULL COMMENT '日期 \"quoted\" %_',\r\n"), std::string::npos);
}

TEST_F(Script, TableBlockPutsTheKeyFirstWhateverItsPlace) {
    ModelBuilder b("p");
    const int c = b.Class("Article", "");
    b.Member(c, "title", kTypeString, "t", test::kDisplay, 10);
    b.Member(c, "body", kTypeString, "b", test::kMust, 200);
    b.Member(c, "id", kTypeInteger, "k", test::kKey);
    b.Member(c, "n", kTypeInteger, "", 0);
    b.Member(c, "f", kTypeFloat, "", test::kMust);
    b.Member(c, "pic", kTypeImage, "");
    WriteTemplate("$sqlString");
    EXPECT_EQ(Build(b.projectId(), "php_"),
              "CREATE TABLE IF NOT EXISTS `php_article` (\r\n"
              "  `id` int(11) NOT NULL AUTO_INCREMENT COMMENT 'k',\r\n"
              "  `title` varchar(10) COLLATE utf8_bin NULL COMMENT 't',\r\n"
              "  `body` varchar(200) COLLATE utf8_bin NOT NULL COMMENT 'b',\r\n"
              "  `n` int(11) NOT NULL COMMENT '',\r\n"
              "  `f` float NOT NULL COMMENT '',\r\n"
              "  `pic` text COLLATE utf8_bin NOT NULL COMMENT '',\r\n"
              "  PRIMARY KEY (`id`)\r\n"
              ") ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;\r\n"
              "\r\n");
}

TEST_F(Script, KeyOfAnotherBasicTypeIsAVarcharOfItsStoredLength) {
    ModelBuilder b("p");
    const int c = b.Class("Odd", "");
    b.Member(c, "rate", kTypeFloat, "", test::kKey | test::kDisplay);
    WriteTemplate("$sqlString");
    EXPECT_EQ(Build(b.projectId(), ""),
              "CREATE TABLE IF NOT EXISTS `odd` (\r\n"
              "  `rate` varchar(0) COLLATE utf8_bin NOT NULL COMMENT '',\r\n"
              "  PRIMARY KEY (`rate`)\r\n"
              ") ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin;\r\n"
              "\r\n");
}

TEST_F(Script, ForeignKeysFollowAllTables) {
    ModelBuilder b("p");
    const int a = b.Class("Author", "");
    b.Member(a, "code", kTypeString, "", test::kKey | test::kDisplay, 30);
    const int book = b.Class("book", "");
    b.Member(book, "bookId", kTypeInteger, "", test::kKey | test::kDisplay);
    b.Member(book, "writer", "Author", "w", test::kMust);
    b.Member(book, "next", "book", "n");
    WriteTemplate("$sqlString");
    const std::string script = Build(b.projectId(), "p_");
    EXPECT_NE(script.find("  `writer` varchar(30) COLLATE utf8_bin NOT NULL COMMENT 'w',\r\n"), std::string::npos);
    EXPECT_NE(script.find("  `next` int(11) NOT NULL COMMENT 'n',\r\n"), std::string::npos);
    EXPECT_TRUE(script.ends_with(") ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;\r\n\r\n"
                                 "ALTER TABLE p_book ADD CONSTRAINT FOREIGN KEY (writer) REFERENCES p_author(code);\r\n"
                                 "ALTER TABLE p_book ADD CONSTRAINT FOREIGN KEY (next) REFERENCES p_book(bookId);\r\n"));
}

TEST_F(Script, PlaceholdersAreReplacedOnceWithoutRescanningInsertedText) {
    ModelBuilder b("p");
    const int c = b.Class("商品", "");
    b.Member(c, "id", kTypeInteger, "in $dbprefix, not $sqlString", test::kKey | test::kDisplay);
    WriteTemplate("$sqlString|$sqlString|$dbprefix$dbprefix");
    const std::string script = Build(b.projectId(), "$dbprefix");
    const std::string table = "CREATE TABLE IF NOT EXISTS `$dbprefix商品` (\r\n"
                              "  `id` int(11) NOT NULL AUTO_INCREMENT COMMENT 'in $dbprefix, not $sqlString',\r\n"
                              "  PRIMARY KEY (`id`)\r\n"
                              ") ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;\r\n"
                              "\r\n";
    EXPECT_EQ(script, table + "|" + table + "|$dbprefix$dbprefix");
}

TEST_F(Script, ProjectWithoutClassesOrTemplateWithoutTablesStillSubstitutesThePrefix) {
    ModelBuilder empty("empty");
    EXPECT_EQ(Build(empty.projectId(), "php_"),
              "-- 数据表 php_*\r\nSET NAMES utf8;\r\n\r\n-- end of the php_ tables\r\n");

    ModelBuilder b("p");
    const int c = b.Class("A", "");
    b.Member(c, "id", kTypeInteger, "", test::kKey | test::kDisplay);
    WriteTemplate("-- $dbprefix only\r\n");
    EXPECT_EQ(Build(b.projectId(), "q_"), "-- q_ only\r\n");
}

TEST_F(Script, MissingTemplateIsAnError) {
    std::filesystem::remove(home.path() / "template/admin/mysql.sql");
    ModelBuilder empty("empty");
    EXPECT_THROW(Build(empty.projectId(), "php_"), Error);
}

TEST_F(Script, MissingKeysAreNamedInsteadOfDereferenced) {
    ModelBuilder b("p");
    const int keyless = b.Class("Keyless", "");
    b.Member(keyless, "name", kTypeString, "", test::kDisplay, 10);
    ExpectErrorNaming([&] { Build(b.projectId(), "php_"); }, {"Keyless"});

    ModelBuilder c("q");
    const int holder = c.Class("Holder", "");
    c.Member(holder, "id", kTypeInteger, "", test::kKey | test::kDisplay);
    c.Member(holder, "lost", "Gone", "");
    ExpectErrorNaming([&] { Build(c.projectId(), "php_"); }, {"Holder", "lost", "Gone"});

    // The referencing class comes first, so the reference meets the missing key.
    ModelBuilder d("r");
    const int source = d.Class("Source", "");
    d.Member(source, "id", kTypeInteger, "", test::kKey | test::kDisplay);
    d.Member(source, "target", "Target", "");
    const int target = d.Class("Target", "");
    d.Member(target, "label", kTypeString, "", test::kDisplay, 10);
    ExpectErrorNaming([&] { Build(d.projectId(), "php_"); }, {"Source", "target", "Target", "主键"});
}

} // namespace
} // namespace quorrel
