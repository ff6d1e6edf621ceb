// How a database's structure becomes a project: names, types, keys,
// references, the guessed display and list members, and one warning for
// everything that is not carried as it is.
#include "dbimport/SchemaMapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorrel {
namespace {

using Schema = TDatabaseSchema;

// A schema built table by table, as information_schema would list it.
class SchemaBuilder {
public:
    SchemaBuilder() { schema_.database = "shop"; }

    SchemaBuilder& Table(const std::string& name, const std::string& comment = "", bool view = false) {
        schema_.tables.push_back({name, view, comment});
        table_ = name;
        position_ = 0;
        return *this;
    }
    SchemaBuilder& Column(const std::string& name, const std::string& dataType, const std::string& columnType,
                          bool nullable = false, const std::string& comment = "",
                          std::optional<long long> maxLength = std::nullopt) {
        schema_.columns.push_back({table_, name, ++position_, dataType, columnType, maxLength, nullable, comment, "", std::nullopt});
        return *this;
    }
    SchemaBuilder& Varchar(const std::string& name, int length, bool nullable = false, const std::string& comment = "") {
        return Column(name, "varchar", "varchar(" + std::to_string(length) + ")", nullable, comment, length);
    }
    SchemaBuilder& Int(const std::string& name, bool nullable = false, const std::string& comment = "") {
        return Column(name, "int", "int(11)", nullable, comment);
    }
    SchemaBuilder& Key(const std::vector<std::string>& columns) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            schema_.keyColumns.push_back({table_, "PRIMARY", columns[i], static_cast<int>(i + 1), "", "", ""});
        return *this;
    }
    SchemaBuilder& Foreign(const std::string& constraint, const std::vector<std::string>& columns,
                           const std::string& table, const std::vector<std::string>& referenced,
                           const std::string& schema = "shop") {
        for (std::size_t i = 0; i < columns.size(); ++i)
            schema_.keyColumns.push_back(
                {table_, constraint, columns[i], static_cast<int>(i + 1), schema, table, referenced[i]});
        return *this;
    }
    SchemaBuilder& Check(const std::string& clause) {
        schema_.checks.push_back({table_, clause});
        return *this;
    }
    const Schema& schema() const { return schema_; }

private:
    Schema schema_;
    std::string table_;
    int position_ = 0;
};

const TClassSnapshot* FindClass(const TSchemaImport& import, const std::string& name) {
    return import.project.FindClass(name);
}

const TMember* FindMember(const TClassSnapshot& cls, const std::string& name) {
    for (const TMember& m : cls.Members())
        if (m.memberName == name)
            return &m;
    return nullptr;
}

std::vector<std::string> ClassNames(const TSchemaImport& import) {
    std::vector<std::string> names;
    for (const auto& cls : import.project.Classes())
        names.push_back(cls.ClassName());
    return names;
}

// The warnings that mention every one of the texts.
std::vector<std::string> WarningsAbout(const TSchemaImport& import, const std::vector<std::string>& texts) {
    std::vector<std::string> found;
    for (const auto& line : import.warnings)
        if (std::all_of(texts.begin(), texts.end(), [&](const std::string& t) { return line.find(t) != std::string::npos; }))
            found.push_back(line);
    return found;
}

