// The windows' controls: names, kinds, captions, menus, sizes, and that no
// two controls overlap or get clipped with the program's font.
#include "tests/gui/GuiTestSupport.h"

#include "ui/Banner.h"
#include "ui/DataBaseSqlForm.h"
#include "ui/FormAddClass.h"
#include "ui/FormAddMember.h"
#include "ui/FormUpdateClass.h"
#include "ui/FormUpdateMember.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace quorrel::test {
namespace {

using Controls = GuiTest;

// Direct child widgets of a container that the user sees.
std::vector<QWidget*> VisibleChildren(QWidget* parent) {
    std::vector<QWidget*> children;
    for (QObject* object : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget && !widget->isWindow() && widget->isVisibleTo(parent))
            children.push_back(widget);
    }
    return children;
}

bool IsContainer(QWidget* widget) {
    const QString cls = QString::fromLatin1(widget->metaObject()->className());
    return cls == QLatin1String("QWidget") || qobject_cast<QGroupBox*>(widget) != nullptr ||
           qobject_cast<QDialog*>(widget) != nullptr;
}

// Within every container: children inside it, pairwise apart, and texts of
// labels, check boxes and buttons not cut.
void ExpectTidy(QWidget* container, const std::string& where) {
    const auto children = VisibleChildren(container);
    for (std::size_t i = 0; i < children.size(); ++i) {
        QWidget* a = children[i];
        const std::string name = where + "/" + a->objectName().toStdString();
        EXPECT_TRUE(container->rect().contains(a->geometry())) << name << " leaves its container";
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            QWidget* b = children[j];
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << name << " overlaps " << b->objectName().toStdString();
        }
        if (qobject_cast<QLabel*>(a) || qobject_cast<QAbstractButton*>(a)) {
            if (!qobject_cast<Banner*>(a)) {
                EXPECT_GE(a->width(), a->minimumSizeHint().width()) << name << " is cut";
                EXPECT_GE(a->height(), a->minimumSizeHint().height()) << name << " is cut";
            }
        }
        if (IsContainer(a))
            ExpectTidy(a, name);
    }
}

template <class Kind>
void ExpectControl(QWidget& window, const char* name, const QString& caption = QString()) {
    QWidget* widget = window.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(widget, nullptr) << name;
    EXPECT_NE(qobject_cast<Kind*>(widget), nullptr) << name << " is a " << widget->metaObject()->className();
    if (caption.isNull())
        return;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text = button->text();
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        text = group->title();
    EXPECT_EQ(text, caption) << name;
}

TEST_F(Controls, MainWindowHasItsCaptionFixedSizeAndControls) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    Start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("QuorrelPHP代码生成器2.0版【PHP+Smarty技术】"));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->width(), 770);
    EXPECT_EQ(form->centralWidget()->height(), 547);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);

    ExpectControl<Banner>(*form, "Image1");
    ExpectControl<QGroupBox>(*form, "GroupBox1", QStringLiteral("项目操作区"));
    ExpectControl<QLabel>(*form, "Label1", QStringLiteral("项目:"));
    ExpectControl<QComboBox>(*form, "CB_Project");
    ExpectControl<QLabel>(*form, "Label2", QStringLiteral("该项目所有类如下:"));
    ExpectControl<QListWidget>(*form, "LB_Object");
    ExpectControl<QTableWidget>(*form, "LV_Member");
    ExpectControl<QGroupBox>(*form, "GroupBox2", QStringLiteral("生成进度"));
    ExpectControl<QPlainTextEdit>(*form, "Memo_State");
    EXPECT_FALSE(Projects()->isEditable());
    EXPECT_EQ(Find("GroupBox2")->height(), 152);
    // The outer group's frame stands clear of the window's edges.
    const QRect group1 = Find("GroupBox1")->geometry();
    EXPECT_GT(group1.left(), 0);
    EXPECT_LT(group1.right(), form->centralWidget()->width() - 1);
    EXPECT_LT(group1.bottom(), form->centralWidget()->height() - 1);
    EXPECT_EQ(Log()->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(Log()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    auto* banner = Find<Banner>("Image1");
    EXPECT_EQ(banner->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(banner->pixmap().size(), QSize(728, 90));
    EXPECT_EQ(banner->height(), 89);
    EXPECT_EQ(banner->width(), 770);

    ExpectTidy(form->centralWidget(), "FormMain");
}

TEST_F(Controls, MenusHoldEveryCommandInOrderWithAccessLettersAndNoShortcuts) {
    Start();
    const std::vector<std::pair<QString, std::vector<std::pair<QString, QString>>>> expected = {
        {QStringLiteral("项目操作(&P)"),
         {{"F2", "新建项目(&F)"},
          {"N1", "修改项目名称(&X)"},
          {"D1", "删除当前项目(&D)"},
          {"A2", "添加类(&A)"},
          {"N2", "修改类名(&B)"},
          {"S1", "删除类(&S)"},
          {"M1", "添加成员(&M)"},
          {"N3", "修改成员属性(&E)"},
          {"C1", "删除成员(&C)"}}},
        {QStringLiteral("代码管理(&A)"),
         {{"N4", "设置表名前缀(&P)"}, {"sql1", "生成建表sql语句(&M)"}, {"A1", "生成项目代码(&M)"}}},
    };
    const auto menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t m = 0; m < expected.size(); ++m) {
        const qsizetype menuIndex = static_cast<qsizetype>(m);
        EXPECT_EQ(menus[menuIndex]->text(), expected[m].first);
        QMenu* menu = menus[menuIndex]->menu();
        ASSERT_NE(menu, nullptr);
        const auto items = menu->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            const auto& [name, caption] = expected[m].second[static_cast<std::size_t>(i)];
            EXPECT_EQ(items[i]->objectName(), name);
            EXPECT_EQ(items[i]->text(), caption);
            EXPECT_TRUE(items[i]->shortcut().isEmpty()) << items[i]->objectName().toStdString();
        }
    }
}

