// The main window's lists, selection handlers and commands, driven through
// its real widgets over a temporary model.
#include "tests/gui/GuiTestSupport.h"

#include "generators/ProductInfo.h"
#include "model/DbHelper.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>

namespace quorrel::test {
namespace {

using MainWindow = GuiTest;


TEST_F(MainWindow, EmptyModelShowsEmptyListsAndEveryCommandReportsTheMissingSelection) {
    Start();
    EXPECT_EQ(Projects()->count(), 0);
    EXPECT_EQ(Classes()->count(), 0);
    EXPECT_EQ(Members()->rowCount(), 0);
    EXPECT_EQ(form->LastProjectIndex(), -1);
    EXPECT_EQ(form->TablePrefix(), QStringLiteral("php_"));

    const std::pair<const char*, QString> expected[] = {
        {"N1", QStringLiteral("当前未有任何项目被选中!")}, {"D1", QStringLiteral("未有任何项目被选中!")},
        {"A2", QStringLiteral("当前未有任何项目被选中!")}, {"N2", QStringLiteral("没有类被选中!")},
        {"S1", QStringLiteral("没有类被选中!")},           {"M1", QStringLiteral("请先选择类对象")},
        {"N3", QStringLiteral("请先选择一个成员")},         {"C1", QStringLiteral("请先选择一个成员")},
        {"sql1", QStringLiteral("当前未有任何项目被选中!")}, {"A1", QStringLiteral("没有一个工程被选中！")},
        {"V1", QStringLiteral("没有一个工程被选中！")},
    };
    for (const auto& [command, message] : expected) {
        boxes.Clear();
        Trigger(command);
        ASSERT_EQ(boxes.shown.size(), 1u) << command;
        EXPECT_EQ(boxes.shown[0].kind, BoxKind::Information) << command;
        EXPECT_EQ(boxes.shown[0].text, message) << command;
    }
    EXPECT_TRUE(dialogs.empty());
    EXPECT_FALSE(form->IsGenerating());
}

TEST_F(MainWindow, StartSelectsTheFirstProjectTheFirstClassAndShowsItsMembers) {
    int p1 = build.Project("alpha");
    build.Project("beta");
    int c1 = build.Class(p1, "Article");
    build.Class(p1, "Category");
    build.Member(MakeMember(p1, c1, "id", kTypeInteger, true));
    build.Member(MakeMember(p1, c1, "title", kTypeString, false, true));
    Start();
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"alpha", "beta"}));
    EXPECT_EQ(Projects()->currentIndex(), 0);
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Article", "Category"}));
    EXPECT_EQ(SelectedClassRow(), 0);
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"id", "title"}));
    EXPECT_EQ(form->SelectedProjectId(), p1);
    EXPECT_EQ(form->SelectedClassId(), c1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindow, MemberTableShowsTenColumnsAndYesOnlyForTheValueOne) {
    int p = build.Project("alpha");
    int c = build.Class(p, "Article");
    TMember odd = MakeMember(p, c, "odd", kTypeString);
    odd.memberLength = 35;
    odd.memberIsPri = 2;  // anything but 1 reads as no
    odd.memberIsMust = 1;
    odd.queryFlag = 1;
    odd.memberIsDisplay = 0;
    odd.memberQueryDisplay = 0;
    odd.memberComment = "标题 注释";
    int oddId = build.Member(odd);
    TMember key = MakeMember(p, c, "id", kTypeInteger, true, true);
    key.memberIsMust = 0;
    key.memberQueryDisplay = 1;
    int keyId = build.Member(key);
    Start();

    QTableWidget* table = Members();
    const std::vector<QString> captions = {"编号", "成员名称", "成员类型", "长度", "主键",
                                           "必填", "查询", "下拉框显示", "界面显示", "注释"};
    const std::vector<int> widths = {1, 90, 70, 50, 50, 50, 50, 75, 60, 110};
    ASSERT_EQ(table->columnCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table->horizontalHeaderItem(i)->text(), captions[i]) << i;
        EXPECT_EQ(table->columnWidth(i), widths[i]) << i;
    }
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(MemberRow(0), (std::vector<QString>{QString::number(oddId), "odd", "字符串", "35", "否", "是", "是", "否",
                                                  "否", "标题 注释"}));
    EXPECT_EQ(MemberRow(1), (std::vector<QString>{QString::number(keyId), "id", "整型", "0", "是", "否", "否", "是",
                                                  "是", "id comment"}));
    EXPECT_TRUE(table->showGrid());
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindow, ChoosingAProjectOrAClassReloadsTheListsBelowIt) {
    int p1 = build.Project("alpha");
    int p2 = build.Project("empty");
    int p3 = build.Project("gamma");
    int a = build.Class(p1, "Article");
    int b = build.Class(p1, "Book");
    build.Member(MakeMember(p1, a, "articleId", kTypeInteger, true));
    build.Member(MakeMember(p1, b, "bookId", kTypeInteger, true));
    build.Member(MakeMember(p1, b, "isbn", kTypeString));
    int g = build.Class(p3, "Game");
    build.Member(MakeMember(p3, g, "gameId", kTypeInteger, true));
    (void)p2;
    Start();

    ChooseClass(1);
    EXPECT_EQ(form->SelectedClassId(), b);
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"bookId", "isbn"}));

    ChooseProject(1);
    EXPECT_TRUE(ClassNames().empty());
    EXPECT_EQ(Members()->rowCount(), 0);

    ChooseProject(2);
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Game"}));
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"gameId"}));
    // Choosing a project does not touch the remembered position.
    EXPECT_EQ(form->LastProjectIndex(), -1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindow, NewProjectIsRefusedWhenCancelledOrDuplicateAndAddedOtherwise) {
    Start();
    boxes.inputAnswers = {std::nullopt};
    Trigger("F2");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Input);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("请输入工程名称"));
    EXPECT_EQ(boxes.shown[0].text, QString());
    EXPECT_EQ(boxes.shown[0].initial, QString());
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("工程名称不能为空!"));
    EXPECT_TRUE(TProjectDAO().LoadProjects().empty());

    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral(" news ")};
    Trigger("F2");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"工程名称添加成功！"}));
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{" news "}));
    EXPECT_EQ(Projects()->currentIndex(), 0);

    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral(" news ")};
    Trigger("F2");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"该工程名称已经存在!"}));
    EXPECT_EQ(TProjectDAO().LoadProjects().size(), 1u);
}

