// How a database is paired with the models it was made from, and what the
// change script does with each difference: renames by identity, data-losing
// changes only when allowed, foreign keys around the changes, and what no
// record explains left alone.
#include "migration/MigrationPlanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace quorrel {
namespace {

TColumnModel Col(const std::string& uid, const std::string& name, const std::string& type, bool nullable = false) {
    TColumnModel c;
    c.uid = uid;
    c.name = name;
    c.type = type;
    c.binary = type.rfind("varchar", 0) == 0 || type == "text";
    c.nullable = nullable;
    c.comment = name + "的注释";
    return c;
}

TColumnModel Key(const std::string& uid, const std::string& name) {
    TColumnModel c = Col(uid, name, "int(11)");
    c.autoIncrement = true;
    return c;
}

TColumnModel Ref(const std::string& uid, const std::string& name, const std::string& classUid,
                 const std::string& table, const std::string& keyColumn) {
    TColumnModel c = Col(uid, name, "int(11)");
    c.referencesUid = classUid;
    c.referencedTable = table;
    c.referencedColumn = keyColumn;
    return c;
}

TTableModel Table(const std::string& uid, const std::string& name, std::vector<TColumnModel> columns) {
    TTableModel t;
    t.uid = uid;
    t.className = name;
    t.name = name;
    t.keyUid = columns.front().uid;
    t.columns = std::move(columns);
    return t;
}

// The structure the creation script gives a database for a model, as the
// server describes it: foreign keys with the names the server gives them.
TDatabaseSchema LiveOf(const TSchemaModel& model, const std::string& prefix) {
    TDatabaseSchema db;
    db.database = "shop";
    for (const auto& t : model.tables) {
        const std::string table = prefix + t.name;
        db.tables.push_back({table, false, ""});
        int position = 0, fk = 0;
        for (const auto& c : t.columns) {
            TDatabaseSchema::Column column;
            column.table = table;
            column.name = c.name;
            column.position = ++position;
            column.columnType = c.type;
            column.dataType = c.type.substr(0, c.type.find('('));
            column.nullable = c.nullable;
            column.comment = c.comment;
            column.extra = c.autoIncrement ? "auto_increment" : "";
            db.columns.push_back(column);
            if (c.IsReference())
                db.keyColumns.push_back({table, table + "_ibfk_" + std::to_string(++fk), c.name, 1, "shop",
                                         prefix + c.referencedTable, c.referencedColumn});
        }
        db.keyColumns.push_back({table, "PRIMARY", t.columns.front().name, 1, "", "", ""});
    }
    return db;
}

// Counts nothing but remembers what it was asked, so a test sees that a
// data-losing change was counted on the right table.
class RecordingCounter : public RowCounter {
public:
    long long Count(const std::string& sql) override {
        asked.push_back(sql);
        return 7;
    }
    std::vector<std::string> asked;
};

std::string Joined(const std::vector<std::string>& statements) {
    std::string text;
    for (const auto& s : statements)
        text += s + ";\n";
    return text;
}

// category 1 ← product (name, note, category)
TSchemaModel Before() {
    return {{Table("c1", "category", {Key("c1k", "id"), Col("c1n", "name", "varchar(30)")}),
             Table("p1", "product",
                   {Key("p1k", "id"), Col("p1n", "name", "varchar(40)"), Col("p1o", "note", "varchar(100)", true),
                    Ref("p1c", "category", "c1", "category", "id")})}};
}

TEST(MigrationPlanner, RenamesFollowIdentityAndNeverDropAndAdd) {
    const TSchemaModel before = Before();
    // The class is renamed, a member renamed and widened, a required member
    // added; a new member takes the name the renamed one had.
    TSchemaModel after = before;
    after.tables[0].name = after.tables[0].className = "section";
    auto& product = after.tables[1];
    product.columns[1].name = "title";
    product.columns[2].type = "varchar(200)";
    product.columns[3].referencedTable = "section";
    product.columns.push_back(Col("p1x", "name", "varchar(10)"));
    product.columns.push_back(Col("p1w", "weight", "int(11)"));

    RecordingCounter counter;
    const TDatabaseSchema live = LiveOf(before, "php_");
    const TMigrationPlan plan = TMigrationPlanner::Plan({live, "php_", {before}, after, false, &counter});
    const auto statements = plan.Statements();
    const std::string script = Joined(statements);
    EXPECT_EQ(plan.LeftOut(), 0u) << plan.Script();
    EXPECT_NE(script.find("RENAME TABLE `php_category` TO `php_section`"), std::string::npos) << script;
    EXPECT_NE(script.find("RENAME COLUMN `name` TO `title`"), std::string::npos) << script;
    EXPECT_NE(script.find("MODIFY COLUMN `note` varchar(200) COLLATE utf8_bin NULL"), std::string::npos) << script;
    // The new "name" is a new column, whatever its name says.
    EXPECT_NE(script.find("ADD COLUMN `name` varchar(10) COLLATE utf8_bin NOT NULL DEFAULT ''"), std::string::npos)
        << script;
    EXPECT_NE(script.find("ADD COLUMN `weight` int(11) NOT NULL DEFAULT 0"), std::string::npos) << script;
    EXPECT_EQ(script.find("DROP COLUMN"), std::string::npos) << script;
    EXPECT_EQ(script.find("DROP TABLE"), std::string::npos) << script;
    EXPECT_TRUE(counter.asked.empty()) << "nothing loses data, so nothing is counted";

    // The foreign key of the renamed table is dropped by the server's name
    // first and added back, named, last; the defaults go after the columns.
    ASSERT_GE(statements.size(), 4u);
    EXPECT_EQ(statements.front(), "ALTER TABLE `php_product` DROP FOREIGN KEY `php_product_ibfk_1`");
    EXPECT_EQ(statements.back(), "ALTER TABLE `php_product` ADD CONSTRAINT `php_product_category_fk` FOREIGN KEY "
                                 "(`category`) REFERENCES `php_section` (`id`)");
    const auto at = [&](const std::string& piece) {
        return std::find_if(statements.begin(), statements.end(),
                            [&](const std::string& s) { return s.find(piece) != std::string::npos; }) -
               statements.begin();
    };
    EXPECT_LT(at("RENAME TABLE"), at("RENAME COLUMN"));
    EXPECT_LT(at("ADD COLUMN `weight`"), at("ALTER COLUMN `weight` DROP DEFAULT"));
    EXPECT_NE(plan.Script().find("新增列 php_product.weight：必填，已有的行取默认值0"), std::string::npos);

    // Applied, the database is what the model wants: a second plan is empty.
    TMigrationPlan again = TMigrationPlanner::Plan({LiveOf(after, "php_"), "php_", {before}, after, false, nullptr});
    EXPECT_TRUE(again.Empty()) << again.Script();
    EXPECT_NE(again.Script().find("数据库已与模型一致"), std::string::npos);
}

TEST(MigrationPlanner, DataLosingChangesAreCountedAndOnlyWrittenWhenAllowed) {
    const TSchemaModel before = Before();
    TSchemaModel after = before;
    auto& product = after.tables[1].columns;
    product[1].type = "varchar(5)";                          // shorter
    product.erase(product.begin() + 2);                      // note removed
    product[2] = Ref("p1c", "category", "b1", "brand", "id");  // the reference points elsewhere
    after.tables.erase(after.tables.begin());                // category removed
    after.tables.push_back(Table("b1", "brand", {Key("b1k", "id"), Col("b1n", "title", "varchar(20)")}));

    RecordingCounter counter;
    const TDatabaseSchema live = LiveOf(before, "php_");
    const TMigrationPlan refused = TMigrationPlanner::Plan({live, "php_", {before}, after, false, &counter});
    const std::string script = Joined(refused.Statements());
    for (const char* losing : {"DROP TABLE", "DROP COLUMN", "varchar(5)", "MODIFY COLUMN `category`", "FOREIGN KEY"})
        EXPECT_EQ(script.find(losing), std::string::npos) << losing << "\n" << refused.Script();
    EXPECT_NE(script.find("CREATE TABLE `php_brand`"), std::string::npos) << "a new class is safe";
    // shorter string, dropped column, dropped table, moved reference, and the
    // foreign key that has to wait for it
    EXPECT_EQ(refused.LeftOut(), 5u) << refused.Script();
    const std::string summary = refused.Script();
    EXPECT_NE(summary.find("删除列 php_product.note：模型中已没有这个成员（7行有值）"), std::string::npos) << summary;
    EXPECT_NE(summary.find("修改列 php_product.name：类型varchar(40) → varchar(5)"), std::string::npos) << summary;
    EXPECT_TRUE(std::any_of(counter.asked.begin(), counter.asked.end(), [](const std::string& sql) {
        return sql.find("CHAR_LENGTH(`name`) > 5") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(counter.asked.begin(), counter.asked.end(), [](const std::string& sql) {
        return sql == "SELECT COUNT(*) FROM `php_category`";
    }));
    // Nothing touched the category key, so it is kept as it is.
    EXPECT_EQ(script.find("DROP FOREIGN KEY"), std::string::npos) << script;

    const TMigrationPlan allowed = TMigrationPlanner::Plan({live, "php_", {before}, after, true, nullptr});
    const auto statements = allowed.Statements();
    const std::string all = Joined(statements);
    EXPECT_EQ(allowed.LeftOut(), 0u) << allowed.Script();
    EXPECT_NE(all.find("DROP TABLE `php_category`"), std::string::npos) << all;
    EXPECT_NE(all.find("DROP COLUMN `note`"), std::string::npos) << all;
    // The key to the dropped table goes before the table does, the new one
    // to the new table comes after the table is created.
    const auto at = [&](const std::string& piece) {
        return std::find_if(statements.begin(), statements.end(),
                            [&](const std::string& s) { return s.find(piece) != std::string::npos; }) -
               statements.begin();
    };
    EXPECT_LT(at("DROP FOREIGN KEY `php_product_ibfk_1`"), at("DROP TABLE"));
    EXPECT_LT(at("CREATE TABLE `php_brand`"), at("REFERENCES `php_brand`"));
}

TEST(MigrationPlanner, WhatNoRecordExplainsAndWhatWasChangedByHandIsLeftAlone) {
    const TSchemaModel before = Before();
    TDatabaseSchema live = LiveOf(before, "php_");
    // An extra column and a table nobody generated, a column whose type was
    // changed by hand, the site's own account table and another program's
    // table without the prefix.
    live.columns.push_back({"php_product", "extra", 9, "int", "int(11)", std::nullopt, true, "", "", std::nullopt});
    live.tables.push_back({"php_legacy", false, ""});
    live.columns.push_back({"php_legacy", "id", 1, "int", "int(11)", std::nullopt, false, "", "", std::nullopt});
    live.tables.push_back({"php_site_admin", false, ""});
    live.tables.push_back({"wp_posts", false, ""});
    for (auto& c : live.columns)
        if (c.table == "php_category" && c.name == "name")
            c.columnType = "varchar(99)";

    TSchemaModel after = before;
    after.tables[0].columns[1].name = "label";     // the hand-changed column is renamed in the model too
    after.tables[1].columns[2].name = "remark";    // an ordinary rename still happens

    const TMigrationPlan plan = TMigrationPlanner::Plan({live, "php_", {before}, after, true, nullptr});
    const std::string script = Joined(plan.Statements());
    EXPECT_NE(script.find("RENAME COLUMN `note` TO `remark`"), std::string::npos) << plan.Script();
    for (const char* untouched : {"`extra`", "php_legacy", "site_admin", "wp_posts", "`label`", "`name` varchar(99)"})
        EXPECT_EQ(script.find(untouched), std::string::npos) << untouched << "\n" << plan.Script();
    const std::string summary = plan.Script();
    EXPECT_NE(summary.find("列php_product.extra：没有任何生成记录说明它"), std::string::npos) << summary;
    EXPECT_NE(summary.find("表php_legacy"), std::string::npos) << summary;
    EXPECT_NE(summary.find("列php_category.name：生成之后被手工改过"), std::string::npos) << summary;
    EXPECT_EQ(summary.find("site_admin"), std::string::npos) << summary;
}

TEST(MigrationPlanner, PairsAPartlyMigratedDatabaseAndPrefersTheRecordThatExplainsIt) {
    // Two records of one site: the class was renamed in between, and later a
    // new class took the old name. A database made from the first record
    // keeps pairing its table with the renamed class.
    const TSchemaModel first = Before();
    TSchemaModel second = first;
    second.tables[0].name = second.tables[0].className = "section";
    second.tables[1].columns[3].referencedTable = "section";
    second.tables.push_back(Table("c2", "category", {Key("c2k", "code"), Col("c2t", "topic", "varchar(8)")}));

    const TMigrationPlan plan =
        TMigrationPlanner::Plan({LiveOf(first, "php_"), "php_", {second, first}, second, false, nullptr});
    const std::string script = Joined(plan.Statements());
    EXPECT_NE(script.find("RENAME TABLE `php_category` TO `php_section`"), std::string::npos) << plan.Script();
    EXPECT_NE(script.find("CREATE TABLE `php_category`"), std::string::npos) << plan.Script();
    EXPECT_EQ(plan.LeftOut(), 0u) << plan.Script();

    // A migration that stopped after the rename: today's model explains the
    // renamed table, the first record the rest.
    TDatabaseSchema halfway = LiveOf(first, "php_");
    for (auto& t : halfway.tables)
        if (t.name == "php_category")
            t.name = "php_section";
    for (auto& c : halfway.columns)
        if (c.table == "php_category")
            c.table = "php_section";
    for (auto& k : halfway.keyColumns) {
        if (k.table == "php_category")
            k.table = "php_section";
        if (k.referencedTable == "php_category")
            k.referencedTable = "php_section";
    }
    const TMigrationPlan rest = TMigrationPlanner::Plan({halfway, "php_", {first}, second, false, nullptr});
    const std::string restScript = Joined(rest.Statements());
    EXPECT_EQ(restScript.find("RENAME TABLE"), std::string::npos) << rest.Script();
    EXPECT_NE(restScript.find("CREATE TABLE `php_category`"), std::string::npos) << rest.Script();
    EXPECT_TRUE(rest.unexplained.empty()) << rest.Script();
}

} // namespace
} // namespace quorrel

namespace quorrel {
namespace {

TEST(MigrationPlanner, AChangedKeyAndAnUnsignedColumnAreDataLosingWithTheirReason) {
    TSchemaModel before = Before();
    TDatabaseSchema live = LiveOf(before, "php_");
    for (auto& c : live.columns)
        if (c.table == "php_product" && c.name == "category")
            c.columnType = "int(10) unsigned";  // as another tool made it: values above int(11)'s range
    // The model now keys products by their name; the old key stays a plain member.
    TSchemaModel after = before;
    auto& product = after.tables[1];
    std::swap(product.columns[0], product.columns[1]);
    product.keyUid = "p1n";
    product.columns[1].autoIncrement = false;
    product.columns[0].type = "varchar(40)";

    const TMigrationPlan refused = TMigrationPlanner::Plan({live, "php_", {}, after, false, nullptr});
    EXPECT_EQ(Joined(refused.Statements()).find("PRIMARY KEY"), std::string::npos) << refused.Script();
    EXPECT_NE(refused.Script().find("类的主键换成了另一个成员"), std::string::npos) << refused.Script();
    EXPECT_NE(refused.Script().find("修改列 php_product.category：类型int(10) unsigned → int(11)"), std::string::npos)
        << refused.Script();
    EXPECT_EQ(Joined(refused.Statements()).find("AUTO_INCREMENT"), std::string::npos)
        << "losing AUTO_INCREMENT goes with the key";

    const TMigrationPlan allowed = TMigrationPlanner::Plan({live, "php_", {}, after, true, nullptr});
    const std::string script = Joined(allowed.Statements());
    EXPECT_NE(script.find("MODIFY COLUMN `id` int(11) NOT NULL COMMENT"), std::string::npos) << script;
    EXPECT_NE(script.find("DROP PRIMARY KEY, ADD PRIMARY KEY (`name`)"), std::string::npos) << script;
    // One ALTER TABLE for the table, so the key is never without its column.
    const auto statements = allowed.Statements();
    EXPECT_EQ(std::count_if(statements.begin(), statements.end(),
                            [](const std::string& s) { return s.rfind("ALTER TABLE `php_product` MODIFY", 0) == 0; }),
              1);
}

} // namespace
} // namespace quorrel
