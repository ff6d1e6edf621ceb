// The windows start at their usual sizes (the dialogs keep them), and no two
// controls overlap or get clipped with the program's font.
#include "tests/gui/GuiTestSupport.h"

#include "ui/Banner.h"
#include "ui/FormAddClass.h"
#include "ui/FormAddMember.h"
#include "ui/FormUpdateClass.h"
#include "ui/FormUpdateMember.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

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

TEST_F(Controls, MainWindowStartsAtItsUsualSizeAndNothingOverlapsOrIsCut) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    Start();
    EXPECT_EQ(form->width(), 770);
    EXPECT_EQ(form->centralWidget()->height(), 547);
    EXPECT_LE(form->minimumSizeHint().width(), 770);
    EXPECT_LE(form->minimumSizeHint().height(), form->height());
    // The outer group's frame stands clear of the window's edges.
    const QRect group1 = Find("GroupBox1")->geometry();
    EXPECT_GT(group1.left(), 0);
    EXPECT_LT(group1.right(), form->centralWidget()->width() - 1);
    EXPECT_LT(group1.bottom(), form->centralWidget()->height() - 1);
    EXPECT_EQ(Find<Banner>("Image1")->pixmap().size(), QSize(728, 90));
    ExpectTidy(form->centralWidget(), "FormMain");
}

TEST_F(Controls, DialogsFitTheirControlsWithTheProgramsFont) {
    int p = build.Project("alpha");
    int c = build.CompleteClass(p, "Article");
    Start();
    TRowSet rows = TMemberDAO().QueryMembers(c);
    rows.First();

    TAddClassForm addClass(*form);
    TUpdateClassForm updateClass(*form);
    updateClass.SetClassId(c);
    TAddMemberForm addMember(*form);
    TUpdateMemberForm updateMember(*form, rows.FieldInt("memberId"));
    for (QDialog* dialog : std::initializer_list<QDialog*>{&addClass, &updateClass, &addMember, &updateMember}) {
        dialog->show();
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << dialog->objectName().toStdString();
        ExpectTidy(dialog, dialog->objectName().toStdString());
    }
}

} // namespace
} // namespace quorrel::test