TEST_F(MainWindow, RenameRemembersThePositionSoALaterAddKeepsTheSecondProjectSelected) {
    build.Project("first");
    int second = build.Project("second");
    build.Project("third");
    Start();
    ChooseProject(1);

    boxes.inputAnswers = {QString()};
    Trigger("N1");
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("请输入项目名称"));
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"工程项目名称不能为空!"}));
    EXPECT_EQ(form->LastProjectIndex(), -1);

    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral("renamed")};
    Trigger("N1");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"工程名称修改成功！"}));
    EXPECT_EQ(form->LastProjectIndex(), 1);
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"first", "renamed", "third"}));
    EXPECT_EQ(Projects()->currentIndex(), 1);
    EXPECT_EQ(form->SelectedProjectId(), second);

    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral("fourth")};
    Trigger("F2");
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"first", "renamed", "third", "fourth"}));
    EXPECT_EQ(Projects()->currentIndex(), 1);

    // Renaming to an existing name is not checked.
    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral("first")};
    Trigger("N1");
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"first", "first", "third", "fourth"}));
}

TEST_F(MainWindow, DeletingProjectsAsksFirstSelectsTheFirstRemainingAndEmptiesAllListsAtTheEnd) {
    int p1 = build.Project("first");
    int p2 = build.Project("second");
    build.CompleteClass(p1, "Article");
    build.CompleteClass(p2, "Book");
    Start();
    ChooseProject(1);
    boxes.inputAnswers = {QStringLiteral("second")};
    Trigger("N1");  // remembers position 1
    ASSERT_EQ(form->LastProjectIndex(), 1);

    boxes.Clear();
    boxes.confirmAnswers = {false};
    Trigger("D1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Confirm);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("删除提示"));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("确认删除当前项目吗?"));
    EXPECT_EQ(TProjectDAO().LoadProjects().size(), 2u);

    boxes.Clear();
    boxes.confirmAnswers = {true};
    Trigger("D1");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"删除成功!"}));
    EXPECT_EQ(form->LastProjectIndex(), -1);
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"first"}));
    EXPECT_EQ(Projects()->currentIndex(), 0);
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Article"}));
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"id", "title"}));
    EXPECT_TRUE(TClassDAO().GetClassList(p2).empty());

    boxes.Clear();
    boxes.confirmAnswers = {true};
    Trigger("D1");
    EXPECT_EQ(Projects()->count(), 0);
    EXPECT_EQ(Classes()->count(), 0);
    EXPECT_EQ(Members()->rowCount(), 0);
    EXPECT_TRUE(TProjectDAO().LoadProjects().empty());
}

