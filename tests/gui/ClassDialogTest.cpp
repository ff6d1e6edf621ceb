// The add-class and update-class dialogs: their checks in order, what they
// store and how the main window follows.
#include "tests/gui/GuiTestSupport.h"

#include "ui/FormAddClass.h"
#include "ui/FormUpdateClass.h"

#include <QLineEdit>
#include <QPushButton>

namespace quorrel::test {
namespace {

class ClassDialogs : public GuiTest {
protected:
    // Opens the add-class dialog, types the names and presses OK; answers
    // whether the dialog closed itself.
    bool AddClass(const QString& className, const QString& friendName) {
        OnDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TAddClassForm&>(d);
            dialog.Edt_ClassName->setText(className);
            dialog.Edt_FriendName->setText(friendName);
            dialog.Button1->click();
        });
        Trigger("A2");
        return !dialogs.empty() && dialogs.back().closedItself;
    }
    bool UpdateClass(const QString& className, const QString& friendName) {
        OnDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TUpdateClassForm&>(d);
            dialog.Edt_ClassName->setText(className);
            dialog.Edt_FriendName->setText(friendName);
            dialog.Button1->click();
        });
        Trigger("N2");
        return !dialogs.empty() && dialogs.back().closedItself;
    }
    std::vector<std::string> StoredClassNames(int projectId) const {
        std::vector<std::string> names;
        for (const auto& entry : TClassDAO().GetClassList(projectId))
            names.push_back(entry.name);
        return names;
    }
};

TEST_F(ClassDialogs, AddChecksBothNamesForEmptinessThenTheCapitalThenDuplicates) {
    int p = build.Project("alpha");
    int other = build.Project("beta");
    build.Class(other, "Shared");
    build.CompleteClass(p, "Existing");
    Start();

    const std::vector<std::tuple<QString, QString, QString>> refused = {
        {"", "", "类名称不能为空!"},
        {"", "友好", "类名称不能为空!"},
        {"article", "", "友好名称不能为空"},
        {"article", "文章", "类名首个字母必须大写"},
        {" Article", "文章", "类名首个字母必须大写"},
        {"1Article", "文章", "类名首个字母必须大写"},
        {"文章", "文章", "类名首个字母必须大写"},
        {"Existing", "again", "该类名称已经存在!"},
    };
    for (const auto& [className, friendName, message] : refused) {
        boxes.Clear();
        EXPECT_FALSE(AddClass(className, friendName)) << className.toStdString();
        EXPECT_EQ(boxes.Informations(), std::vector<QString>{message}) << className.toStdString();
    }
    EXPECT_EQ(StoredClassNames(p), (std::vector<std::string>{"Existing"}));

    // A name with a space inside, and a name another project already has.
    boxes.Clear();
    EXPECT_TRUE(AddClass(QStringLiteral("Abc def"), QStringLiteral("甲")));
    EXPECT_TRUE(AddClass(QStringLiteral("Shared"), QStringLiteral(" 乙 ")));
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"类名称添加成功！", "类名称添加成功！"}));
    EXPECT_EQ(StoredClassNames(p), (std::vector<std::string>{"Existing", "Abc def", "Shared"}));
    EXPECT_EQ(TClassDAO().GetFriendName(TClassDAO().GetClassId(p, "Shared")), " 乙 ");

    // The class list is reloaded with its first class selected and shown.
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Existing", "Abc def", "Shared"}));
    EXPECT_EQ(SelectedClassRow(), 0);
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"id", "title"}));
}

TEST_F(ClassDialogs, EnterInANameBoxPressesOk) {
    int p = build.Project("alpha");
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddClassForm&>(d);
        dialog.Edt_ClassName->setText(QStringLiteral("article"));
        dialog.Edt_FriendName->setText(QStringLiteral("文章"));
        PressKey(dialog.Edt_FriendName, Qt::Key_Return);
        dialog.Edt_ClassName->setText(QStringLiteral("Article"));
        PressKey(dialog.Edt_ClassName, Qt::Key_Enter);
    });
    Trigger("A2");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"类名首个字母必须大写", "类名称添加成功！"}));
    EXPECT_TRUE(dialogs.back().closedItself);
    EXPECT_EQ(StoredClassNames(p), (std::vector<std::string>{"Article"}));
}

