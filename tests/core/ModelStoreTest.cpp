#include "model/ClassDAO.h"
#include "model/DbHelper.h"
#include "base/Error.h"
#include "model/MemberDAO.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"
#include "tests/support/Field.h"
#include "tests/support/TempModel.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <set>
#include <thread>

namespace quorrel {
namespace {

using test::Field;
using test::TempFolder;
using test::TempModel;

std::vector<std::string> Names(TRowSet rows) {
    std::vector<std::string> names;
    for (rows.First(); !rows.Eof(); rows.Next())
        names.push_back(rows.FieldString("memberName"));
    return names;
}

std::vector<std::string> Names(const TMemberRefs& selected) {
    std::vector<std::string> names;
    for (const TMember& m : selected)
        names.push_back(m.memberName);
    return names;
}

class ModelStore : public ::testing::Test {
protected:
    TempModel model;
    TDbHelper db;
    TProjectDAO projects;
    TClassDAO classes;
    TMemberDAO members;
};

TEST_F(ModelStore, SingleValueQueriesReportMissingRows) {
    EXPECT_EQ(db.Session().QueryInt("select projectId from t_project where projectId=99"), -1);
    EXPECT_EQ(db.Session().QueryInt("select count(*) from t_project"), 0);
    EXPECT_EQ(db.Session().QueryString("select projectName from t_project where projectId=99"), "");
    EXPECT_EQ(classes.GetClassNameById(42), "");
    EXPECT_EQ(classes.GetClassId(1, "Nope"), -1);
    EXPECT_FALSE(members.GetMemberById(7).has_value());
}

TEST_F(ModelStore, FailedTransactionRollsBackAndReportsTheFailure) {
    projects.AddProject("keep");
    EXPECT_THROW(db.Transaction(TDbHelper::Access::Write,
                                [](TDbSession& session) {
                                    session.Exec("insert into t_project(projectName) values (?)", {"gone"});
                                    session.Exec("insert into no_such_table values (1)");
                                }),
                 Error);
    auto list = projects.LoadProjects();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "keep");
    // The connection is usable after the rollback.
    projects.AddProject("after");
    EXPECT_EQ(projects.LoadProjects().size(), 2u);
}

// Row sets keep integers as integers; a text (as an older or hand-edited
// file may hold) reads as a number only when it is one, empty text as 0.
TEST_F(ModelStore, RowSetsReadIntegersAsTheyAreAndRefuseOtherTextAsNumbers) {
    projects.AddProject("p");
    classes.AddClass(1, "A", "a");
    members.AddMember(Field("n", kTypeString).In(1, 1));
    TRowSet rows = members.QueryMembers(1);
    EXPECT_EQ(rows.FieldInt("classId"), 1);
    EXPECT_EQ(rows.FieldString("classId"), "1");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(model.file().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "update t_member set memberLength='12a', memberIsMust='', memberUid='7', "
                           "queryFlag=4294967296",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    rows = members.QueryMembers(1);
    EXPECT_EQ(rows.FieldString("memberLength"), "12a");
    EXPECT_EQ(rows.FieldInt("memberIsMust"), 0);
    EXPECT_EQ(rows.FieldInt("memberUid"), 7);
    try {
        rows.FieldInt("memberLength");
        ADD_FAILURE() << "a text that is no integer was read as one";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "column 'memberLength' holds '12a', which is not an integer");
    }
    EXPECT_THROW(rows.FieldInt("queryFlag"), Error);
}

TEST_F(ModelStore, IdsAscendAndAreNeverReused) {
    projects.AddProject("a");
    projects.AddProject("b");
    auto list = projects.LoadProjects();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (TListEntry{"a", 1}));
    EXPECT_EQ(list[1], (TListEntry{"b", 2}));
    projects.DeleteProject(2);
    projects.AddProject("c");
    list = projects.LoadProjects();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1], (TListEntry{"c", 3}));
}