TEST_F(MainWindow, DeletingAClassLeavesNoClassSelectedAndAnEmptyMemberTable) {
    int p = build.Project("alpha");
    int a = build.CompleteClass(p, "Article");
    build.CompleteClass(p, "Book");
    Start();

    boxes.confirmAnswers = {false};
    Trigger("S1");
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("确认删除此类对象！"));
    EXPECT_EQ(ClassNames().size(), 2u);

    boxes.Clear();
    boxes.confirmAnswers = {true};
    Trigger("S1");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"类对象删除成功!"}));
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Book"}));
    EXPECT_EQ(SelectedClassRow(), -1);
    EXPECT_EQ(Members()->rowCount(), 0);
    EXPECT_EQ(TClassDAO().GetClassNameById(a), "");
    EXPECT_EQ(TMemberDAO().QueryMembers(a).RecordCount(), 0);

    // With no class selected the class commands report it.
    boxes.Clear();
    Trigger("S1");
    Trigger("M1");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"没有类被选中!", "请先选择类对象"}));
}

TEST_F(MainWindow, ABlankClickOrACtrlClickOnTheClassListKeepsTheClassSelected) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    int b = build.Class(p, "Book");
    build.Member(MakeMember(p, b, "isbn", kTypeString, true));
    Start();
    ChooseClass(1);
    QWidget* viewport = Classes()->viewport();
    const QPoint blank(viewport->width() / 2, viewport->height() - 4);
    ASSERT_EQ(Classes()->itemAt(blank), nullptr);
    Click(viewport, blank);
    EXPECT_EQ(SelectedClassRow(), 1);

    const QPoint onBook = Classes()->visualItemRect(Classes()->item(1)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(onBook), QPointF(viewport->mapToGlobal(onBook)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::ControlModifier);
        QApplication::sendEvent(viewport, &event);
    }
    EXPECT_EQ(SelectedClassRow(), 1);
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"isbn"}));

    // The member commands still act on the class whose members are shown.
    OnDialog([](QDialog&) {});
    Trigger("M1");
    EXPECT_TRUE(boxes.Informations().empty());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].name, QStringLiteral("FormAddMember"));
}

TEST_F(MainWindow, DeletingAMemberAsksFirstAndReloadsTheTable) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    Start();
    ChooseMember(1);
    ASSERT_TRUE(form->SelectedMemberId().has_value());

    boxes.confirmAnswers = {false};
    Trigger("C1");
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("删除提示"));
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("确定删除当前成员属性?"));
    EXPECT_EQ(MemberNames().size(), 2u);

    boxes.Clear();
    boxes.confirmAnswers = {true};
    Trigger("C1");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"成员属性删除成功"}));
    EXPECT_EQ(MemberNames(), (std::vector<QString>{"id"}));
    EXPECT_FALSE(form->SelectedMemberId().has_value());
}

TEST_F(MainWindow, PrefixBoxShowsItsPromptKeepsThePrefixOnCancelOrEmptyAndTakesAnyOtherText) {
    Start();
    const QString prompt = QStringLiteral("请输入一个表名前缀如:") + QString(11, QLatin1Char(' '));

    boxes.inputAnswers = {std::nullopt};
    Trigger("N4");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("表前缀输入框"));
    EXPECT_EQ(boxes.shown[0].text, prompt);
    EXPECT_EQ(boxes.shown[0].initial, QStringLiteral("php_"));
    EXPECT_EQ(form->TablePrefix(), QStringLiteral("php_"));

    boxes.Clear();
    boxes.inputAnswers = {QString()};
    Trigger("N4");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"前缀输入不能为空!"}));
    EXPECT_EQ(form->TablePrefix(), QStringLiteral("php_"));

    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral("   ")};
    Trigger("N4");
    EXPECT_TRUE(boxes.Informations().empty());
    EXPECT_EQ(form->TablePrefix(), QStringLiteral("   "));

    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral("cms_")};
    Trigger("N4");
    EXPECT_EQ(boxes.shown[0].initial, QStringLiteral("   "));
    EXPECT_EQ(form->TablePrefix(), QStringLiteral("cms_"));
}

