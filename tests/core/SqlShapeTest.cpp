#include "model/SqlShape.h"

#include <gtest/gtest.h>

namespace quorrel {
namespace {

SqlLiteral Text(const std::string& text) { return {true, text, 0}; }
SqlLiteral Number(long long number) { return {false, {}, number}; }

TEST(SqlShape, TakesOutTextsAndNumbersButNotNames) {
    auto shape = ShapeOf("select * from t_member where memberType<>'图片型' and classId=12");
    EXPECT_EQ(shape.text, "select * from t_member where memberType<>? and classId=?");
    EXPECT_EQ(shape.literals, (std::vector<SqlLiteral>{Text("图片型"), Number(12)}));

    shape = ShapeOf("insert into t1(a2,b) values (-7,'it''s ''x''','')");
    EXPECT_EQ(shape.text, "insert into t1(a2,b) values (-?,?,?)");
    EXPECT_EQ(shape.literals, (std::vector<SqlLiteral>{Number(7), Text("it's 'x'"), Text("")}));

    shape = ShapeOf("UPDATE \"t 9\" SET x=1.5, `c3`='--' WHERE id=3");
    EXPECT_EQ(shape.text, "UPDATE \"t 9\" SET x=1.5, `c3`=? WHERE id=?");
}

TEST(SqlShape, LeavesOtherStatementsAsTheyStand) {
    EXPECT_TRUE(ShapeOf("CREATE TABLE t (a TEXT DEFAULT '')").text.empty());
    EXPECT_TRUE(ShapeOf("BEGIN IMMEDIATE").text.empty());
    EXPECT_TRUE(ShapeOf("select a from t order by 1").text.empty());
    EXPECT_TRUE(ShapeOf("select a from t where b='unterminated").text.empty());
}

} // namespace
} // namespace quorrel
