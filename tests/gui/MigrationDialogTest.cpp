// The database change dialog: opened by its command for the selected
// project and the current prefix, the plan made on a worker and shown with
// what it leaves out, a changed option asking for a new plan, a run only
// after confirmation with its lines in the main window's log, a failed run
// or an unreachable server shown as such, and no closing while a worker runs.
#include "tests/gui/GuiTestSupport.h"

#include "base/Error.h"
#include "ui/MigrationForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>

#include <mutex>

namespace quorrel::test {
namespace {

using Kind = TMigrationChange::Kind;

// Answers as the server side would, from a plan given by the test, and
// records what it was asked.
class FakeMigrationService : public MigrationService {
public:
    struct Call {
        TConnectionSettings settings;
        TMigrationTarget target;
        bool allowDataLoss = false;
        std::string fingerprint;  // of the plan applied
        bool onWorker = false;
    };

    TMigrationPlan plan;
    std::vector<std::string> applyLines;  // reported by Apply, in order
    std::string applyFailure;             // raised by Apply after its lines

    std::string TestConnection(const TConnectionSettings&) override { return "10.11.99-MariaDB-fake"; }
    TMigrationPlan Plan(const TConnectionSettings& settings, const TMigrationTarget& target,
                        bool allowDataLoss) override {
        Record(plans_, {settings, target, allowDataLoss, {}, OnWorker()});
        TMigrationPlan answer = plan;
        answer.allowDataLoss = allowDataLoss;
        return answer;
    }
    void Apply(const TConnectionSettings& settings, const TMigrationTarget& target, const TMigrationPlan& applied,
               ProgressSink& log) override {
        Record(applies_, {settings, target, applied.allowDataLoss, applied.fingerprint, OnWorker()});
        for (const auto& line : applyLines)
            log.AddLine(ReportLine::Progress(line));
        if (!applyFailure.empty())
            throw Error(applyFailure);
    }

    std::vector<Call> Plans() {
        std::lock_guard<std::mutex> lock(mutex_);
        return plans_;
    }
    std::vector<Call> Applies() {
        std::lock_guard<std::mutex> lock(mutex_);
        return applies_;
    }

private:
    static bool OnWorker() { return QThread::currentThread() != qApp->thread(); }
    void Record(std::vector<Call>& calls, Call call) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls.push_back(std::move(call));
    }
    std::mutex mutex_;
    std::vector<Call> plans_;
    std::vector<Call> applies_;
};

// Two statements in the script, one data-losing change left out.
TMigrationPlan SamplePlan() {
    TMigrationPlan plan;
    plan.database = "cms";
    plan.tablePrefix = "php_";
    plan.fingerprint = "structure-1";
    TMigrationChange create;
    create.kind = Kind::CreateTable;
    create.subject = "php_note";
    create.statement = "CREATE TABLE `php_note` (`id` int(11) NOT NULL AUTO_INCREMENT, PRIMARY KEY (`id`))";
    TMigrationChange rename;
    rename.kind = Kind::RenameColumn;
    rename.subject = "php_article.title → name";
    rename.table = "php_article";
    rename.clause = "RENAME COLUMN `title` TO `name`";
    TMigrationChange drop;
    drop.kind = Kind::DropColumn;
    drop.subject = "php_article.old";
    drop.losesData = true;
    drop.reason = "列中的数据会丢失";
    drop.table = "php_article";
    drop.clause = "DROP COLUMN `old`";
    drop.included = false;
    plan.changes = {create, rename, drop};
    return plan;
}

class MigrationDialog : public GuiTest {
protected:
    std::shared_ptr<FakeMigrationService> service = std::make_shared<FakeMigrationService>();