TEST_F(ModelStore, DeletingAProjectRemovesItsClassesAndMembers) {
    projects.AddProject("shop");
    projects.AddProject("blog");
    classes.AddClass(1, "User", "用户");
    classes.AddClass(2, "Post", "文章");
    members.AddMember(Field("id", kTypeInteger).In(1, 1));
    members.AddMember(Field("id", kTypeInteger).In(2, 2));
    projects.DeleteProject(1);
    EXPECT_EQ(db.Session().QueryInt("select count(*) from t_class"), 1);
    EXPECT_EQ(db.Session().QueryInt("select count(*) from t_member"), 1);
    EXPECT_EQ(db.Session().QueryInt("select count(*) from t_member where projectId=1"), 0);
}

TEST_F(ModelStore, DeletingAClassRemovesItsMembersOnly) {
    projects.AddProject("shop");
    classes.AddClass(1, "User", "用户");
    classes.AddClass(1, "Order", "订单");
    members.AddMember(Field("id", kTypeInteger).In(1, 1));
    members.AddMember(Field("user", "User").In(1, 2));
    classes.DeleteClass(1);
    EXPECT_EQ(classes.GetClassList(1), (TClassList{{"Order", 2}}));
    EXPECT_EQ(Names(members.QueryMembers(1)).size(), 0u);
    // A reference to the deleted class is left as it was.
    EXPECT_EQ(Names(TProjectSnapshot::Take(1)->ClassById(2).ReferenceMembers()), std::vector<std::string>{"user"});
}

TEST_F(ModelStore, HostileTextsAreStoredAndReadBackExactly) {
    const std::vector<std::string> texts = {
        "it's", "back\\slash\\", "'; drop table t_member; --", "用户'管理", "emoji 😀 text", "", "''",
        "\" or \"1\"=\"1"};
    projects.AddProject("p");
    classes.AddClass(1, "C", "c");
    for (const auto& text : texts) {
        TMember m = Field("n" + text, text).In(1, 1).Comment(text);
        members.AddMember(m);
        EXPECT_EQ(projects.CountProjectsByName(text), 0);
        projects.AddProject(text);
        EXPECT_EQ(projects.CountProjectsByName(text), 1) << text;
        EXPECT_EQ(classes.CountClassesByName(1, text), 0);
    }
    TRowSet rows = members.QueryMembers(1);
    std::size_t i = 0;
    for (rows.First(); !rows.Eof(); rows.Next(), ++i) {
        EXPECT_EQ(rows.FieldString("memberType"), texts[i]);
        EXPECT_EQ(rows.FieldString("memberComment"), texts[i]);
    }
    EXPECT_EQ(i, texts.size());
    projects.RenameProject(1, texts[2]);
    EXPECT_EQ(projects.LoadProjects()[0].name, texts[2]);
    EXPECT_EQ(db.Session().QueryInt("select count(*) from t_member"), static_cast<int>(texts.size()));
}

TEST_F(ModelStore, SnapshotSelectionsPickTheRightMembers) {
    projects.AddProject("p");
    classes.AddClass(1, "Article", "文章");
    classes.AddClass(1, "Author", "作者");
    members.AddMember(Field("id", kTypeInteger).In(1, 1).Key());
    members.AddMember(Field("plain", kTypeString).In(1, 1));  // flags 0, list 1
    members.AddMember(Field("pic", kTypeImage).In(1, 1).NotListed());
    members.AddMember(Field("author", "Author").In(1, 1).Search());
    members.AddMember(Field("day", kTypeDate).In(1, 1));

    using V = std::vector<std::string>;
    EXPECT_EQ(Names(members.QueryMembers(1)), (V{"id", "plain", "pic", "author", "day"}));
    const auto snapshot = TProjectSnapshot::Take(1);
    const TClassSnapshot& article = snapshot->ClassById(1);
    EXPECT_EQ(Names(article.ImageMembers()), (V{"pic"}));
    EXPECT_EQ(Names(article.ReferenceMembers()), (V{"author"}));
    EXPECT_EQ(Names(article.SearchMembers()), (V{"author"}));
    EXPECT_EQ(Names(article.ListMembers()), (V{"id", "plain", "author", "day"}));
    EXPECT_EQ(Names(article.PlainNonKeyMembers()), (V{"plain", "author", "day"}));
    EXPECT_EQ(Names(article.NonKeyMembers()), (V{"plain", "pic", "author", "day"}));
    EXPECT_EQ(article.KeyMember()->memberName, "id");
}