TEST(SchemaMapper, CarriesClassesMembersKeysAndReferencesOfAGeneratedScript) {
    SchemaBuilder b;
    // Listed out of order: the mapper orders tables by name, columns by position.
    b.Table("php_product")
        .Int("id", false, "编号")
        .Varchar("name", 40, false, "商品名称")
        .Column("added", "date", "date", false, "上架日期")
        .Int("category", false, "分类")
        .Varchar("brand", 10, false, "品牌")
        .Column("price", "float", "float", false, "价格")
        .Varchar("note", 100, true, "")
        .Key({"id"})
        .Foreign("fk1", {"category"}, "php_category", {"id"})
        .Foreign("fk2", {"brand"}, "php_brand", {"code"});
    b.Table("php_brand", "品牌表").Varchar("code", 10, false, "品牌代码").Varchar("title", 30, false, "品牌名称").Key({"code"});
    b.Table("php_category").Int("id", false, "编号").Varchar("name", 30, false, "分类名称").Key({"id"});

    const TSchemaImport import = TSchemaMapper::Map(b.schema(), "php_", "shop");
    EXPECT_EQ(import.project.ProjectName(), "shop");
    EXPECT_EQ(ClassNames(import), (std::vector<std::string>{"Brand", "Category", "Product"}));
    EXPECT_TRUE(import.warnings.empty()) << import.warnings.front();

    const TClassSnapshot& brand = *FindClass(import, "Brand");
    EXPECT_EQ(brand.FriendName(), "品牌表");
    EXPECT_EQ(FindClass(import, "Category")->FriendName(), "php_category");

    const TClassSnapshot& product = *FindClass(import, "Product");
    std::vector<std::string> names;
    for (const TMember& m : product.Members())
        names.push_back(m.memberName + ":" + m.memberType + ":" + std::to_string(m.memberLength) + ":" +
                        std::to_string(m.memberIsPri) + std::to_string(m.memberIsMust) + std::to_string(m.memberIsInteger) +
                        std::to_string(m.memberIsFloat) + ":" + m.memberComment);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "id:整型:0:1110:编号", "name:字符串:40:0100:商品名称", "added:日期型:0:0100:上架日期",
                         "category:Category:0:0100:分类", "brand:Brand:0:0100:品牌", "price:浮点型:0:0101:价格",
                         "note:字符串:100:0000:note"}));

    // Guessed: the first text member that is not the key is the display
    // member; text members, and only they, are list members.
    EXPECT_EQ(product.DisplayMember()->memberName, "name");
    EXPECT_EQ(product.CountDisplayMembers(), 1);
    EXPECT_EQ(brand.DisplayMember()->memberName, "title");
    std::vector<std::string> listed;
    for (const TMember& m : product.ListMembers())
        listed.push_back(m.memberName);
    EXPECT_EQ(listed, (std::vector<std::string>{"name", "note"}));
    EXPECT_TRUE(product.SearchMembers().empty());
    ASSERT_EQ(import.guesses.size(), 3u);
    EXPECT_EQ(import.guesses[2], "推测：类Product的显示成员为name；列表显示成员为name、note");
}

TEST(SchemaMapper, WarnsOnceForEachThingNotCarriedAndSaysWhatWasDone) {
    SchemaBuilder b;
    b.Table("v_orders", "", true);
    b.Table("line").Int("orderId").Int("productId").Key({"orderId", "productId"});
    b.Table("log").Varchar("message", 200);
    b.Table("Item")
        .Int("id")
        .Column("status", "enum", "enum('new','paid')", false, "", 4)
        .Column("flags", "set", "set('a','b')", true, "", 3)
        .Column("doc", "longtext", "longtext", true)
        .Column("photo", "blob", "blob", true)
        .Column("body", "text", "text", true, "", 65535)
        .Column("summary", "tinytext", "tinytext", true, "", 255)
        .Int("orderId", true)
        .Int("productId", true)
        .Int("parent", false)
        .Int("Count", false)
        .Varchar("order", 10)
        .Int("elsewhere")
        .Int("URL")
        .Column("since", "year", "year(4)")
        .Column("at", "time", "time")
        .Key({"id"})
        .Check("json_valid(`doc`)")
        .Foreign("fk_line", {"orderId", "productId"}, "line", {"orderId", "productId"})
        .Foreign("fk_self", {"parent"}, "Item", {"id"})
        .Foreign("fk_other", {"elsewhere"}, "user", {"id"}, "crm");
    b.Table("item").Int("id").Key({"id"});
    b.Table("商品").Int("id").Key({"id"});
    b.Table("by_date").Column("day", "date", "date").Key({"day"});

    const TSchemaImport import = TSchemaMapper::Map(b.schema(), "", "db");
    // "item" is refused: "Item" (first in byte order) already made the class Item.
    EXPECT_EQ(ClassNames(import), (std::vector<std::string>{"Item"}));
    const TClassSnapshot& item = *FindClass(import, "Item");
    ASSERT_EQ(item.Members().size(), 13u);  // 16 columns but the blob, the reserved word and the time

    const std::vector<std::vector<std::string>> expected = {
        {"表v_orders", "视图", "跳过"},
        {"表line", "多列（orderId、productId）", "跳过该表"},
        {"表log", "没有主键", "跳过该表"},
        {"表Item的列status", "enum('new','paid')", "字符串"},
        {"表Item的列flags", "可选值的限制未导入"},
        {"表Item的列doc", "JSON", "1000"},
        {"表Item的列photo", "blob", "跳过该列"},
        {"表Item的列body", "text", "长度取1000"},
        {"表Item的列summary", "长度取255"},
        {"表Item", "外键fk_line", "orderId、productId"},
        {"表Item的列orderId", "已设为必填"},
        {"表Item的列parent", "本表"},
        {"表Item的列Count", "已改为count"},
        {"表Item的列order", "保留字", "跳过该列"},
        {"表Item的列elsewhere", "crm.user"},
        {"表Item的列URL", "已改为url"},
        {"表Item的列since", "year(4)列按整型导入"},
        {"表Item的列at", "类型time没有对应的成员类型，已跳过该列"},
        {"表item", "与表Item的类重名", "拒绝"},
        {"表商品", "跳过该表"},
        {"表by_date的列day", "date", "跳过该表"},
    };
    for (const auto& texts : expected)
        EXPECT_EQ(WarningsAbout(import, texts).size(), 1u) << "one warning about " << texts[0] << " / " << texts[1];
    EXPECT_EQ(import.warnings.size(), expected.size() + 1);  // productId is nullable too
    // Each names its table; the severity, not the text, makes it a warning.
    for (const auto& line : import.warnings)
        EXPECT_EQ(line.rfind("表", 0), 0u) << line;

    EXPECT_EQ(FindMember(item, "status")->memberLength, 4);
    EXPECT_EQ(FindMember(item, "doc")->memberType, "字符串");
    EXPECT_EQ(FindMember(item, "body")->memberLength, TSchemaMapper::kTextLength);
    EXPECT_EQ(FindMember(item, "summary")->memberLength, TSchemaMapper::kTinyTextLength);
    EXPECT_EQ(FindMember(item, "orderId")->memberType, "整型");
    EXPECT_EQ(FindMember(item, "orderId")->memberIsMust, 1);
    EXPECT_EQ(FindMember(item, "parent")->memberType, "整型");
    EXPECT_EQ(FindMember(item, "count")->memberType, "整型");
    EXPECT_EQ(FindMember(item, "url")->memberType, "整型");
    EXPECT_EQ(FindMember(item, "since")->memberType, "整型");
    EXPECT_EQ(FindMember(item, "photo"), nullptr);
    EXPECT_EQ(FindMember(item, "order"), nullptr);
    EXPECT_EQ(item.DisplayMember()->memberName, "status");
}