TEST_F(MainWindow, DoubleClicksOpenTheDialogThatFitsWhatWasHit) {
    int p = build.Project("alpha");
    int a = build.Class(p, "Article", "文章");
    int idMember = build.Member(MakeMember(p, a, "id", kTypeInteger, true));
    build.Member(MakeMember(p, a, "title", kTypeString, false, true));
    Start();
    QTableWidget* table = Members();
    QWidget* viewport = table->viewport();
    const QPoint empty(viewport->width() / 2, viewport->height() - 4);
    ASSERT_FALSE(table->indexAt(empty).isValid());

    // A member row: the update dialog for that member.
    OnDialog([](QDialog& dialog) {
        EXPECT_EQ(Find<QLineEdit>(dialog, "Edt_MemberName")->text(), QStringLiteral("id"));
    });
    DoubleClick(viewport, table->visualRect(table->model()->index(0, 1)).center());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].name, QStringLiteral("FormUpdateMember"));
    EXPECT_EQ(form->SelectedMemberId(), idMember);

    // The empty part of the table with a class selected: the add dialog.
    OnDialog([](QDialog&) {});
    DoubleClick(viewport, empty);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].name, QStringLiteral("FormAddMember"));
    EXPECT_FALSE(form->SelectedMemberId().has_value());

    // The class list: the update-class dialog for the selected class.
    OnDialog([](QDialog& dialog) {
        EXPECT_EQ(Find<QLineEdit>(dialog, "Edt_ClassName")->text(), QStringLiteral("Article"));
        EXPECT_EQ(Find<QLineEdit>(dialog, "Edt_FriendName")->text(), QStringLiteral("文章"));
    });
    DoubleClick(Classes()->viewport(), Classes()->visualItemRect(Classes()->item(0)).center());
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[2].name, QStringLiteral("FormUpdateClass"));

    // Without a selected class the empty part runs the update command, which
    // reports the missing member.
    boxes.confirmAnswers = {true};
    Trigger("S1");
    boxes.Clear();
    DoubleClick(viewport, empty);
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"请先选择一个成员"}));
    EXPECT_EQ(dialogs.size(), 3u);
}

TEST_F(MainWindow, BannerClickAndTheOneShotTimerOpenTheHomePage) {
    Start();
    const QUrl homePage = QUrl::fromLocalFile(QString::fromStdString((Home() / kHomePagePath).string()));
    QTimer* timer = Find<QTimer>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isActive());

    QWidget* banner = Find("Image1");
    Click(banner, banner->rect().center());
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], homePage);
    EXPECT_TRUE(homePage.isLocalFile());

    // Shorten the wait; the handler still runs only once.
    timer->start(10);
    ASSERT_TRUE(WaitFor([this] { return opener.opened.size() == 2; }, 5000));
    QThread::msleep(50);
    QApplication::processEvents();
    EXPECT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[1], homePage);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(MainWindow, DatabaseErrorsEndTheCommandWithAnErrorBoxAndTheWindowCarriesOn) {
    build.Project("alpha");
    Start();
    // The model goes away under the running window.
    TDbHelper::SetModelFile(Home() / "missing" / "projects.mdb");
    boxes.inputAnswers = {QStringLiteral("beta")};
    Trigger("F2");
    ASSERT_EQ(boxes.Texts(BoxKind::Error).size(), 1u);
    EXPECT_FALSE(boxes.Texts(BoxKind::Error)[0].isEmpty());
    EXPECT_TRUE(boxes.Informations().empty());
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"alpha"}));

    boxes.Clear();
    ChooseProject(0);
    EXPECT_EQ(boxes.Texts(BoxKind::Error).size(), 1u);

    TDbHelper::SetModelFile(model.file());
    boxes.Clear();
    boxes.inputAnswers = {QStringLiteral("beta")};
    Trigger("F2");
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{"工程名称添加成功！"}));
}

TEST_F(MainWindow, TheAboutBoxNamesTheFoldersAndTheHelpPageComesFromTheResources) {
    // Resources apart from the data folder, as in an installed program.
    TempFolder resources;
    form = std::make_unique<TFormMain>(TFolders(resources.path(), Home()), boxes, opener);
    form->show();
    QApplication::processEvents();

    QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
    Trigger("About1");
    QCoreApplication::setApplicationVersion(QString());
    const auto notices = boxes.Texts(BoxKind::Notice);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].contains(QString::fromStdString(resources.path().string()))) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains(QString::fromStdString(Home().string()))) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains(QStringLiteral("9.8.7"))) << notices[0].toStdString();

    QWidget* banner = Find("Image1");
    Click(banner, banner->rect().center());
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(QString::fromStdString((resources.path() / kHomePagePath).string())));
}

} // namespace
} // namespace quorrel::test