TEST_F(ModelStore, MemberRecordsRoundTripAndNeverMoveClass) {
    projects.AddProject("p");
    classes.AddClass(1, "A", "a");
    TMember m = Field("title", kTypeString).In(1, 1);
    m.memberLength = 40;
    m.memberIsMust = 1;
    m.memberComment = "";
    members.AddMember(m);
    auto loaded = members.GetMemberById(1);
    ASSERT_TRUE(loaded);
    m.memberId = 1;
    EXPECT_EQ(*loaded, m);
    EXPECT_EQ(loaded->memberComment, "");

    loaded->classId = 77;
    loaded->memberName = "heading";
    loaded->memberQueryDisplay = 0;
    members.UpdateMember(*loaded);
    auto updated = members.GetMemberById(1);
    EXPECT_EQ(updated->classId, 1);
    EXPECT_EQ(updated->memberName, "heading");
    EXPECT_EQ(updated->memberQueryDisplay, 0);
    members.DeleteMember(1);
    EXPECT_FALSE(members.GetMemberById(1));
}

TEST_F(ModelStore, SnapshotFindsKeyAndDisplayOfTheNamedClassInItsProjectOnly) {
    projects.AddProject("p");
    projects.AddProject("q");
    classes.AddClass(1, "Author", "作者");
    classes.AddClass(2, "Author", "作者");
    members.AddMember(Field("aid", kTypeInteger).In(1, 1).Key());
    members.AddMember(Field("name", kTypeString).In(1, 1).Display());
    EXPECT_EQ(TProjectSnapshot::Take(1)->KeyMemberOfClass("Author")->memberName, "aid");
    EXPECT_EQ(TProjectSnapshot::Take(1)->DisplayMemberOfClass("Author")->memberName, "name");
    EXPECT_FALSE(TProjectSnapshot::Take(2)->KeyMemberOfClass("Author"));
}

TEST_F(ModelStore, RenamingAClassRetypesReferencesInItsProjectOnly) {
    projects.AddProject("p");
    projects.AddProject("q");
    classes.AddClass(1, "Author", "作者");
    classes.AddClass(1, "Book", "书");
    members.AddMember(Field("author", "Author").In(1, 2));
    members.AddMember(Field("author", "Author").In(2, 9));
    classes.UpdateClass(1, 1, "Writer", "作家");
    EXPECT_EQ(classes.GetClassNameById(1), "Writer");
    EXPECT_EQ(classes.GetFriendName(1), "作家");
    EXPECT_EQ(members.GetMemberById(1)->memberType, "Writer");
    EXPECT_EQ(members.GetMemberById(2)->memberType, "Author");

    classes.UpdateClass(1, 1, "Writer", "作者2");
    EXPECT_EQ(members.GetMemberById(1)->memberType, "Writer");
    EXPECT_EQ(classes.GetFriendName(1), "作者2");
    EXPECT_EQ(classes.GetOtherClassList(1, 1), (TClassList{{"Book", 2}}));
    EXPECT_EQ(classes.GetClassId(1, "Book"), 2);
}

TEST_F(ModelStore, TwoThreadsShareTheConnection) {
    projects.AddProject("p");
    classes.AddClass(1, "A", "a");
    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < 200; ++i) {
            members.AddMember(Field(prefix + std::to_string(i), kTypeString).In(1, 1));
            TRowSet rows = members.QueryMembers(1);
            EXPECT_GE(rows.RecordCount(), 1);
        }
    };
    std::thread a(writer, "a");
    std::thread b(writer, "b");
    a.join();
    b.join();
    EXPECT_EQ(db.Session().QueryInt("select count(*) from t_member"), 400);
}

