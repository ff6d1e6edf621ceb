// The generate command: the run on its worker thread, its progress lines
// in the log, the check failures, the end of the run and its failures.
#include "tests/gui/GuiTestSupport.h"

#include "generation/AutoCode.h"

namespace quorrel::test {
namespace {

// Collects what a run reports when it runs on the calling thread.
class RecordingReporter : public RunReporter {
public:
    QStringList lines;
    int finished = 0;
    void AddLine(const ReportLine& line) override { lines << QString::fromStdString(line.Rendered()); }
    void CheckFailed(int, const std::string&, ModelCheck) override {}
    void Finished() override { ++finished; }
    void Failed(const std::string&) override {}
};

class GenerationRun : public GuiTest {
protected:
    const QString kWarning = QStringLiteral("如果以前生成了该项目，最好先删除原来的目录!");

    void SetUp() override { MakeMinimalHome(Home()); }

    // Starts the run and waits until it has ended.
    void Generate() {
        Trigger("A1");
        ASSERT_TRUE(WaitFor([this] { return !form->IsGenerating(); })) << "the run did not end";
    }
    QUrl SiteFolder(const std::string& project) const {
        return QUrl::fromLocalFile(QString::fromStdString((Home() / "projects" / project).string()));
    }
};

TEST_F(GenerationRun, AKeyCheckFailureNamesTheClassWhileTheWorkerWaitsAndOpensNothing) {
    int p = build.Project("site");
    build.CompleteClass(p, "Category");
    int article = build.Class(p, "Article");
    build.Member(MakeMember(p, article, "title", kTypeString, false, true));
    Start();
    Log()->setPlainText(QStringLiteral("left from before"));

    bool workerWaited = false;
    boxes.onBox = [&](const Box& box) {
        if (box.text.contains(QStringLiteral("主键"))) {
            // The worker must still be waiting for this box to close.
            QThread::msleep(150);
            workerWaited = form->Worker() && form->Worker()->isRunning();
        }
    };
    Generate();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, kWarning);
    EXPECT_EQ(boxes.shown[1].kind, BoxKind::Information);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("Article表主键设置错误，每个类只能设置一个主键!"));
    EXPECT_TRUE(boxes.shown[1].onGuiThread);
    EXPECT_TRUE(workerWaited);
    EXPECT_EQ(form->ErrorClassId(), article);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(LogLines().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(Home() / "projects"));
}

TEST_F(GenerationRun, ADisplayCheckFailureNamesTheClass) {
    int p = build.Project("site");
    int article = build.Class(p, "Article");
    build.Member(MakeMember(p, article, "id", kTypeInteger, true));
    Start();
    Generate();
    EXPECT_EQ(boxes.Informations(),
              (std::vector<QString>{kWarning, "Article表显示成员设置错误，每个类有且只能设置一个显示成员!"}));
    EXPECT_EQ(form->ErrorClassId(), article);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(GenerationRun, ACompleteRunLogsEveryLineInOrderShowsTheNoticeAndOpensTheSiteFolder) {
    int p = build.Project("site");
    build.CompleteClass(p, "Category");
    int article = build.CompleteClass(p, "Article");
    build.Member(MakeMember(p, article, "category", "Category"));
    build.Project("other");
    Start();

    // The lines the same run reports when it runs without the window.
    test::TempFolder reference;
    MakeMinimalHome(reference.path());
    RecordingReporter recorder;
    TAutoCode(p, "site", "php_", reference.path(), recorder).Execute();
    ASSERT_EQ(recorder.finished, 1);

    bool workerWaited = false;
    QStringList linesAtNotice;
    boxes.onBox = [&](const Box& box) {
        if (box.kind == BoxKind::Notice) {
            linesAtNotice = LogLines();
            QThread::msleep(150);
            workerWaited = form->Worker() && form->Worker()->isRunning();
            EXPECT_TRUE(opener.opened.empty()) << "the folder opens after the box is closed";
        }
    };
    Generate();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, kWarning);
    EXPECT_EQ(boxes.shown[1].kind, BoxKind::Notice);
    EXPECT_EQ(boxes.shown[1].caption, QStringLiteral("任务提示"));
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("所有代码生成完毕!"));
    EXPECT_TRUE(boxes.shown[1].onGuiThread);
    EXPECT_TRUE(workerWaited);

    EXPECT_EQ(LogLines(), recorder.lines);
    EXPECT_EQ(linesAtNotice, recorder.lines) << "every line is in the log before the notice";
    EXPECT_EQ(LogLines().last(), QStringLiteral("projects/site/.quorrel/manifest.json清单生成完毕!"));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], SiteFolder("site"));
    EXPECT_TRUE(std::filesystem::exists(Home() / "projects" / "site" / "admin" / "article.php"));
    EXPECT_TRUE(std::filesystem::exists(Home() / "projects" / "site" / "cache" / "readme.txt"));
}

