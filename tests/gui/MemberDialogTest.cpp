// The add-member and update-member dialogs: the type list, the fill-in,
// the five checks in their order and the record stored.
#include "tests/gui/GuiTestSupport.h"

#include "ui/FormAddMember.h"
#include "ui/FormUpdateMember.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

// Records below name only the fields that differ from their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace quorrel::test {
namespace {

// What the user puts into a member dialog.
struct Input {
    QString name = QStringLiteral("field");
    QString type = QStringLiteral("字符串");
    QString length = QStringLiteral("20");
    bool key = false;
    bool must = false;
    bool query = false;
    bool display = false;
    bool listed = true;
    QString comment;
};

void Fill(TMemberForm& dialog, const Input& in) {
    dialog.Edt_MemberName->setText(in.name);
    dialog.CB_MemberType->setCurrentIndex(dialog.CB_MemberType->findText(in.type));
    dialog.Edt_MemberLength->setText(in.length);
    dialog.CB_MemberIsPri->setChecked(in.key);
    dialog.CB_MemberIsMust->setChecked(in.must);
    dialog.CB_QueryFlag->setChecked(in.query);
    dialog.CB_MemberIsDisplay->setChecked(in.display);
    dialog.CB_MemberQueryDisplay->setChecked(in.listed);
    dialog.Edt_MemberComment->setText(in.comment);
}

QStringList TypeList(const TMemberForm& dialog) {
    QStringList types;
    for (int i = 0; i < dialog.CB_MemberType->count(); ++i)
        types << dialog.CB_MemberType->itemText(i);
    return types;
}

class MemberDialogs : public GuiTest {
protected:
    int project = 0;
    int article = 0;
    int category = 0;

    void SetUpModel() {
        project = build.Project("alpha");
        article = build.Class(project, "Article");
        category = build.CompleteClass(project, "Category");
        build.CompleteClass(build.Project("beta"), "Elsewhere");
    }

    // Opens the add dialog, fills it and presses OK; answers whether it closed.
    bool Add(const Input& in) {
        OnDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TAddMemberForm&>(d);
            Fill(dialog, in);
            dialog.Button1->click();
        });
        Trigger("M1");
        return !dialogs.empty() && dialogs.back().closedItself;
    }
    // Opens the update dialog of the member in table row `row`, fills it and presses OK.
    bool Update(int row, const Input& in) {
        ChooseMember(row);
        OnDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TUpdateMemberForm&>(d);
            Fill(dialog, in);
            dialog.Button1->click();
        });
        Trigger("N3");
        return !dialogs.empty() && dialogs.back().closedItself;
    }
    std::vector<TMember> Stored(int classId) const {
        std::vector<TMember> members;
        TRowSet rows = TMemberDAO().QueryMembers(classId);
        for (rows.First(); !rows.Eof(); rows.Next())
            members.push_back(TMemberDAO::FromRow(rows));
        return members;
    }
};

TEST_F(MemberDialogs, AddDialogStartsWithTheBasicTypesTheOtherClassesAndItsDefaults) {
    SetUpModel();
    build.Class(project, "Zone");
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddMemberForm&>(d);
        EXPECT_EQ(TypeList(dialog), (QStringList{"字符串", "整型", "浮点型", "日期型", "图片型", "Category", "Zone"}));
        EXPECT_EQ(dialog.CB_MemberType->currentIndex(), 0);
        EXPECT_TRUE(dialog.Edt_MemberName->text().isEmpty());
        EXPECT_EQ(dialog.Edt_MemberLength->text(), QStringLiteral("20"));
        EXPECT_FALSE(dialog.CB_MemberIsPri->isChecked());
        EXPECT_FALSE(dialog.CB_MemberIsMust->isChecked());
        EXPECT_FALSE(dialog.CB_QueryFlag->isChecked());
        EXPECT_FALSE(dialog.CB_MemberIsDisplay->isChecked());
        EXPECT_TRUE(dialog.CB_MemberQueryDisplay->isChecked());
        EXPECT_TRUE(dialog.Edt_MemberComment->text().isEmpty());
    });
    Trigger("M1");
    // The class's own name never appears in its type list.
    ChooseClass(1);
    OnDialog([](QDialog& d) {
        EXPECT_EQ(TypeList(dynamic_cast<TAddMemberForm&>(d)),
                  (QStringList{"字符串", "整型", "浮点型", "日期型", "图片型", "Article", "Zone"}));
    });
    Trigger("M1");
}