TEST_F(Controls, ClassDialogsHaveTheirCaptionsLabelsAndTidyLayout) {
    int p = build.Project("alpha");
    int c = build.CompleteClass(p, "Article");
    Start();

    TAddClassForm add(*form);
    add.show();
    EXPECT_EQ(add.windowTitle(), QStringLiteral("添加类"));
    EXPECT_EQ(add.minimumSize(), add.maximumSize());
    EXPECT_GE(add.width(), 269);
    EXPECT_GE(add.height(), 218);
    ExpectControl<QLabel>(add, "Label1", QStringLiteral("类英文名称:        "));
    ExpectControl<QLineEdit>(add, "Edt_ClassName");
    ExpectControl<QLabel>(add, "Label2", QStringLiteral("中文友好名称:         "));
    ExpectControl<QLineEdit>(add, "Edt_FriendName");
    ExpectControl<QPushButton>(add, "Button1", QStringLiteral("确定"));
    EXPECT_EQ(add.findChildren<QPushButton*>().size(), 1);
    EXPECT_TRUE(add.Edt_ClassName->text().isEmpty());
    EXPECT_TRUE(add.Edt_FriendName->text().isEmpty());
    ExpectTidy(&add, "FormAddClass");

    TUpdateClassForm update(*form);
    update.SetClassId(c);
    update.show();
    EXPECT_EQ(update.windowTitle(), QStringLiteral("类更新"));
    EXPECT_GE(update.width(), 271);
    EXPECT_GE(update.height(), 214);
    ExpectControl<QLabel>(update, "Label1", QStringLiteral("类英文名称:       "));
    ExpectControl<QLabel>(update, "Label2", QStringLiteral("中文友好名称:        "));
    ExpectControl<QPushButton>(update, "Button1", QStringLiteral("确定"));
    ExpectTidy(&update, "FormUpdateClass");
}

TEST_F(Controls, MemberDialogsHaveTheirCaptionsControlsAndTidyLayout) {
    int p = build.Project("alpha");
    int c = build.CompleteClass(p, "Article");
    Start();
    TRowSet rows = TMemberDAO().QueryMembers(c);
    rows.First();
    const int memberId = rows.FieldInt("memberId");

    TAddMemberForm add(*form);
    TUpdateMemberForm update(*form, memberId);
    struct Expect {
        TMemberForm* dialog;
        const char* name;
        QString caption;
        QSize client;
    };
    for (const Expect& e : {Expect{&add, "FormAddMember", QStringLiteral("添加成员属性"), QSize(389, 331)},
                            Expect{&update, "FormUpdateMember", QStringLiteral("更新成员属性"), QSize(372, 320)}}) {
        QDialog& d = *e.dialog;
        d.show();
        EXPECT_EQ(d.objectName(), QString::fromLatin1(e.name));
        EXPECT_EQ(d.windowTitle(), e.caption);
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_GE(d.width(), e.client.width());
        EXPECT_GE(d.height(), e.client.height());
        ExpectControl<QLabel>(d, "Label1", QStringLiteral("成员名称："));
        ExpectControl<QLineEdit>(d, "Edt_MemberName");
        ExpectControl<QLabel>(d, "Label2", QStringLiteral("成员类型："));
        ExpectControl<QComboBox>(d, "CB_MemberType");
        ExpectControl<QLabel>(d, "Label3", QStringLiteral("长度： "));
        ExpectControl<QLineEdit>(d, "Edt_MemberLength");
        ExpectControl<QLabel>(d, "Label5", QStringLiteral("(字符串类型有效)     "));
        ExpectControl<QCheckBox>(d, "CB_MemberIsPri", QStringLiteral("是否主键"));
        ExpectControl<QCheckBox>(d, "CB_MemberIsMust", QStringLiteral("是否必填"));
        ExpectControl<QCheckBox>(d, "CB_QueryFlag", QStringLiteral("是否参与查询"));
        ExpectControl<QCheckBox>(d, "CB_MemberIsDisplay", QStringLiteral("下拉框显示字段"));
        ExpectControl<QCheckBox>(d, "CB_MemberQueryDisplay", QStringLiteral("查询界面是否显示"));
        ExpectControl<QLabel>(d, "Label4", QStringLiteral("成员注释："));
        ExpectControl<QLineEdit>(d, "Edt_MemberComment");
        ExpectControl<QPushButton>(d, "Button1", QStringLiteral("确定"));
        ExpectControl<QPushButton>(d, "Button2", QStringLiteral("取消"));
        EXPECT_FALSE(e.dialog->CB_MemberType->isEditable());
        ExpectTidy(&d, e.name);
    }
}

TEST_F(Controls, ScriptDialogHasItsCaptionAndAnEditableMemoFillingIt) {
    MakeMinimalHome(Home());
    int p = build.Project("alpha");
    Start();
    TDataBaseSqlForm dialog(form.get(), Home(), boxes);
    dialog.SetProjectId(p);
    dialog.show();
    EXPECT_EQ(dialog.objectName(), QStringLiteral("DataBaseSqlForm"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("数据库建表sql语句"));
    EXPECT_EQ(dialog.size(), QSize(766, 551));
    ExpectControl<QPlainTextEdit>(dialog, "Memo_Sql");
    EXPECT_EQ(dialog.Memo_Sql->geometry(), dialog.rect());
    EXPECT_FALSE(dialog.Memo_Sql->isReadOnly());
    EXPECT_EQ(dialog.Memo_Sql->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

} // namespace
} // namespace quorrel::test
