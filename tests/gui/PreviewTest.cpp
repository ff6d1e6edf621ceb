// The preview of a generation run: the plan grouped by status with its
// counts, the coloured differences of the file the user selects, and the run
// started from there with the user's edits overwritten by choice.
#include "tests/gui/GuiTestSupport.h"

#include "ui/DiffHighlighter.h"
#include "ui/FormPreview.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>

namespace quorrel::test {
namespace {

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The colour the diff view gives the first line that begins with prefix
// (and not with the file-name marks "+++" / "---").
std::optional<QColor> LineColour(QPlainTextEdit* memo, const QString& prefix) {
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (!text.startsWith(prefix) || text.startsWith(QStringLiteral("+++")) || text.startsWith(QStringLiteral("---")))
            continue;
        const auto formats = block.layout()->formats();
        if (formats.isEmpty())
            return QColor();
        return formats.first().format.foreground().color();
    }
    return std::nullopt;
}

class Preview : public GuiTest {
protected:
    void SetUp() override { MakeMinimalHome(Home()); }
    std::filesystem::path Site(const std::string& path) const { return Home() / "projects" / "site" / path; }
    void Generate() {
        Trigger("A1");
        ASSERT_TRUE(WaitFor([this] { return !form->IsGenerating(); })) << "the run did not end";
    }
};

TEST_F(Preview, ShowsThePlanAndTheColouredDiffAndStartsTheRunThatOverwritesByChoice) {
    int p = build.Project("site");
    int article = build.CompleteClass(p, "Article");
    build.CompleteClass(p, "Category");
    Start();
    Generate();
    ASSERT_TRUE(std::filesystem::exists(Site(".quorrel/manifest.json")));

    // The user edits a controller; the model gains a member and a class.
    const std::string edited = ReadAll(Site("admin/article.php")) + "// my own line\r\n";
    WriteFile(Site("admin/article.php"), edited);
    const std::string listPage = ReadAll(Site("admin/templates/admin/article.html"));
    build.Member(MakeMember(p, article, "summary", kTypeString));
    build.CompleteClass(p, "Tag");
    boxes.Clear();

    QStringList groups;
    QString summary, diff;
    std::optional<QColor> added, removed;
    bool wroteNothing = false;
    OnDialog([&](QDialog& dialog) {
        auto& preview = static_cast<TPreviewForm&>(dialog);
        ASSERT_TRUE(WaitFor([&] { return !preview.IsBusy(); })) << "the plan was not computed";
        QTreeWidget* tree = Find<QTreeWidget>(dialog, "TV_Plan");
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            groups << tree->topLevelItem(i)->text(0);
        summary = Find<QLabel>(dialog, "Lbl_Summary")->text();

        // The user clicks the edited controller in the conflict group.
        QTreeWidgetItem* conflicts = tree->topLevelItem(0);
        ASSERT_EQ(conflicts->childCount(), 1);
        QTreeWidgetItem* file = conflicts->child(0);
        EXPECT_EQ(file->text(0), QStringLiteral("admin/article.php"));
        tree->scrollToItem(file);
        Click(tree->viewport(), tree->visualItemRect(file).center());
        QPlainTextEdit* memo = Find<QPlainTextEdit>(dialog, "Memo_Diff");
        ASSERT_TRUE(WaitFor([&] { return !preview.IsBusy() && memo->toPlainText().startsWith(QStringLiteral("---")); }))
            << memo->toPlainText().toStdString();
        QApplication::processEvents();
        diff = memo->toPlainText();
        added = LineColour(memo, QStringLiteral("+"));
        removed = LineColour(memo, QStringLiteral("-// my own line"));
        wroteNothing = ReadAll(Site("admin/article.php")) == edited &&
                       ReadAll(Site("admin/templates/admin/article.html")) == listPage &&
                       !std::filesystem::exists(Site("admin/tag.php"));

        // Overwrite the edit, then start the run from here.
        Find<QCheckBox>(dialog, "CB_Overwrite")->click();
        Find<QPushButton>(dialog, "Btn_Run")->click();
    });
    Trigger("V1");
    ASSERT_TRUE(WaitFor([this] { return !form->IsGenerating(); })) << "the run did not end";

    EXPECT_EQ(groups, (QStringList{QStringLiteral("合并（1）"), QStringLiteral("更新（5）"), QStringLiteral("新建（4）"),
                                   QStringLiteral("无变化（14）")}));
    EXPECT_EQ(summary,
              QStringLiteral("共 24 个文件：新建 4，无变化 14，更新 5，已被修改 0，合并 1，冲突 0，保留 0，不再生成 0"));
    EXPECT_TRUE(diff.startsWith(QStringLiteral("--- a/admin/article.php\n+++ b/admin/article.php\n@@ "))) << diff.toStdString();
    EXPECT_TRUE(diff.contains(QStringLiteral("summary")));
    ASSERT_TRUE(added && removed);
    EXPECT_EQ(*added, DiffHighlighter::kAdded);
    EXPECT_EQ(*removed, DiffHighlighter::kRemoved);
    EXPECT_TRUE(wroteNothing) << "the preview wrote into the site";

    // The run started from the preview: no reminder box, the edit replaced
    // and kept as .orig, its warning in the log and the box, the manifest last.
    EXPECT_EQ(boxes.Informations(), std::vector<QString>{});
    const auto notices = boxes.Texts(BoxKind::Notice);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].startsWith(QStringLiteral("所有代码生成完毕!\n\n但有1条警告：\n警告：projects/site/admin/article.php ")))
        << notices[0].toStdString();
    EXPECT_EQ(ReadAll(Site("admin/article.php.orig")), edited);
    EXPECT_NE(ReadAll(Site("admin/article.php")).find("summary"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(Site("admin/tag.php")));
    const QStringList lines = LogLines();
    EXPECT_EQ(lines.filter(QStringLiteral("警告：")),
              QStringList{QStringLiteral("警告：projects/site/admin/article.php 已被修改，本次生成的内容也有变化，"
                                         "已按选择覆盖；原来的内容保存在 projects/site/admin/article.php.orig")});
    EXPECT_EQ(lines.last(), QStringLiteral("projects/site/.quorrel/manifest.json清单生成完毕!"));
}

} // namespace
} // namespace quorrel::test