TEST_F(MemberDialogs, AddRunsItsFiveChecksInOrderAndStoresNothingOnAFailure) {
    SetUpModel();
    Start();
    struct Case {
        Input in;
        QString message;
    };
    std::vector<Case> cases;
    auto with = [](auto change) {
        Input in;
        change(in);
        return in;
    };
    // 1: empty name comes before everything else.
    cases.push_back({with([](Input& i) { i.name.clear(); i.type = "整型"; i.key = true; i.query = true; }),
                     "成员名称输入不能为空!"});
    // 2: the first byte must be a small ASCII letter.
    for (QString name : {"Title", "1title", "_title", " title", "标题"})
        cases.push_back({with([&](Input& i) { i.name = name; i.type = "日期型"; }), "成员属性首个字母必须小写"});
    // 3: every type but string and image must be required.
    for (QString type : {"整型", "浮点型", "日期型", "Category"})
        cases.push_back({with([&](Input& i) { i.type = type; i.key = true; i.query = true; }),
                         type + "必须勾选是否必填标志!"});
    // 4: a key must be an integer or a string.
    for (QString type : {"浮点型", "日期型", "图片型", "Category"})
        cases.push_back({with([&](Input& i) { i.type = type; i.must = true; i.key = true; i.query = true; }),
                         "主键字段必须是整型或字符串型!"});
    // 5: integers, floats and images are no search conditions.
    for (QString type : {"整型", "浮点型", "图片型"})
        cases.push_back({with([&](Input& i) { i.type = type; i.must = true; i.query = true; }),
                         "参与查询的字段不能是" + type});
    // The length is looked at only for strings, after the checks.
    cases.push_back({with([](Input& i) { i.length = "abc"; }), "长度必须是整数!"});
    cases.push_back({with([](Input& i) { i.length = ""; }), "长度必须是整数!"});

    for (const Case& c : cases) {
        boxes.Clear();
        EXPECT_FALSE(Add(c.in)) << c.message.toStdString();
        EXPECT_EQ(boxes.Informations(), std::vector<QString>{c.message}) << c.in.name.toStdString();
    }
    EXPECT_TRUE(Stored(article).empty());
    EXPECT_EQ(Members()->rowCount(), 0);
}

TEST_F(MemberDialogs, EmptyNameMovesTheFocusToTheNameBox) {
    SetUpModel();
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddMemberForm&>(d);
        dialog.Edt_MemberComment->setFocus();
        dialog.Button1->click();
        EXPECT_EQ(dialog.focusWidget(), dialog.Edt_MemberName);
    });
    Trigger("M1");
    EXPECT_EQ(boxes.Informations(), std::vector<QString>{"成员名称输入不能为空!"});
}

TEST_F(MemberDialogs, AddStoresTheRecordTheTypeAndBoxesDescribe) {
    SetUpModel();
    Start();
    std::vector<std::pair<Input, TMember>> cases;
    {
        Input in{.name = "id", .type = "整型", .length = "abc", .key = true, .must = true, .comment = " 编号 "};
        TMember m{.projectId = project, .classId = article, .memberName = "id", .memberType = "整型",
                  .memberLength = 0, .memberIsPri = 1, .memberComment = " 编号 ", .memberIsMust = 1,
                  .memberIsInteger = 1};
        cases.push_back({in, m});
    }
    {
        Input in{.name = "title ", .type = "字符串", .length = "120", .display = true, .listed = false};
        TMember m{.projectId = project, .classId = article, .memberName = "title ", .memberType = "字符串",
                  .memberLength = 120, .memberIsDisplay = 1, .memberQueryDisplay = 0};
        cases.push_back({in, m});
    }
    {
        Input in{.name = "price", .type = "浮点型", .length = "9", .must = true};
        TMember m{.projectId = project, .classId = article, .memberName = "price", .memberType = "浮点型",
                  .memberIsMust = 1, .memberIsFloat = 1};
        cases.push_back({in, m});
    }
    {
        Input in{.name = "day", .type = "日期型", .must = true, .query = true};
        TMember m{.projectId = project, .classId = article, .memberName = "day", .memberType = "日期型",
                  .memberIsMust = 1, .queryFlag = 1};
        cases.push_back({in, m});
    }
    {
        Input in{.name = "category", .type = "Category", .must = true, .query = true, .comment = "栏目"};
        TMember m{.projectId = project, .classId = article, .memberName = "category", .memberType = "Category",
                  .memberComment = "栏目", .memberIsMust = 1, .queryFlag = 1};
        cases.push_back({in, m});
    }
    {
        Input in{.name = "photo", .type = "图片型"};
        TMember m{.projectId = project, .classId = article, .memberName = "photo", .memberType = "图片型"};
        cases.push_back({in, m});
    }
    for (const auto& [in, expected] : cases) {
        boxes.Clear();
        EXPECT_TRUE(Add(in)) << in.name.toStdString();
        EXPECT_EQ(boxes.Informations(), std::vector<QString>{"类成员属性添加成功!"});
        TMember stored = Stored(article).back();
        TMember want = expected;
        want.memberId = stored.memberId;
        EXPECT_EQ(stored, want) << in.name.toStdString();
    }
    // The table shows the new members of the selected class.
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"id", "title ", "price", "day", "category", "photo"}));
}

