// A run seen from the window: its progress bar, stopping it with the button,
// Esc or by closing the window, its warnings, and the model edited while it
// goes on. Runs are held at a chosen file by a hook on the worker thread, so
// no test depends on how fast the worker is.
#include "tests/gui/GuiTestSupport.h"

#include "generation/AutoCode.h"
#include "model/DbHelper.h"
#include "model/ProjectSnapshot.h"

#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <condition_variable>
#include <iostream>
#include <mutex>

namespace quorrel::test {
namespace {

namespace fs = std::filesystem;

// Holds the worker when it reports file `at` until the test releases it.
class Gate {
public:
    explicit Gate(std::size_t at) : at_(at) {}
    void Pass(std::size_t done) {
        if (done != at_)
            return;
        std::unique_lock lock(mutex_);
        reached_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }
    bool Reached() {
        std::lock_guard lock(mutex_);
        return reached_;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::size_t at_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool released_ = false;
};

class RunControl : public GuiTest {
protected:
    const QString kBefore = QStringLiteral("如果以前生成了该项目，最好先删除原来的目录!");

    void SetUp() override { MakeMinimalHome(Home()); }
    void TearDown() override {
        if (gate_)
            gate_->Release();  // never leave a worker waiting
        GuiTest::TearDown();
    }

    // A project "site" of `count` complete classes; their ids in order.
    std::vector<int> MakeProject(int count) {
        const int p = build.Project("site");
        std::vector<int> ids;
        for (int i = 1; i <= count; ++i)
            ids.push_back(build.CompleteClass(p, "Entity" + std::to_string(i)));
        return ids;
    }
    std::size_t Total() const { return TAutoCode::FileCount(*TProjectSnapshot::Take(1)); }

    // Starts the run and waits until the worker holds at file `at`.
    void StartHeldAt(std::size_t at) {
        gate_ = std::make_shared<Gate>(at);
        std::shared_ptr<Gate> gate = gate_;
        form->SetRunProgressHook([gate](std::size_t done) { gate->Pass(done); });
        Trigger("A1");
        ASSERT_TRUE(form->IsGenerating());
        ASSERT_TRUE(WaitFor([gate] { return gate->Reached(); })) << "the run never reached file " << at;
    }
    void Release() { gate_->Release(); }
    bool WaitForEnd() {
        return WaitFor([this] { return !form->IsGenerating(); });
    }

    std::size_t FilesOnDisk() const {
        std::size_t count = 0;
        if (fs::exists(Home() / "projects"))
            for (auto it = fs::recursive_directory_iterator(Home() / "projects"); it != fs::recursive_directory_iterator();
                 ++it) {
                // The run's own records are not files of the site.
                if (it->is_directory() && it->path().filename() == ".quorrel") {
                    it.disable_recursion_pending();
                    continue;
                }
                count += it->is_regular_file() ? 1 : 0;
            }
        return count;
    }

    QProgressBar* Bar() const { return Find<QProgressBar>("PB_Progress"); }
    QPushButton* StopButton() const { return Find<QPushButton>("Btn_Stop"); }

    std::shared_ptr<Gate> gate_;
};

TEST_F(RunControl, TheBarCountsFilesOfTheRunAndTheStopButtonEndsItAfterTheFileBeingWritten) {
    MakeProject(10);
    Start();
    EXPECT_FALSE(Bar()->isVisible()) << "no bar without a run";
    const std::size_t total = Total();
    StartHeldAt(5);

    // Files 1 to 4 have reached the window; the worker holds inside file 5.
    ASSERT_TRUE(WaitFor([this] { return Bar()->value() == 4; }));
    EXPECT_TRUE(Bar()->isVisible());
    EXPECT_EQ(Bar()->maximum(), static_cast<int>(total));
    EXPECT_TRUE(Find<QLabel>("Label_File")->toolTip().endsWith(QStringLiteral("entity2_add.html")));
    ASSERT_TRUE(StopButton()->isVisible());
    Click(StopButton(), StopButton()->rect().center());
    EXPECT_FALSE(StopButton()->isEnabled());
    Release();
    ASSERT_TRUE(WaitForEnd());

    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[4], QStringLiteral("projects/site/admin/templates/admin/entity3_add.html生成完毕!"));
    EXPECT_EQ(lines.last(), QString::fromStdString(TAutoCode::StoppedLine(5, total)));
    EXPECT_EQ(FilesOnDisk(), 5u);
    EXPECT_EQ(boxes.Informations(), std::vector<QString>{kBefore});
    EXPECT_TRUE(boxes.Texts(BoxKind::Notice).empty());
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_FALSE(StopButton()->isVisible());
}

TEST_F(RunControl, EscStopsTheRunFromAnyControlOfTheWindow) {
    MakeProject(4);
    Start();
    StartHeldAt(2);
    PressKey(Classes(), Qt::Key_Escape);
    Release();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(LogLines().last(), QString::fromStdString(TAutoCode::StoppedLine(2, Total())));
    EXPECT_EQ(FilesOnDisk(), 2u);

    // Without a run Esc does nothing, and the next run goes to its end.
    PressKey(Classes(), Qt::Key_Escape);
    gate_.reset();
    form->SetRunProgressHook(nullptr);
    Trigger("A1");
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(LogLines().last(), QStringLiteral("projects/site/.quorrel/manifest.json清单生成完毕!"));
    EXPECT_EQ(boxes.Texts(BoxKind::Notice), std::vector<QString>{"所有代码生成完毕!"});
}

TEST_F(RunControl, ClosingDuringARunAndAnsweringNoKeepsTheWindowAndTheRun) {
    MakeProject(3);
    Start();
    StartHeldAt(3);
    boxes.confirmAnswers = {false};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    Release();
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[1].kind, BoxKind::Confirm);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("代码正在生成，要停止生成并关闭窗口吗？"));
    EXPECT_EQ(boxes.shown[2].text, QStringLiteral("所有代码生成完毕!"));
    EXPECT_EQ(LogLines().last(), QStringLiteral("projects/site/.quorrel/manifest.json清单生成完毕!"));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(RunControl, ClosingDuringARunAndAnsweringYesStopsTheRunThenCloses) {
    MakeProject(3);
    Start();
    StartHeldAt(3);
    boxes.confirmAnswers = {true};
    EXPECT_FALSE(form->close()) << "the window waits for the run to stop";
    EXPECT_TRUE(form->isVisible());
    Release();
    ASSERT_TRUE(WaitFor([this] { return !form->isVisible(); })) << "the window did not close";
    EXPECT_FALSE(form->IsGenerating());
    EXPECT_EQ(LogLines().last(), QString::fromStdString(TAutoCode::StoppedLine(3, Total())));
    EXPECT_EQ(FilesOnDisk(), 3u);
    // No completion box, no folder: only the question.
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].kind, BoxKind::Confirm);
    EXPECT_TRUE(opener.opened.empty());
}