    void StartWithFake() {
        Start();
        std::shared_ptr<FakeMigrationService> fake = service;
        form->SetMigrationServiceFactory([fake] { return fake; });
    }
    static void Fill(TMigrationForm& dialog, const QString& socket) {
        dialog.Edt_Socket->setText(socket);
        dialog.Edt_User->setText(QStringLiteral("editor"));
        dialog.Edt_Password->setText(QStringLiteral("Pw-secret-4711"));
        dialog.Edt_Database->setText(QStringLiteral("cms"));
    }
    // Plans with the fake and waits for the script.
    static void Plan(TMigrationForm& dialog) {
        dialog.Btn_Plan->click();
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        ASSERT_NE(dialog.ShownPlan(), nullptr);
    }
};

TEST_F(MigrationDialog, PlansTheSelectedProjectWithTheCurrentPrefixAndShowsWhatIsLeftOut) {
    build.CompleteClass(build.Project("first"), "Page");
    const int second = build.Project("second");
    build.CompleteClass(second, "Article");
    service->plan = SamplePlan();
    StartWithFake();
    ChooseProject(1);
    boxes.inputAnswers = {QStringLiteral("cms_")};
    Trigger("N4");

    const QString script = QString::fromStdString(SamplePlan().Script());
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TMigrationForm&>(d);
        EXPECT_EQ(dialog.ProjectName(), QStringLiteral("second"));
        EXPECT_EQ(dialog.TablePrefix(), QStringLiteral("cms_"));
        EXPECT_TRUE(dialog.Lbl_Project->text().contains(QStringLiteral("second")));
        EXPECT_TRUE(dialog.Lbl_Project->text().contains(QStringLiteral("cms_")));
        EXPECT_FALSE(dialog.Btn_Apply->isEnabled());

        Fill(dialog, QStringLiteral("/run/test.sock"));
        Plan(dialog);
        EXPECT_EQ(dialog.Memo_Script->toPlainText(), script);
        EXPECT_TRUE(dialog.Memo_Script->isReadOnly());
        EXPECT_EQ(dialog.Lbl_LeftOut->text(),
                  QStringLiteral("有1项会丢失数据的变更没有写入脚本，确认后勾选“允许会丢失数据的变更”再生成"));
        EXPECT_EQ(dialog.Lbl_State->text(), QStringLiteral("变更脚本共2条语句，请检查后执行"));
        EXPECT_TRUE(dialog.Btn_Apply->isEnabled());

        // Ctrl+A selects the whole script for copying.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
        QApplication::sendEvent(dialog.Memo_Script, &press);
        EXPECT_EQ(dialog.Memo_Script->textCursor().selectedText().size(), script.size());

        // Another option makes the plan shown stale: nothing can be run
        // until it is made again.
        dialog.Chk_AllowDataLoss->setChecked(true);
        EXPECT_EQ(dialog.ShownPlan(), nullptr);
        EXPECT_FALSE(dialog.Btn_Apply->isEnabled());
        EXPECT_TRUE(dialog.Memo_Script->toPlainText().isEmpty());
        Plan(dialog);
        EXPECT_TRUE(dialog.Btn_Apply->isEnabled());
    });
    Trigger("D2");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].name, QStringLiteral("MigrationForm"));
    EXPECT_TRUE(boxes.Texts(BoxKind::Error).empty());

    const auto plans = service->Plans();
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_TRUE(plans[0].onWorker);
    EXPECT_FALSE(plans[0].allowDataLoss);
    EXPECT_TRUE(plans[1].allowDataLoss);
    EXPECT_EQ(plans[0].target.site, Home() / "projects" / "second");
    EXPECT_EQ(plans[0].target.tablePrefix, "cms_");
    EXPECT_EQ(plans[0].target.model, TSchemaModel::Of(*TProjectSnapshot::Take(second)));
    EXPECT_EQ(plans[0].settings.socket, "/run/test.sock");
    EXPECT_EQ(plans[0].settings.user, "editor");
    EXPECT_EQ(plans[0].settings.password, "Pw-secret-4711");
    EXPECT_EQ(plans[0].settings.database, "cms");
    EXPECT_TRUE(service->Applies().empty());
}