TEST_F(MemberDialogs, UpdateFillsInTheStoredMemberAndStoresAnyKeyType) {
    SetUpModel();
    TMember date = MakeMember(project, article, "day", kTypeDate);
    date.memberIsMust = 1;
    date.queryFlag = 1;
    date.memberIsDisplay = 2;  // only 1 checks a box
    date.memberQueryDisplay = 0;
    date.memberComment = "日期";
    int dayId = build.Member(date);
    Start();

    ChooseMember(0);
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TUpdateMemberForm&>(d);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("更新成员属性"));
        EXPECT_EQ(TypeList(dialog), (QStringList{"字符串", "整型", "浮点型", "日期型", "图片型", "Category"}));
        EXPECT_EQ(dialog.Edt_MemberName->text(), QStringLiteral("day"));
        EXPECT_EQ(dialog.CB_MemberType->currentText(), QStringLiteral("日期型"));
        EXPECT_EQ(dialog.Edt_MemberLength->text(), QStringLiteral("0"));
        EXPECT_FALSE(dialog.CB_MemberIsPri->isChecked());
        EXPECT_TRUE(dialog.CB_MemberIsMust->isChecked());
        EXPECT_TRUE(dialog.CB_QueryFlag->isChecked());
        EXPECT_FALSE(dialog.CB_MemberIsDisplay->isChecked());
        EXPECT_FALSE(dialog.CB_MemberQueryDisplay->isChecked());
        EXPECT_EQ(dialog.Edt_MemberComment->text(), QStringLiteral("日期"));
    });
    Trigger("N3");

    // A date key is refused when adding, stored when updating.
    boxes.Clear();
    EXPECT_TRUE(Update(0, Input{.name = "day", .type = "日期型", .key = true, .must = true}));
    EXPECT_EQ(boxes.Informations(), std::vector<QString>{"类成员属性更新成功!"});
    TMember stored = *TMemberDAO().GetMemberById(dayId);
    EXPECT_EQ(stored.memberIsPri, 1);
    EXPECT_EQ(stored.memberType, "日期型");
    EXPECT_EQ(MemberRow(0)[4], QStringLiteral("是"));

    // The other checks hold in the update dialog too.
    boxes.Clear();
    EXPECT_FALSE(Update(0, Input{.name = "Day", .type = "日期型", .must = true}));
    EXPECT_FALSE(Update(0, Input{.name = "day", .type = "日期型"}));
    EXPECT_FALSE(Update(0, Input{.name = "day", .type = "整型", .must = true, .query = true}));
    EXPECT_FALSE(Update(0, Input{.name = "day", .type = "字符串", .length = "x"}));
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"成员属性首个字母必须小写", "日期型必须勾选是否必填标志!",
                                                          "参与查询的字段不能是整型", "长度必须是整数!"}));
    EXPECT_EQ(*TMemberDAO().GetMemberById(dayId), stored);
}

TEST_F(MemberDialogs, UpdateFromIntegerToStringClearsTheIntegerFlagAndTakesTheLength) {
    SetUpModel();
    int countId = build.Member(MakeMember(project, article, "count", kTypeInteger));
    Start();
    ChooseMember(0);
    OnDialog([](QDialog& d) {
        EXPECT_EQ(dynamic_cast<TUpdateMemberForm&>(d).Edt_MemberLength->text(), QStringLiteral("0"));
    });
    Trigger("N3");

    EXPECT_TRUE(Update(0, Input{.name = "count", .type = "字符串", .length = "64", .listed = true}));
    TMember stored = *TMemberDAO().GetMemberById(countId);
    TMember want{.memberId = countId, .projectId = project, .classId = article, .memberName = "count",
                 .memberType = "字符串", .memberLength = 64};
    EXPECT_EQ(stored, want);
    EXPECT_EQ(MemberRow(0)[3], QStringLiteral("64"));
}

