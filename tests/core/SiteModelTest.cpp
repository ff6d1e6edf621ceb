#include "generators/SiteModel.h"

#include "base/Error.h"
#include "tests/support/PhpModels.h"
#include "tests/support/SnapshotBuilder.h"
#include "tests/support/TempModel.h"

#include <gtest/gtest.h>

namespace quorrel {
namespace {

using test::Field;
using test::MemoryOutputTree;
using test::SnapshotBuilder;
using test::TempModel;

const std::string kPath = "admin/include/site_model.php";

class SiteModel : public ::testing::Test {
protected:
    TSiteModel Generator(int projectId) { return TSiteModel(TProjectSnapshot::Take(projectId), out); }

    TempModel model;
    MemoryOutputTree out;
};

// Integer and text keys, keys that are not the first member, references,
// pictures, optional members, empty comments and friend names, a Chinese
// class name, and comments with quotes and backslashes.
TEST_F(SiteModel, ShopDescriptionMatchesTheGoldenFile) {
    const int projectId = test::BuildShopModel();
    Generator(projectId).GenerateSiteModel("php_", TClassDAO().GetClassList(projectId));
    ASSERT_EQ(out.files.count(kPath), 1u);
    test::ExpectGolden("site_model/shop.php", out.files.at(kPath));
}

TEST_F(SiteModel, WritesOneFileWithItsOwnProgressLine) {
    const int projectId = test::BuildShopModel();
    Generator(projectId).GenerateSiteModel("php_", TClassDAO().GetClassList(projectId));
    EXPECT_EQ(out.order, std::vector<std::string>{kPath});
    EXPECT_EQ(out.lines, std::vector<std::string>{kPath + "生成完毕!"});
}

TEST_F(SiteModel, EmptyClassListIsAnEmptyArray) {
    TSiteModel(SnapshotBuilder("shop").Take(), out).GenerateSiteModel("php_", {});
    EXPECT_EQ(out.files.at(kPath), "<?php\r\n"
                                   "/* The site's model as generated; the administration runtime reads it. */\r\n"
                                   "return array(\r\n"
                                   ");\r\n");
}

// Text that could end a single-quoted string or a line stays inside it.
TEST_F(SiteModel, ModelTextCanOnlyBeAString) {
    const auto project = SnapshotBuilder("shop")
                             .Class("Note", "笔记'); phpinfo(); //",
                                    {Field("id", kTypeInteger).Comment("编号\\").Key().Must().Display(),
                                     Field("body", kTypeString).Comment("a\\'b\r\n?> */ $x").Length(10)})
                             .Take();
    TSiteModel(project, out).GenerateSiteModel("q_", project->ClassList());
    const std::string& text = out.files.at(kPath);
    EXPECT_NE(text.find("        'label' => '笔记\\'); phpinfo(); //',\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("'id' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '编号\\\\', "
                        "'picture' => false, 'reference' => null, 'list' => true, 'search' => false),"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("'body' => array('type' => 'string', 'length' => 10, 'required' => false, "
                        "'label' => 'a\\\\\\'b\r\n?> */ $x', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("'table' => 'q_note',"), std::string::npos) << text;
}

TEST_F(SiteModel, ClassWithoutDisplayMemberIsNamed) {
    const auto project =
        SnapshotBuilder("shop").Class("Note", "笔记", {Field("id", kTypeInteger).Comment("编号").Key().Must()}).Take();
    test::ExpectErrorNaming([&] { TSiteModel(project, out).GenerateSiteModel("q_", project->ClassList()); }, {"Note"});
    EXPECT_TRUE(out.files.empty());
    EXPECT_TRUE(out.lines.empty());
}

} // namespace
} // namespace quorrel