TEST_F(MigrationDialog, RunsThePlanOnlyAfterConfirmationWithEachLineInTheMainLog) {
    build.CompleteClass(build.Project("alpha"), "Article");
    service->plan = SamplePlan();
    service->applyLines = {"正在执行第1/2条：CREATE TABLE `php_note`", "正在执行第2/2条：ALTER TABLE `php_article`",
                           "数据库变更完毕：执行了2条语句。"};
    StartWithFake();
    QStringList logAtBox;
    boxes.onBox = [&](const Box& box) {
        if (box.kind == BoxKind::Information)
            logAtBox = LogLines();
    };
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TMigrationForm&>(d);
        Fill(dialog, QStringLiteral("/run/test.sock"));
        Plan(dialog);

        boxes.confirmAnswers = {false};
        dialog.Btn_Apply->click();
        EXPECT_FALSE(dialog.IsBusy());
        EXPECT_TRUE(dialog.Btn_Apply->isEnabled());

        boxes.confirmAnswers = {true};
        dialog.Btn_Apply->click();
        // The worker's outcome waits for the event loop: the dialog is busy
        // until then and neither closes nor starts anything else.
        EXPECT_TRUE(dialog.IsBusy());
        EXPECT_FALSE(dialog.Btn_Close->isEnabled());
        EXPECT_FALSE(dialog.Btn_Plan->isEnabled());
        EXPECT_FALSE(dialog.Chk_AllowDataLoss->isEnabled());
        dialog.reject();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Lbl_State->text(), QStringLiteral("请等待当前操作结束"));

        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        // The database has changed: the script shown cannot be run again.
        EXPECT_EQ(dialog.ShownPlan(), nullptr);
        EXPECT_FALSE(dialog.Btn_Apply->isEnabled());
        EXPECT_TRUE(dialog.Btn_Close->isEnabled());
    });
    Trigger("D2");

    const auto confirms = boxes.Texts(BoxKind::Confirm);
    ASSERT_EQ(confirms.size(), 2u);
    EXPECT_TRUE(confirms[1].startsWith(QStringLiteral("确定在数据库cms上执行这2条语句吗？")));
    const auto applies = service->Applies();
    ASSERT_EQ(applies.size(), 1u);
    EXPECT_TRUE(applies[0].onWorker);
    EXPECT_EQ(applies[0].fingerprint, "structure-1");
    EXPECT_EQ(applies[0].settings.socket, "/run/test.sock");
    EXPECT_EQ(applies[0].settings.password, "Pw-secret-4711");
    EXPECT_EQ(applies[0].target.model, service->Plans()[0].target.model);

    const QStringList expected{QStringLiteral("开始数据库变更：项目alpha，数据库cms，2条语句"),
                               QStringLiteral("正在执行第1/2条：CREATE TABLE `php_note`"),
                               QStringLiteral("正在执行第2/2条：ALTER TABLE `php_article`"),
                               QStringLiteral("数据库变更完毕：执行了2条语句。")};
    EXPECT_EQ(LogLines(), expected);
    // Every line was in the log before the box said the run had ended.
    EXPECT_EQ(logAtBox, expected);
    EXPECT_EQ(boxes.Informations(), (std::vector<QString>{QStringLiteral("数据库变更执行完毕!")}));
    EXPECT_TRUE(boxes.Texts(BoxKind::Error).empty());
}

TEST_F(MigrationDialog, AFailedRunShowsTheErrorInABoxAndTheLogAndNeedsANewPlan) {
    build.CompleteClass(build.Project("alpha"), "Article");
    service->plan = SamplePlan();
    service->applyLines = {"正在执行第1/2条：CREATE TABLE `php_note`"};
    service->applyFailure = "第2/2条语句失败（1060 Duplicate column name）：ALTER TABLE `php_article`";
    StartWithFake();
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TMigrationForm&>(d);
        Fill(dialog, QStringLiteral("/run/test.sock"));
        Plan(dialog);
        boxes.confirmAnswers = {true};
        dialog.Btn_Apply->click();
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        EXPECT_EQ(dialog.ShownPlan(), nullptr);
        EXPECT_FALSE(dialog.Btn_Apply->isEnabled());
        EXPECT_TRUE(dialog.Lbl_State->text().endsWith(QString::fromStdString(service->applyFailure)));
    });
    Trigger("D2");
    const QString failure = QString::fromStdString(service->applyFailure);
    EXPECT_EQ(boxes.Texts(BoxKind::Error), (std::vector<QString>{failure}));
    EXPECT_TRUE(boxes.Informations().empty());
    ASSERT_GE(LogLines().size(), 2);
    EXPECT_EQ(LogLines().mid(1), (QStringList{QStringLiteral("正在执行第1/2条：CREATE TABLE `php_note`"),
                                              QStringLiteral("数据库变更失败：") + failure}));
}

TEST_F(MigrationDialog, AnUnreachableServerShowsTheConnectionErrorAndLeavesTheRunDisabled) {
    build.CompleteClass(build.Project("alpha"), "Article");
    Start();  // the real service
    const QString socket = QString::fromStdString((Home() / "no-server.sock").string());
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TMigrationForm&>(d);
        Fill(dialog, socket);
        dialog.Btn_Plan->click();
        EXPECT_TRUE(dialog.IsBusy());
        dialog.reject();
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        EXPECT_EQ(dialog.ShownPlan(), nullptr);
        EXPECT_FALSE(dialog.Btn_Apply->isEnabled());
        EXPECT_TRUE(dialog.Btn_Plan->isEnabled());
        EXPECT_TRUE(dialog.Memo_Script->toPlainText().isEmpty());
        EXPECT_TRUE(dialog.Lbl_State->text().startsWith(QStringLiteral("失败：无法连接数据库服务器套接字") + socket));
    });
    Trigger("D2");
    const auto errors = boxes.Texts(BoxKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("无法连接数据库服务器套接字") + socket)) << errors[0].toStdString();
}

} // namespace
} // namespace quorrel::test