// The run ends while the question is open: its box waits for the answer.
TEST_F(RunControl, ARunEndingWhileTheCloseQuestionIsOpenShowsItsBoxAfterTheAnswer) {
    for (const bool answer : {false, true}) {
        SCOPED_TRACE(answer ? "closing" : "kept open");
        if (answer) {
            fs::remove_all(Home() / "projects");
            form.reset();
            boxes.Clear();
            opener.opened.clear();
        } else {
            MakeProject(2);
        }
        Start();
        StartHeldAt(2);
        boxes.confirmAnswers = {answer};
        boxes.onBox = [this](const Box& box) {
            if (box.kind != BoxKind::Confirm)
                return;
            Release();
            ASSERT_TRUE(WaitFor([this] { return !form->IsGenerating(); })) << "the run did not end";
            EXPECT_EQ(boxes.shown.size(), 2u) << "a box over the open question";
        };
        form->close();
        boxes.onBox = nullptr;
        std::vector<BoxKind> kinds;
        for (const Box& box : boxes.shown)
            kinds.push_back(box.kind);
        if (answer) {
            EXPECT_EQ(kinds, (std::vector<BoxKind>{BoxKind::Information, BoxKind::Confirm}));
            EXPECT_FALSE(form->isVisible());
            EXPECT_TRUE(opener.opened.empty());
        } else {
            EXPECT_EQ(kinds, (std::vector<BoxKind>{BoxKind::Information, BoxKind::Confirm, BoxKind::Notice}));
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(opener.opened.size(), 1u);
        }
        EXPECT_EQ(LogLines().last(), QStringLiteral("projects/site/.quorrel/manifest.json清单生成完毕!"));
    }
}

TEST_F(RunControl, AFinishedRunWithWarningsSaysSoInItsBoxAndTheLogMarksThem) {
    const int p = build.Project("site");
    const int order = build.CompleteClass(p, "Order");
    build.Member(MakeMember(p, order, "group", kTypeString));
    build.Member(MakeMember(p, order, "2fa", kTypeString));
    build.Member(MakeMember(p, order, "ab cd", kTypeString));
    Start();
    Trigger("A1");
    ASSERT_TRUE(WaitForEnd());

    const QStringList warnings = form->RunWarnings();
    ASSERT_EQ(warnings.size(), 4);
    const auto notices = boxes.Texts(BoxKind::Notice);
    ASSERT_EQ(notices.size(), 1u);
    const QStringList box = notices[0].split(QLatin1Char('\n'));
    EXPECT_EQ(box[0], QStringLiteral("所有代码生成完毕!"));
    EXPECT_TRUE(notices[0].contains(QStringLiteral("4条警告")));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(box.contains(warnings[i])) << warnings[i].toStdString();
    EXPECT_FALSE(box.contains(warnings[3])) << "only the first few are quoted";
    EXPECT_TRUE(box.contains(QStringLiteral("……")));
    EXPECT_TRUE(box.last().contains(QStringLiteral("生成进度")));
    EXPECT_EQ(opener.opened.size(), 1u);

    // In the log the warnings stand out; the progress lines do not.
    const QStringList lines = LogLines();
    QTextDocument* log = Log()->document();
    for (int i = 0; i < lines.size(); ++i) {
        const QTextCharFormat format = log->findBlockByNumber(i).begin().fragment().charFormat();
        const bool marked = format.fontWeight() == QFont::Bold && format.foreground().color() == QColor(0xA0, 0, 0);
        EXPECT_EQ(marked, lines[i].startsWith(QStringLiteral("警告："))) << lines[i].toStdString();
    }
    EXPECT_EQ(QStringList(lines.begin(), lines.begin() + 4), warnings);
}