TEST_F(ClassDialogs, UpdateFillsInTheNamesAndChecksTheCapitalBeforeTheFriendlyName) {
    int p = build.Project("alpha");
    int article = build.CompleteClass(p, "Article");
    int book = build.Class(p, "Book", "图书");
    Start();
    ChooseClass(1);

    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TUpdateClassForm&>(d);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("类更新"));
        EXPECT_EQ(dialog.Edt_ClassName->text(), QStringLiteral("Book"));
        EXPECT_EQ(dialog.Edt_FriendName->text(), QStringLiteral("图书"));
    });
    Trigger("N2");

    const std::vector<std::tuple<QString, QString, QString>> refused = {
        {"", "", "类名称不能为空"},
        {"book", "", "类名首个字母必须大写"},
        {"Book", "", "友好名称不能为空"},
    };
    for (const auto& [className, friendName, message] : refused) {
        boxes.Clear();
        EXPECT_FALSE(UpdateClass(className, friendName));
        EXPECT_EQ(boxes.Informations(), std::vector<QString>{message});
    }
    EXPECT_EQ(TClassDAO().GetClassNameById(book), "Book");

    // Renaming to another class's name would write that class's files.
    boxes.Clear();
    EXPECT_FALSE(UpdateClass(QStringLiteral("Article"), QStringLiteral("书")));
    ASSERT_EQ(boxes.Informations().size(), 1u);
    EXPECT_TRUE(boxes.Informations()[0].contains(QStringLiteral("同一个文件"))) << boxes.Informations()[0].toStdString();
    EXPECT_EQ(TClassDAO().GetClassNameById(book), "Book");

    // Keeping its own name, or taking a new one, is accepted.
    boxes.Clear();
    EXPECT_TRUE(UpdateClass(QStringLiteral("Book"), QStringLiteral("书")));
    EXPECT_TRUE(UpdateClass(QStringLiteral("Novel"), QStringLiteral("小说")));
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"类名称更新成功", "类名称更新成功"}));
    EXPECT_EQ(TClassDAO().GetClassNameById(book), "Novel");
    EXPECT_EQ(TClassDAO().GetFriendName(book), "小说");
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Article", "Novel"}));
    EXPECT_EQ(SelectedClassRow(), 1);
    EXPECT_EQ(form->SelectedClassId(), book);
    (void)article;
}

TEST_F(ClassDialogs, BothDialogsRefuseWhatTheModelRulesRefuseNamingTheRule) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Existing");
    int other = build.Class(p, "Other", "其他");
    Start();

    // Each breaks one rule; the box says which, with the words of the import and the run.
    const std::vector<std::tuple<QString, QString, QStringList>> refused = {
        {"EXISTING", "又一个", {"类“EXISTING”和类“Existing”", "同一个文件"}},
        {"Signin", "登录", {"admin/signin.php", "网站自带的文件", "同名"}},
        {"Index", "首页", {"admin/index.php", "同名"}},
        {"Ab\"c", "引号", {"类名“Ab\"c”", "不能用作名称"}},
        {"Abc{$x}", "代码", {"不能用作名称"}},
        {"T" + QString(60, 'x'), "长", {"加上表前缀后的表名", "过长（65个字符）"}},
        {"Fine", QString(256, QChar(0x4E2D)), {"类“Fine”的中文名称", "过长（256个字符）"}},
    };
    for (const auto& [className, friendName, said] : refused) {
        boxes.Clear();
        EXPECT_FALSE(AddClass(className, friendName)) << className.toStdString();
        ASSERT_EQ(boxes.Informations().size(), 1u) << className.toStdString();
        for (const QString& piece : said)
            EXPECT_TRUE(boxes.Informations()[0].contains(piece))
                << piece.toStdString() << " not in " << boxes.Informations()[0].toStdString();
    }
    EXPECT_EQ(StoredClassNames(p), (std::vector<std::string>{"Existing", "Other"}));

    // The update dialog holds to the same rules.
    ChooseClass(1);
    for (const auto& [className, friendName, said] : refused) {
        boxes.Clear();
        EXPECT_FALSE(UpdateClass(className, friendName)) << className.toStdString();
        ASSERT_EQ(boxes.Informations().size(), 1u) << className.toStdString();
        EXPECT_TRUE(boxes.Informations()[0].contains(said.back())) << boxes.Informations()[0].toStdString();
    }
    EXPECT_EQ(TClassDAO().GetClassNameById(other), "Other");
    EXPECT_EQ(TClassDAO().GetFriendName(other), "其他");

    // Hostile friendly names are free text: stored as typed.
    boxes.Clear();
    const QString hostile = QStringLiteral("笔记\"); phpinfo(); // <script>*/ ?> $x 😀");
    EXPECT_TRUE(AddClass(QStringLiteral("Note"), hostile));
    EXPECT_EQ(TClassDAO().GetFriendName(TClassDAO().GetClassId(p, "Note")), hostile.toStdString());
}

TEST_F(ClassDialogs, UpdateKeepsTheListPositionAndTheMemberTableAndRetypesReferences) {
    int p = build.Project("alpha");
    int category = build.CompleteClass(p, "Category");
    int article = build.CompleteClass(p, "Article");
    build.Member(MakeMember(p, article, "category", "Category"));
    Start();
    ASSERT_EQ(form->SelectedClassId(), category);

    EXPECT_TRUE(UpdateClass(QStringLiteral("Section"), QStringLiteral("栏目")));
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Section", "Article"}));
    EXPECT_EQ(SelectedClassRow(), 0);
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"id", "title"}));

    ChooseClass(1);
    ASSERT_EQ(Members()->rowCount(), 3);
    EXPECT_EQ(MemberRow(2)[2], QStringLiteral("Section"));
}

TEST_F(ClassDialogs, ClosingADialogWithoutOkStoresNothing) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TAddClassForm&>(d);
        dialog.Edt_ClassName->setText(QStringLiteral("Book"));
        dialog.Edt_FriendName->setText(QStringLiteral("图书"));
    });
    Trigger("A2");
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TUpdateClassForm&>(d);
        dialog.Edt_ClassName->setText(QStringLiteral("Changed"));
        dialog.close();
    });
    Trigger("N2");
    EXPECT_EQ(StoredClassNames(p), (std::vector<std::string>{"Article"}));
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Article"}));
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace quorrel::test