TEST_F(ModelStore, ReadsSeeWritesOfThisAndOtherConnections) {
    projects.AddProject("first");
    EXPECT_EQ(projects.LoadProjects().size(), 1u);
    projects.AddProject("second");
    EXPECT_EQ(projects.LoadProjects().size(), 2u);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(model.file().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "insert into t_project(projectName) values ('third')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(projects.LoadProjects().size(), 3u);
    EXPECT_EQ(projects.CountProjectsByName("third"), 1);
}

TEST_F(ModelStore, GbkTextOfOlderModelsReadsAsUtf8AndUndecodableTextNamesItsRow) {
    projects.AddProject("site");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(model.file().c_str(), &other), SQLITE_OK);
    // "中文" in GBK, as older versions stored it.
    ASSERT_EQ(sqlite3_exec(other, "insert into t_class(projectId,className,friendName) values (1,'Old',x'D6D0CEC4')",
                           nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(TProjectSnapshot::Take(1)->Classes().at(0).FriendName(), "中文");
    // Bytes that neither encoding can hold.
    ASSERT_EQ(sqlite3_exec(other, "update t_class set friendName=x'FF41FF' where className='Old'", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    try {
        TProjectSnapshot::Take(1);
        ADD_FAILURE() << "undecodable text was read";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("friendName"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(" is 1 "), std::string::npos) << e.what();
    }
}

std::vector<std::string> MemberNames(const TClassSnapshot& cls) {
    std::vector<std::string> names;
    for (const TMember& m : cls.Members())
        names.push_back(m.memberName + ":" + m.memberType);
    return names;
}

TEST_F(ModelStore, SnapshotKeepsTheModelAsItWasWhenTaken) {
    projects.AddProject("p");
    projects.AddProject("q");
    classes.AddClass(1, "Author", "作者");
    classes.AddClass(2, "Elsewhere", "别处");
    classes.AddClass(1, "Book", "书");
    members.AddMember(Field("aid", kTypeInteger).In(1, 1));
    members.AddMember(Field("title", kTypeString).In(1, 3));
    members.AddMember(Field("other", kTypeString).In(2, 2));
    members.AddMember(Field("author", "Author").In(1, 3));

    const auto snapshot = TProjectSnapshot::Take(1);
    using V = std::vector<std::string>;
    const auto expectAsTaken = [&] {
        EXPECT_EQ(snapshot->ProjectName(), "p");
        EXPECT_EQ(snapshot->ClassList(), (TClassList{{"Author", 1}, {"Book", 3}}));
        EXPECT_EQ(snapshot->Classes()[0].FriendName(), "作者");
        EXPECT_EQ(MemberNames(snapshot->Classes()[0]), (V{"aid:整型"}));
        EXPECT_EQ(MemberNames(snapshot->Classes()[1]), (V{"title:字符串", "author:Author"}));
        EXPECT_EQ(snapshot->FindClass("Author"), &snapshot->Classes()[0]);
    };
    expectAsTaken();

    // Edits of every kind afterwards, through the access classes and from
    // another connection.
    classes.UpdateClass(1, 1, "Writer", "作家");
    TMember title = *members.GetMemberById(2);
    title.memberName = "heading";
    members.UpdateMember(title);
    members.DeleteMember(1);
    members.AddMember(Field("pages", kTypeInteger).In(1, 3));
    classes.AddClass(1, "Shelf", "书架");
    projects.RenameProject(1, "renamed");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(model.file().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "update t_member set memberComment='x', memberType='Changed' where memberId=4",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    expectAsTaken();

    // A new snapshot sees every edit.
    const auto now = TProjectSnapshot::Take(1);
    EXPECT_EQ(now->ProjectName(), "renamed");
    EXPECT_EQ(now->ClassList(), (TClassList{{"Writer", 1}, {"Book", 3}, {"Shelf", 4}}));
    EXPECT_TRUE(now->Classes()[0].Members().empty());
    EXPECT_EQ(MemberNames(now->Classes()[1]), (V{"heading:字符串", "author:Changed", "pages:整型"}));
    EXPECT_EQ(now->FindClass("Author"), nullptr);
    EXPECT_THROW(TProjectSnapshot::Take(9), Error);
}

TEST(ModelFile, MissingFileFailsNamingItAndLaterOpens) {
    TempFolder folder;
    const auto file = folder.path() / "projects.mdb";
    TDbHelper::SetModelFile(file);
    try {
        TProjectDAO().LoadProjects();
        FAIL() << "expected an error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
    TDbHelper::CreateModelFile(file);
    EXPECT_TRUE(TProjectDAO().LoadProjects().empty());
    EXPECT_THROW(TDbHelper::CreateModelFile(file), Error);
    TDbHelper::CloseConnection();
}

TEST(ModelFile, NotADatabaseOrMissingTableIsAClearError) {
    TempFolder folder;
    const auto file = folder.path() / "projects.mdb";
    std::ofstream(file) << "this is not a database, just some text that is long enough to fill a header";
    TDbHelper::SetModelFile(file);
    EXPECT_THROW(TProjectDAO().LoadProjects(), Error);
    TDbHelper::CloseConnection();

    const auto empty = folder.path() / "empty.mdb";
    sqlite3* raw = nullptr;
    sqlite3_open(empty.c_str(), &raw);
    sqlite3_exec(raw, "create table other(x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    TDbHelper::SetModelFile(empty);
    try {
        TClassDAO().GetClassList(1);
        FAIL() << "expected an error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("t_class"), std::string::npos) << e.what();
    }
    TDbHelper::CloseConnection();
}

TEST(ModelFile, LockedDatabaseFailsAfterABriefWait) {
    TempModel model;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(model.file().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(TProjectDAO().AddProject("x"), Error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    TProjectDAO().AddProject("x");
    EXPECT_EQ(TProjectDAO().LoadProjects().size(), 1u);
}

} // namespace
} // namespace quorrel

namespace quorrel {
namespace {

// A model file as versions before identities wrote it: the three tables
// without classUid and memberUid, and rows in them.
TEST(ModelFile, AnOlderFileGainsIdentitiesThatRenamesAndUpdatesKeep) {
    test::TempFolder folder;
    const auto file = folder.path() / "projects.mdb";
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old,
                           "CREATE TABLE t_project (projectId INTEGER PRIMARY KEY AUTOINCREMENT, projectName TEXT);"
                           "CREATE TABLE t_class (classId INTEGER PRIMARY KEY AUTOINCREMENT, projectId INTEGER, "
                           "className TEXT, friendName TEXT);"
                           "CREATE TABLE t_member (memberId INTEGER PRIMARY KEY AUTOINCREMENT, projectId INTEGER, "
                           "classId INTEGER, memberName TEXT, memberType TEXT, memberLength INTEGER, memberIsPri "
                           "INTEGER, memberComment TEXT, memberIsMust INTEGER, memberIsInteger INTEGER, memberIsFloat "
                           "INTEGER, queryFlag INTEGER, memberIsDisplay INTEGER, memberQueryDisplay INTEGER);"
                           "INSERT INTO t_project(projectName) VALUES ('shop');"
                           "INSERT INTO t_class(projectId,className,friendName) VALUES (1,'Goods','商品'),(1,'Tag','标签');"
                           "INSERT INTO t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
                           "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
                           "memberQueryDisplay) VALUES (1,1,'id','整型',0,1,'',1,1,0,0,0,1),"
                           "(1,1,'title','字符串',20,0,'',1,0,0,0,1,1)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);

    TDbHelper::SetModelFile(file);
    const auto first = TProjectSnapshot::Take(1);
    std::set<std::string> uids;
    for (const auto& cls : first->Classes()) {
        uids.insert(cls.ClassUid());
        for (const auto& m : cls.Members())
            uids.insert(m.memberUid);
    }
    EXPECT_EQ(uids.size(), 4u) << "two classes and two members, each its own identity";
    for (const auto& uid : uids)
        EXPECT_EQ(uid.size(), 32u) << uid;

    // A rename, a member change and reopening the file keep every identity;
    // a new row gets a new one.
    TClassDAO().UpdateClass(1, 1, "Product", "产品");
    auto title = *TMemberDAO().GetMemberById(2);
    title.memberName = "name";
    title.memberLength = 40;
    TMemberDAO().UpdateMember(title);
    TDbHelper::CloseConnection();
    TClassDAO().AddClass(1, "Brand", "品牌");
    const auto second = TProjectSnapshot::Take(1);
    EXPECT_EQ(second->Classes().at(0).ClassName(), "Product");
    EXPECT_EQ(second->Classes().at(0).ClassUid(), first->Classes().at(0).ClassUid());
    EXPECT_EQ(second->Classes().at(0).Members().at(1).memberUid, first->Classes().at(0).Members().at(1).memberUid);
    EXPECT_EQ(second->Classes().at(1).ClassUid(), first->Classes().at(1).ClassUid());
    const std::string& added = second->Classes().at(2).ClassUid();
    EXPECT_EQ(added.size(), 32u);
    EXPECT_FALSE(uids.count(added));
    TDbHelper::CloseConnection();
}

} // namespace
} // namespace quorrel