TEST(SchemaMapper, PrefixSelectsTablesAndAClassWithoutTextShowsItsKey) {
    SchemaBuilder b;
    b.Table("app_counter").Int("counterId").Int("value").Key({"counterId"});
    b.Table("other_thing").Int("id").Key({"id"});
    b.Table("app_").Int("id").Key({"id"});
    b.Table("app_site_admin").Int("admin_id").Key({"admin_id"});
    // MariaDB allows table comments longer than a friendly name may be.
    std::string longComment;
    for (int i = 0; i < 256; ++i)
        longComment += "长";
    b.Table("app_notes", longComment).Int("id").Key({"id"});
    const TSchemaImport import = TSchemaMapper::Map(b.schema(), "app_", "p");
    // The generated site's own administrator table is never a class.
    EXPECT_EQ(WarningsAbout(import, {"表app_site_admin", "管理员账号表", "跳过"}).size(), 1u);
    EXPECT_EQ(ClassNames(import), (std::vector<std::string>{"Counter", "Notes"}));
    EXPECT_EQ(FindClass(import, "Notes")->FriendName(), "app_notes");
    EXPECT_EQ(WarningsAbout(import, {"表app_notes", "256个字符", "友好名称取表名"}).size(), 1u);
    EXPECT_EQ(WarningsAbout(import, {"表other_thing", "前缀", "跳过"}).size(), 1u);
    EXPECT_EQ(WarningsAbout(import, {"表app_：", "没有名字", "跳过"}).size(), 1u);
    const TClassSnapshot& counter = *FindClass(import, "Counter");
    EXPECT_EQ(counter.DisplayMember()->memberName, "counterId");
    EXPECT_TRUE(counter.ListMembers().empty());
    EXPECT_EQ(import.guesses[0], "推测：类Counter的显示成员为counterId（没有字符串成员，取主键）；列表显示成员为（无）");
}

TEST(SchemaMapper, AReferenceToATableThatIsNotImportedFallsBackToTheColumnsType) {
    SchemaBuilder b;
    b.Table("book").Int("id").Varchar("owner", 20).Int("shelf").Key({"id"})
        .Foreign("fk_owner", {"owner"}, "person", {"code"})
        .Foreign("fk_shelf", {"shelf"}, "shelf", {"label"});
    b.Table("person").Varchar("code", 20).Int("n").Key({"code", "n"});
    b.Table("shelf").Int("id").Varchar("label", 5).Key({"id"});
    const TSchemaImport import = TSchemaMapper::Map(b.schema(), "", "p");
    const TClassSnapshot& book = *FindClass(import, "Book");
    EXPECT_EQ(FindMember(book, "owner")->memberType, "字符串");
    EXPECT_EQ(FindMember(book, "owner")->memberLength, 20);
    EXPECT_EQ(FindMember(book, "shelf")->memberType, "整型");
    EXPECT_EQ(WarningsAbout(import, {"表book的列owner", "person", "没有导入"}).size(), 1u);
    EXPECT_EQ(WarningsAbout(import, {"表book的列shelf", "label", "不是它的主键"}).size(), 1u);
}

} // namespace
} // namespace quorrel