TEST_F(RunControl, DeletingOrChangingClassesDuringARunLeavesTheRunAsItStartedWithOneBox) {
    const std::vector<int> ids = MakeProject(3);
    Start();
    StartHeldAt(2);
    // Delete the first class through the window, and take the key member of
    // the second away as another dialog would.
    ChooseClass(0);
    boxes.confirmAnswers = {true};
    Trigger("S1");
    TRowSet rows = TMemberDAO().QueryMembers(ids[1]);
    rows.First();
    TMemberDAO().DeleteMember(rows.FieldInt("memberId"));
    Release();
    ASSERT_TRUE(WaitForEnd());

    std::vector<QString> texts;
    for (const Box& box : boxes.shown)
        texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<QString>{kBefore, "确认删除此类对象！", "类对象删除成功!", "所有代码生成完毕!"}));
    EXPECT_EQ(LogLines().last(), QStringLiteral("projects/site/.quorrel/manifest.json清单生成完毕!"));
    EXPECT_TRUE(fs::exists(Home() / "projects/site/admin/entity1.php")) << "the run keeps the class it started with";
    EXPECT_EQ(ClassNames(), (std::vector<QString>{"Entity2", "Entity3"}));
}

TEST_F(RunControl, ALargeRunKeepsTheWindowResponsive) {
    // 3,000 classes, written straight into the model in one transaction.
    constexpr int kClasses = 3000;
    const int p = build.Project("site");
    TDbHelper().Transaction(TDbHelper::Access::Write, [&](TDbSession& db) {
        for (int c = 1; c <= kClasses; ++c) {
            db.Exec("insert into t_class(projectId,className,friendName) values (?,?,?)",
                    {p, "Entity" + std::to_string(c), std::string("实体")});
            const long long classId = db.LastInsertId();
            for (int key = 1; key >= 0; --key)
                db.Exec("insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
                        "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
                        "memberQueryDisplay) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
                        {p, classId, std::string(key ? "id" : "title"), std::string(key ? "整型" : "字符串"),
                         key ? 0 : 40, key, std::string(), 1, key, 0, 0, 1 - key, 1});
        }
    });
    Start();

    // The longest time the event loop did not turn while the run went on,
    // measured by a timer that wants to fire every 5 ms.
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    int largestBar = 0;
    QTimer tick;
    tick.setInterval(5);
    std::vector<qint64> gaps;
    // The GUI thread's own processor time in each gap: on a busy machine the
    // wall time also holds the time other programs had the processor.
    const auto threadCpuMs = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    };
    double lastCpu = threadCpuMs(), longestCpu = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        gaps.push_back(now - last);
        last = now;
        const double cpu = threadCpuMs();
        longestCpu = std::max(longestCpu, cpu - lastCpu);
        lastCpu = cpu;
        largestBar = std::max(largestBar, Bar()->value());
    });
    boxes.onBox = [&](const Box& box) {
        if (box.kind == BoxKind::Notice)
            tick.stop();  // the box is modal: the loop is the box's own
    };
    Trigger("A1");
    clock.start();
    lastCpu = threadCpuMs();
    tick.start();
    // The program's own event loop, left when the run has ended.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!form->IsGenerating())
            loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 runMs = clock.elapsed();
    ASSERT_FALSE(form->IsGenerating()) << "the run did not end";

    const std::size_t total = Total();
    EXPECT_EQ(total, 2u + 4 * kClasses + 28);
    EXPECT_EQ(LogLines().size(), static_cast<int>(total) + 4)
        << "every file's line, two lines about the resources, the git attributes' and the manifest's lines";
    EXPECT_GT(largestBar, 0);
    EXPECT_EQ(boxes.Texts(BoxKind::Notice), std::vector<QString>{"所有代码生成完毕!"});
    RecordProperty("longest_event_loop_stall_ms", static_cast<int>(longest));
    std::sort(gaps.begin(), gaps.end());
    const auto over = [&](qint64 ms) { return gaps.end() - std::upper_bound(gaps.begin(), gaps.end(), ms); };
    std::cout << "[ figures  ] " << kClasses << " classes, " << total << " files in " << runMs
              << " ms; event-loop turns " << gaps.size() << ", median gap " << (gaps.empty() ? 0 : gaps[gaps.size() / 2])
              << " ms, gaps over 20 ms: " << over(20) << ", over 50 ms: " << over(50) << ", longest " << longest
              << " ms, longest busy (GUI thread processor time) " << longestCpu << " ms\n";
    RecordProperty("longest_gui_busy_ms", static_cast<int>(longestCpu));
    // What the window itself does between two turns of its loop stays
    // well under the 50 ms a user notices, however busy the machine is.
    EXPECT_LT(longestCpu, 50.0);
}

} // namespace
} // namespace quorrel::test