TEST_F(GenerationRun, TheGenerateCommandIsRefusedWhileARunIsGoingAndTheWindowStaysUsable) {
    int p = build.Project("site");
    build.CompleteClass(p, "Article");
    Start();
    int refusedAt = -1;
    boxes.onBox = [&](const Box& box) {
        if (box.kind != BoxKind::Notice)
            return;
        // While the worker waits for this box the user tries again and edits the model.
        refusedAt = static_cast<int>(boxes.shown.size());
        Trigger("A1");
        boxes.inputAnswers = {QStringLiteral("second")};
        Trigger("F2");
    };
    Generate();
    ASSERT_GE(refusedAt, 0);
    const std::vector<QString> texts = boxes.Informations();
    EXPECT_EQ(texts, (std::vector<QString>{kWarning, "代码正在生成，请等待当前任务完成!", "工程名称添加成功！"}));
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{"site", "second"}));
    EXPECT_EQ(opener.opened.size(), 1u);

    // Once the run has ended the command runs again.
    boxes.Clear();
    boxes.onBox = nullptr;
    ChooseProject(0);
    Generate();
    EXPECT_EQ(boxes.Texts(BoxKind::Notice), std::vector<QString>{"所有代码生成完毕!"});
}

TEST_F(GenerationRun, TheFolderOpenedIsThatOfTheGeneratedProjectWhateverIsSelectedLater) {
    int p = build.Project("site");
    build.CompleteClass(p, "Article");
    build.Project("other");
    Start();
    boxes.onBox = [&](const Box& box) {
        if (box.kind == BoxKind::Information && box.text == kWarning)
            return;
        if (box.kind == BoxKind::Notice)
            ChooseProject(1);
    };
    Generate();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], SiteFolder("site"));
    EXPECT_TRUE(std::filesystem::exists(Home() / "projects" / "site" / "admin" / "article.php"));
}

TEST_F(GenerationRun, AFailedRunShowsItsFailureAndOpensNothing) {
    int p = build.Project("site");
    build.CompleteClass(p, "Article");
    std::filesystem::remove_all(Home() / "bak" / "cache");
    Start();
    Generate();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].kind, BoxKind::Information);
    EXPECT_FALSE(boxes.shown[1].text.isEmpty());
    EXPECT_TRUE(boxes.Texts(BoxKind::Notice).empty());
    EXPECT_TRUE(opener.opened.empty());
    // The log keeps what the run wrote, up to the attachments folder.
    const QStringList lines = LogLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("移动projects/site/attachments文件夹完毕!")));
    EXPECT_FALSE(lines.contains(QStringLiteral("移动projects/site/cache文件夹完毕！")));
}

TEST_F(GenerationRun, ClosingTheWindowDuringARunWaitsForTheWorkerWithoutBoxes) {
    int p = build.Project("site");
    build.CompleteClass(p, "Article");
    Start();
    Trigger("A1");
    ASSERT_TRUE(form->IsGenerating());
    form.reset();  // must neither hang nor crash
    EXPECT_EQ(boxes.Informations(), std::vector<QString>{kWarning});
    EXPECT_TRUE(boxes.Texts(BoxKind::Notice).empty());
    EXPECT_TRUE(opener.opened.empty());
}

} // namespace
} // namespace quorrel::test
