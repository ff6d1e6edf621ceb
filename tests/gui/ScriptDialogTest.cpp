// The script command: a fresh dialog with the selected project and the
// current prefix, its script built when shown, and its failure.
#include "tests/gui/GuiTestSupport.h"

#include "base/FileOperate.h"
#include "generators/DataBaseSql.h"
#include "ui/DataBaseSqlForm.h"

#include <QKeyEvent>
#include <QTextCursor>

namespace quorrel::test {
namespace {

using ScriptDialog = GuiTest;

TEST_F(ScriptDialog, ShowsTheScriptOfTheSelectedProjectWithTheCurrentPrefix) {
    MakeMinimalHome(Home());
    build.Project("first");
    int p = build.Project("second");
    int category = build.CompleteClass(p, "Category");
    int article = build.CompleteClass(p, "Article");
    build.Member(MakeMember(p, article, "category", "Category"));
    (void)category;
    Start();
    ChooseProject(1);
    boxes.inputAnswers = {QStringLiteral("cms_")};
    Trigger("N4");

    const std::string scriptTemplate = TFileOperate::ReadUtf8File(TFolders(Home()).Resource(TDataBaseSql::kTemplatePath));
    const QString script =
        QString::fromStdString(TDataBaseSql(scriptTemplate).BuildScript(*TProjectSnapshot::Take(p), "cms_"));
    ASSERT_TRUE(script.contains(QStringLiteral("\r\n")));
    const QString expected = QString(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ASSERT_TRUE(expected.contains(QStringLiteral("cms_article")));
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TDataBaseSqlForm&>(d);
        EXPECT_EQ(dialog.Memo_Sql->toPlainText(), expected);
    });
    Trigger("sql1");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].name, QStringLiteral("DataBaseSqlForm"));
    EXPECT_TRUE(boxes.Texts(BoxKind::Error).empty());
}

TEST_F(ScriptDialog, CtrlASelectsTheWholeScript) {
    MakeMinimalHome(Home());
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    Start();
    OnDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TDataBaseSqlForm&>(d);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
        QApplication::sendEvent(dialog.Memo_Sql, &press);
        EXPECT_EQ(dialog.Memo_Sql->textCursor().selectedText().size(), dialog.Memo_Sql->toPlainText().size());
        EXPECT_FALSE(dialog.Memo_Sql->toPlainText().isEmpty());
    });
    Trigger("sql1");
}

TEST_F(ScriptDialog, AMissingTemplateShowsTheErrorAndLeavesTheMemoEmpty) {
    int p = build.Project("alpha");
    build.CompleteClass(p, "Article");
    Start();
    OnDialog([](QDialog& d) { EXPECT_TRUE(dynamic_cast<TDataBaseSqlForm&>(d).Memo_Sql->toPlainText().isEmpty()); });
    Trigger("sql1");
    ASSERT_EQ(boxes.Texts(BoxKind::Error).size(), 1u);
    EXPECT_FALSE(boxes.Texts(BoxKind::Error)[0].isEmpty());
}

} // namespace
} // namespace quorrel::test
