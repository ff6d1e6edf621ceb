#include "generators/UIOperate.h"

#include "base/Error.h"
#include "base/FileOperate.h"
#include "base/OutputTree.h"
#include "tests/support/SnapshotBuilder.h"
#include "tests/support/TempModel.h"
#include "tests/support/UiModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::TempModel;
using uitest::Field;
using uitest::MemoryOutputTree;
using test::SnapshotBuilder;
using uitest::ProjectBuilder;

// A small menu frame: the two placeholders and the two script functions the
// menu entries call. Written with LF endings; the reader turns them into CR LF.
const char* const kFrame =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
    "<head>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
    "<title>管理中心</title>\n"
    "<script type=\"text/javascript\">\n"
    "function fnOnTabClick(link, name, title) {\n"
    "  var blocks = document.getElementsByTagName(\"ul\");\n"
    "  for (var i = 0; i < blocks.length; i++)\n"
    "    if (blocks[i].id.indexOf(\"menu_\") == 0)\n"
    "      blocks[i].style.display = blocks[i].id == \"menu_\" + name ? \"block\" : \"none\";\n"
    "}\n"
    "function fnOnMenuClick(link, title) { document.title = title; }\n"
    "</script>\n"
    "</head>\n"
    "<body>\n"
    "<ul class=\"tabs\">\n"
    "$topMenuString</ul>\n"
    "<div class=\"menu\">\n"
    "$contentMenuString</div>\n"
    "<iframe name=\"main\" src=\"about:blank\"></iframe>\n"
    "</body>\n"
    "</html>\n";

// The top menu placeholder twice, the content menu once.
const char* const kRepeatingFrame =
    "<div id=\"top\">$topMenuString</div>\n"
    "<div id=\"content\">$contentMenuString</div>\n"
    "<div id=\"bottom\">$topMenuString</div>\n";