TEST_F(MemberDialogs, UpdateOfAMemberWhoseClassIsGoneKeepsItsTypeUntilOneIsChosen) {
    SetUpModel();
    TMember ref = MakeMember(project, article, "writer", "Writer");
    ref.memberIsMust = 1;
    int refId = build.Member(ref);
    Start();
    boxes.Clear();
    ChooseMember(0);
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TUpdateMemberForm&>(d);
        EXPECT_EQ(dialog.CB_MemberType->currentIndex(), -1);
        dialog.Button1->click();
    });
    Trigger("N3");
    EXPECT_FALSE(dialogs.back().closedItself);
    EXPECT_EQ(boxes.Informations(), std::vector<QString>{"请选择成员类型!"});
    EXPECT_EQ(TMemberDAO().GetMemberById(refId)->memberType, "Writer");
}

TEST_F(MemberDialogs, EnterPressesOkUnlessTheFocusIsOnCancel) {
    SetUpModel();
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddMemberForm&>(d);
        Fill(dialog, Input{.name = "other"});
        dialog.Button2->setFocus();
        PressKey(dialog.Button2, Qt::Key_Return);
    });
    Trigger("M1");
    EXPECT_TRUE(dialogs.back().closedItself);
    EXPECT_TRUE(Stored(article).empty());

    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddMemberForm&>(d);
        Fill(dialog, Input{.name = "title"});
        dialog.Edt_MemberComment->setFocus();
        PressKey(dialog.Edt_MemberComment, Qt::Key_Return);
    });
    Trigger("M1");
    EXPECT_TRUE(dialogs.back().closedItself);
    ASSERT_EQ(Stored(article).size(), 1u);
    EXPECT_EQ(Stored(article)[0].memberName, "title");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"类成员属性添加成功!"}));
}

TEST_F(MemberDialogs, CancelAndTheCloseBoxStoreNothing) {
    SetUpModel();
    int titleId = build.Member(MakeMember(project, article, "title", kTypeString));
    const TMember before = *TMemberDAO().GetMemberById(titleId);
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddMemberForm&>(d);
        Fill(dialog, Input{.name = "other"});
        dialog.Button2->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    Trigger("M1");
    ChooseMember(0);
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TUpdateMemberForm&>(d);
        Fill(dialog, Input{.name = "renamed"});
        dialog.close();
    });
    Trigger("N3");
    EXPECT_EQ(Stored(article).size(), 1u);
    EXPECT_EQ(*TMemberDAO().GetMemberById(titleId), before);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MemberDialogs, BothDialogsRefuseWhatTheModelRulesRefuseNamingTheRule) {
    SetUpModel();
    build.Member(MakeMember(project, article, "title", kTypeString));
    build.Member(MakeMember(project, article, "body", kTypeString));
    Start();

    const std::vector<std::pair<Input, QStringList>> refused = {
        {Input{.name = "tITLE"}, {"类“Article”的成员“tITLE”和成员“title”", "同一列"}},
        {Input{.name = "a\"b"}, {"类“Article”的成员名“a\"b”", "不能用作名称"}},
        {Input{.name = "a{${phpinfo()}}"}, {"不能用作名称"}},
        {Input{.name = "n" + QString(64, 'x')}, {"类“Article”的成员名", "过长（65个字符）"}},
        {Input{.name = "note", .comment = QString(1025, QChar(0x8BF4))}, {"类“Article”的成员“note”的说明", "过长（1025个字符）"}},
    };
    for (const auto& [in, said] : refused) {
        boxes.Clear();
        EXPECT_FALSE(Add(in)) << in.name.toStdString();
        ASSERT_EQ(boxes.Informations().size(), 1u) << in.name.toStdString();
        for (const QString& piece : said)
            EXPECT_TRUE(boxes.Informations()[0].contains(piece))
                << piece.toStdString() << " not in " << boxes.Informations()[0].toStdString();
    }
    EXPECT_EQ(Stored(article).size(), 2u);

    // The update dialog compares with the other members only: "body" may
    // keep its name, not take another member's.
    boxes.Clear();
    EXPECT_FALSE(Update(1, Input{.name = "title"}));
    ASSERT_EQ(boxes.Informations().size(), 1u);
    EXPECT_TRUE(boxes.Informations()[0].contains(QStringLiteral("同一列"))) << boxes.Informations()[0].toStdString();
    const QString hostile = QStringLiteral("</td><script>alert(1)</script> <{$smarty.version}> */ ?> 😀");
    boxes.Clear();
    EXPECT_TRUE(Update(1, Input{.name = "body", .comment = hostile}));
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"类成员属性更新成功!"}));
    EXPECT_EQ(Stored(article)[1].memberComment, hostile.toStdString());
}

} // namespace
} // namespace quorrel::test