// Compares every file the generator wrote below folder with the golden files
// of one scenario, byte for byte, and checks that no golden file is missing.
void ExpectGoldenFiles(const std::string& scenario, const MemoryOutputTree& out, const std::string& folder) {
    const fs::path goldenDir = test::GoldenPath("templates/" + scenario);
    const std::string hint = test::kGoldenHint;
    std::set<std::string> written;
    for (const auto& [path, text] : out.files) {
        ASSERT_EQ(path.rfind(folder, 0), 0u) << path << " is not inside " << folder;
        const std::string name = path.substr(folder.size());
        written.insert(name);
        const fs::path golden = goldenDir / name;
        if (test::UpdatingGoldens()) {
            test::WriteFile(golden, text);
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << "no golden file " << golden << hint;
        const std::string expected = test::ReadFile(golden);
        EXPECT_TRUE(text == expected) << scenario << "/" << name << " differs from its golden file: "
                                      << test::FirstDifference(text, expected) << hint;
    }
    if (!fs::is_directory(goldenDir))
        return;
    for (const auto& entry : fs::directory_iterator(goldenDir)) {
        const std::string name = entry.path().filename().string();
        if (written.count(name) != 0)
            continue;
        if (test::UpdatingGoldens())
            fs::remove(entry.path());
        else
            ADD_FAILURE() << "golden file " << scenario << "/" << name << " was not generated" << hint;
    }
}

using test::ExpectErrorNaming;

class UIOperate : public ::testing::Test {
protected:
    void WriteFrame(const std::string& text) { test::WriteFile(home.path() / TUIOperate::kMenuFramePath, text); }

    // The frame as the run reads it from the resources.
    std::string Frame() const { return TFileOperate::ReadTextFile(home.path() / TUIOperate::kMenuFramePath); }

    TUIOperate Generator(const ProjectBuilder& project) {
        return TUIOperate(TProjectSnapshot::Take(project.id()), Frame(), out);
    }

    // Where the pages go in the site.
    const std::string kFolder = "admin/templates/admin/";

    // Three classes referring to each other and a key-only class: every row
    // kind of the list, edit and add pages.
    static void BuildShop(ProjectBuilder& shop) {
        shop.Class("Category", "分类",
                   {Field("categoryId", kTypeInteger).Key().Must().Comment("分类编号"),
                    Field("name", kTypeString).Length(20).Comment("分类名称").Display().Search(),
                    Field("note", kTypeString).Length(0).Comment("备注").Search().NotListed()});
        shop.Class("Brand", "品牌",
                   {Field("code", kTypeString).Length(8).Key().Must().Comment("品牌代码"),
                    Field("title", kTypeString).Length(30).Comment("品牌名称").Display(),
                    Field("logo", kTypeImage).Comment("标志")});
        shop.Class("Product", "商品",
                   {Field("productId", kTypeInteger).Key().Must().Comment("商品编号"),
                    Field("name", kTypeString).Length(40).Comment("商品名称").Display(),
                    Field("price", kTypeFloat).Comment("价格"),
                    Field("stock", kTypeInteger).Comment("库存").NotListed(),
                    Field("added", kTypeDate).Comment("上架日期").Search(),
                    Field("photo", kTypeImage).Comment("图片"),
                    Field("category", "Category").Comment("所属分类").Search(),
                    Field("brand", "Brand").Comment("品牌").Search(),
                    Field("maker", "Brand").Comment("制造商").Search().NotListed()});
        shop.Class("Tag", "", {Field("tagId", kTypeInteger).Key().Must().Display().NotListed()});
    }

    TempModel model;
    TempFolder home;
    MemoryOutputTree out;
};

TEST_F(UIOperate, ShopPagesMatchTheGoldenFiles) {
    ProjectBuilder shop("shop");
    BuildShop(shop);
    WriteFrame(kFrame);
    Generator(shop).GenerateTemplates(shop.Classes());
    EXPECT_EQ(out.files.size(), 13u);
    ExpectGoldenFiles("shop", out, kFolder);
}

TEST_F(UIOperate, FilesAndProgressLinesComeMenuThenAddEditListPages) {
    ProjectBuilder shop("shop");
    BuildShop(shop);
    WriteFrame(kFrame);
    Generator(shop).GenerateTemplates(shop.Classes());

    const std::string folder = kFolder;
    std::vector<std::string> paths = {folder + "fream.tpl"};
    std::vector<std::string> lines = {"admin/templates/fream.tpl菜单页生成完毕!"};
    for (const char* suffix : {"_add.html", "_edit.html", ".html"}) {
        for (const char* lower : {"category", "brand", "product", "tag"}) {
            paths.push_back(folder + lower + suffix);
            lines.push_back(folder + lower + suffix + "生成完毕!");
        }
    }
    EXPECT_EQ(out.order, paths);
    EXPECT_EQ(out.lines, lines);
}

TEST_F(UIOperate, UnusualNamesAndPlaceholdersMatchTheGoldenFiles) {
    // A friend name carrying the content placeholder (shown as it is, never
    // filled in), a digit-first and an all-capitals class name, and a frame
    // with the top placeholder twice.
    ProjectBuilder names("names");
    names.Class("新闻", "新闻$contentMenuString",
                {Field("newsId", kTypeInteger).Key().Must().Comment("编号"),
                 Field("title", kTypeString).Length(10).Comment("标题").Display()});
    names.Class("3DModel", "三维模型",
                {Field("modelId", kTypeInteger).Key().Must().Comment("模型编号"),
                 Field("label", kTypeString).Length(0).Comment("名称").Display(),
                 Field("made", kTypeDate).Comment("制作日期").NotListed(),
                 Field("link", "URL").Comment("链接").Search()});
    names.Class("URL", "链接",
                {Field("address", kTypeString).Length(50).Key().Must().Integer(0).Comment("地址").Display().Search()});
    WriteFrame(kRepeatingFrame);

    TUIOperate generator = Generator(names);
    generator.GenerateMenuPage(names.Classes());
    // A class name that begins with a Chinese character cannot name a
    // template variable, so its pages are checked separately below.
    TClassList pageClasses = names.Classes();
    pageClasses.erase(pageClasses.begin());
    generator.GenerateAddPages(pageClasses);
    generator.GenerateEditPages(pageClasses);
    generator.GenerateListPages(pageClasses);

    EXPECT_EQ(out.files.count(kFolder + "3DModel.html"), 1u);
    EXPECT_EQ(out.files.count(kFolder + "uRL_add.html"), 1u);
    ExpectGoldenFiles("names", out, kFolder);
}

TEST_F(UIOperate, ClassNameThatBeginsWithAChineseCharacterIsUsedUnchanged) {
    const auto names = SnapshotBuilder("names")
                           .Class("新闻", "新闻",
                                  {Field("newsId", kTypeInteger).Key().Must().Comment("编号"),
                                   Field("title", kTypeString).Length(10).Comment("标题").Display()})
                           .Take();
    TUIOperate(names, Frame(), out).GenerateTemplates(names->ClassList());

    const std::string folder = kFolder;
    EXPECT_EQ(out.order, (std::vector<std::string>{folder + "fream.tpl", folder + "新闻_add.html",
                                                   folder + "新闻_edit.html", folder + "新闻.html"}));
    EXPECT_NE(out.files[folder + "新闻_add.html"].find("action=\"新闻.php?act=addok\""), std::string::npos);
    EXPECT_NE(out.files[folder + "新闻.html"].find("<{section name=新闻 loop=$新闻List}>"), std::string::npos);
}

TEST_F(UIOperate, EmptyClassListWritesOnlyTheMenuPage) {
    WriteFrame(kFrame);
    TUIOperate(SnapshotBuilder("empty").Take(), Frame(), out).GenerateTemplates({});
    EXPECT_EQ(out.lines, std::vector<std::string>{"admin/templates/fream.tpl菜单页生成完毕!"});
    ASSERT_EQ(out.files.size(), 1u);
    EXPECT_EQ(out.files[kFolder + "fream.tpl"].find('$'), std::string::npos);
    ExpectGoldenFiles("empty", out, kFolder);
}

TEST_F(UIOperate, MissingFrameGivesAnEmptyMenuPage) {
    ProjectBuilder shop("shop");
    BuildShop(shop);

    Generator(shop).GenerateMenuPage(shop.Classes());
    ASSERT_EQ(out.files.size(), 1u);
    EXPECT_EQ(out.files.begin()->second, "");

    EXPECT_EQ(out.lines.size(), 1u);

    // On disk the page holds only the byte-order mark.
    DiskOutputTree disk(home.path() / "site");
    TUIOperate(TProjectSnapshot::Take(shop.id()), Frame(), disk).GenerateMenuPage(shop.Classes());
    EXPECT_EQ(test::ReadFile(home.path() / "site" / kFolder / "fream.tpl"), "\xEF\xBB\xBF");
}

TEST_F(UIOperate, DiskTreePutsEveryPageUnderTheSiteFolder) {
    ProjectBuilder shop("shop");
    BuildShop(shop);
    WriteFrame(kFrame);
    Generator(shop).GenerateTemplates(shop.Classes());

    DiskOutputTree disk(home.path() / "site");
    TUIOperate(TProjectSnapshot::Take(shop.id()), Frame(), disk).GenerateTemplates(shop.Classes());
    for (const auto& [path, text] : out.files)
        EXPECT_TRUE(test::ReadFile(home.path() / "site" / path) == "\xEF\xBB\xBF" + text) << path;
}

TEST_F(UIOperate, BrokenReferencesRaiseErrorsNamingClassAndMember) {
    ProjectBuilder shop("shop");
    shop.Class("Customer", "客户",
               {Field("customerId", kTypeInteger).Key().Must().Comment("编号"),
                Field("name", kTypeString).Length(10).Comment("姓名")});  // no display member
    shop.Class("Supplier", "供应商", {Field("name", kTypeString).Length(10).Comment("名称").Display()});  // no key
    ProjectBuilder other("other");
    other.Class("Region", "地区",
                {Field("regionId", kTypeInteger).Key().Must(), Field("name", kTypeString).Length(10).Display()});
    WriteFrame(kFrame);

    const auto classWith = [&](const std::string& className, Field member) {
        ProjectBuilder& project = shop;
        project.Class(className, className,
                      {Field("id", kTypeInteger).Key().Must().Display().Comment("编号"), std::move(member)});
        for (const auto& entry : project.Classes())
            if (entry.name == className)
                return TClassList{entry};
        return TClassList{};
    };
    // Each generator sees the model as it was when it was made.
    // A search member whose type names no class of the project.
    const TClassList ghost = classWith("Order", Field("buyer", "Ghost").Search().NotListed());
    ExpectErrorNaming([&] { Generator(shop).GenerateListPages(ghost); }, {"Order", "buyer", "Ghost"});
    // A form member referring to a class of another project.
    const TClassList foreign = classWith("Shipment", Field("region", "Region"));
    ExpectErrorNaming([&] { Generator(shop).GenerateAddPages(foreign); }, {"Shipment", "region", "Region"});
    ExpectErrorNaming([&] { Generator(shop).GenerateEditPages(foreign); }, {"Shipment", "region"});
    // Referred classes without a display member and without a key member.
    const TClassList noDisplay = classWith("Invoice", Field("customer", "Customer"));
    ExpectErrorNaming([&] { Generator(shop).GenerateEditPages(noDisplay); }, {"Invoice", "customer", "显示成员"});
    const TClassList noKey = classWith("Delivery", Field("supplier", "Supplier").Search());
    ExpectErrorNaming([&] { Generator(shop).GenerateListPages(noKey); }, {"Delivery", "supplier", "主键"});
    ExpectErrorNaming([&] { Generator(shop).GenerateAddPages(noKey); }, {"Delivery", "supplier", "主键"});
    // A search member of a basic type other than string and date is read as
    // a reference, and no class carries that name.
    const TClassList intSearch = classWith("Batch", Field("size", kTypeInteger).Search());
    ExpectErrorNaming([&] { Generator(shop).GenerateListPages(intSearch); }, {"Batch", "size"});

    // The driver refuses before writing anything.
    ExpectErrorNaming([&] { Generator(shop).GenerateTemplates(shop.Classes()); }, {"Supplier"});
    EXPECT_TRUE(out.files.empty());
    EXPECT_TRUE(out.lines.empty());
}

TEST_F(UIOperate, ClassWithoutKeyMemberRaisesAnErrorForEveryPageButTheMenu) {
    const auto shop = SnapshotBuilder("shop")
                          .Class("Supplier", "供应商", {Field("name", kTypeString).Length(10).Comment("名称").Display()})
                          .Take();
    WriteFrame(kFrame);
    const TUIOperate generator(shop, Frame(), out);
    const TClassList classes = shop->ClassList();

    ExpectErrorNaming([&] { generator.GenerateAddPages(classes); }, {"Supplier", "主键"});
    ExpectErrorNaming([&] { generator.GenerateEditPages(classes); }, {"Supplier", "主键"});
    ExpectErrorNaming([&] { generator.GenerateListPages(classes); }, {"Supplier", "主键"});
    EXPECT_TRUE(out.files.empty());
    generator.GenerateMenuPage(classes);
    EXPECT_EQ(out.files.size(), 1u);
}

} // namespace
} // namespace quorrel
