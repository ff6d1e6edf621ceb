#include "ui/MigrationForm.h"

#include "dbimport/MariaDbConnection.h"
#include "model/ModelValidator.h"
#include "migration/Migration.h"
#include "model/ProjectSnapshot.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace quorrel {

// ---- The service over a server ----

std::string TMariaDbMigrationService::TestConnection(const TConnectionSettings& settings) {
    return TMariaDbConnection(settings).ServerInfo();
}

TMigrationPlan TMariaDbMigrationService::Plan(const TConnectionSettings& settings, const TMigrationTarget& target,
                                              bool allowDataLoss) {
    TMariaDbConnection connection(settings);
    return TMigration(connection, target.site, target.model, target.tablePrefix).Plan(allowDataLoss);
}

void TMariaDbMigrationService::Apply(const TConnectionSettings& settings, const TMigrationTarget& target,
                                     const TMigrationPlan& plan, ProgressSink& log) {
    // A connection of its own: the plan's connection belonged to another
    // worker, and Apply checks that the structure is still the planned one.
    TMariaDbConnection connection(settings);
    TMigration(connection, target.site, target.model, target.tablePrefix).Apply(plan, log);
}

// ---- The dialog ----

namespace {

// Hands each line of a run, from the worker, to the main window's log on
// the GUI thread, in order.
class MainLogSink : public ProgressSink {
public:
    explicit MainLogSink(TFormMain& form) : form_(form) {}
    void AddLine(const ReportLine& line) override {
        const Severity severity = line.severity;
        const QString text = ToQ(line.text);
        TFormMain* form = &form_;
        QMetaObject::invokeMethod(form, [form, severity, text] { form->RunLine(severity, text); },
                                  Qt::QueuedConnection);
    }

private:
    TFormMain& form_;
};

// Changes the plan leaves out: those that lose data (the check box puts
// them in) and those that cannot be made at all.
struct LeftOutCounts {
    std::size_t losing = 0;
    std::size_t blocked = 0;
};
LeftOutCounts CountLeftOut(const TMigrationPlan& plan) {
    LeftOutCounts counts;
    for (const auto& change : plan.changes) {
        if (change.included)
            continue;
        if (change.blocked)
            ++counts.blocked;
        else
            ++counts.losing;
    }
    return counts;
}

std::size_t CountLosingIncluded(const TMigrationPlan& plan) {
    std::size_t count = 0;
    for (const auto& change : plan.changes)
        if (change.included && change.losesData)
            ++count;
    return count;
}

} // namespace

// A plan with what it was made from: a run connects with the same settings
// and keeps the same model.
struct TMigrationForm::Planned {
    TConnectionSettings settings;
    TMigrationTarget target;
    TMigrationPlan plan;
};

TMigrationForm::TMigrationForm(TFormMain& form, std::shared_ptr<MigrationService> service, int projectId,
                               const QString& projectName, const QString& tablePrefix)
    : TDatabaseDialog(form, QStringLiteral("Migration"),
                      [service](const TConnectionSettings& settings) { return service->TestConnection(settings); }),
      service_(std::move(service)), projectId_(projectId), projectName_(projectName), tablePrefix_(tablePrefix) {
    setObjectName(QStringLiteral("MigrationForm"));
    setWindowTitle(QStringLiteral("数据库变更"));

    auto* layout = new QVBoxLayout(this);
    Lbl_Project = new QLabel(QStringLiteral("把项目") + projectName_ + QStringLiteral("网站的数据库改为模型现在的结构（表名前缀") +
                                 tablePrefix_ + QStringLiteral("），已有的数据保留"),
                             this);
    Lbl_Project->setObjectName(QStringLiteral("Lbl_Project"));
    Lbl_Project->setWordWrap(true);
    layout->addWidget(Lbl_Project);

    auto* fields = new QFormLayout;
    layout->addLayout(fields);
    AddConnectionFields(*fields);
    for (QLineEdit* edit : connection_->Edits())
        connect(edit, &QLineEdit::textChanged, this, [this] { DropPlan(); });

    Chk_AllowDataLoss = new QCheckBox(QStringLiteral("允许会丢失数据的变更（删除类或成员、缩短长度、改变类型等）"), this);
    Chk_AllowDataLoss->setObjectName(QStringLiteral("Chk_AllowDataLoss"));
    connect(Chk_AllowDataLoss, &QCheckBox::toggled, this, [this] { DropPlan(); });
    layout->addWidget(Chk_AllowDataLoss);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    AddTestButton(*buttons);
    Btn_Plan = AddButton(*buttons, "Btn_Plan", QStringLiteral("生成变更脚本"));
    Btn_Apply = AddButton(*buttons, "Btn_Apply", QStringLiteral("执行变更"));
    AddCloseButton(*buttons);
    connect(Btn_Plan, &QPushButton::clicked, this, [this] { PlanClick(); });
    connect(Btn_Apply, &QPushButton::clicked, this, [this] { ApplyClick(); });

    Memo_Script = new QPlainTextEdit(this);
    Memo_Script->setObjectName(QStringLiteral("Memo_Script"));
    Memo_Script->setReadOnly(true);
    // Read-only, yet selectable and copyable from the keyboard too.
    Memo_Script->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo_Script->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_Script->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Script->setPlaceholderText(QStringLiteral("点击“生成变更脚本”，这里显示要执行的语句和不写入脚本的变更"));
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    Memo_Script->setFont(mono);
    Memo_Script->installEventFilter(this);
    layout->addWidget(Memo_Script, 1);

    Lbl_LeftOut = new QLabel(this);
    Lbl_LeftOut->setObjectName(QStringLiteral("Lbl_LeftOut"));
    Lbl_LeftOut->setWordWrap(true);
    QPalette warning = Lbl_LeftOut->palette();
    warning.setColor(QPalette::WindowText, QColor(0xA0, 0x00, 0x00));
    Lbl_LeftOut->setPalette(warning);
    layout->addWidget(Lbl_LeftOut);
    AddStateLine(*layout);

    UpdateButtons();
    resize(720, 600);
}

const TMigrationPlan* TMigrationForm::ShownPlan() const { return planned_ ? &planned_->plan : nullptr; }

bool TMigrationForm::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+A selects the whole script; the key goes on to the editor as well.
    if (watched == Memo_Script && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) && key->key() == Qt::Key_A)
            Memo_Script->selectAll();
    }
    return TDatabaseDialog::eventFilter(watched, event);
}

void TMigrationForm::UpdateButtons() {
    const bool idle = !IsBusy();
    Btn_Test->setEnabled(idle);
    Btn_Plan->setEnabled(idle);
    Btn_Close->setEnabled(idle);
    Chk_AllowDataLoss->setEnabled(idle);
    connection_->SetEnabled(idle);
    Btn_Apply->setEnabled(idle && planned_ && !planned_->plan.Empty());
}

void TMigrationForm::DropPlan() {
    if (!planned_)
        return;
    planned_.reset();
    Memo_Script->clear();
    Lbl_LeftOut->clear();
    Lbl_State->setText(QStringLiteral("设置已改变，请重新生成变更脚本"));
    UpdateButtons();
}

void TMigrationForm::PlanClick() {
    TConnectionSettings settings;
    if (IsBusy() || !ReadSettings(settings))
        return;
    planned_.reset();
    Memo_Script->clear();
    Lbl_LeftOut->clear();
    std::shared_ptr<MigrationService> service = service_;
    const TFolders folders = form_.Folders();
    const int projectId = projectId_;
    const std::string prefix = ToStd(tablePrefix_);
    const bool allowDataLoss = Chk_AllowDataLoss->isChecked();
    Start(
        QStringLiteral("正在读取数据库并生成变更脚本……"),
        [service, settings, folders, projectId, prefix, allowDataLoss] {
            // The model as it is now, checked as the script dialog checks
            // it: its names go into the statements as they are.
            const auto snapshot = TProjectSnapshot::Take(projectId);
            ModelValidator(*snapshot).CheckNamesAndTexts(prefix);
            auto planned = std::make_shared<Planned>();
            planned->settings = settings;
            planned->target = {folders.Site(snapshot->ProjectName()), TSchemaModel::Of(*snapshot), prefix};
            planned->plan = service->Plan(settings, planned->target, allowDataLoss);
            return std::shared_ptr<const Planned>(std::move(planned));
        },
        [this](std::shared_ptr<const Planned> planned) { ShowPlan(std::move(planned)); });
}

void TMigrationForm::ShowPlan(std::shared_ptr<const Planned> planned) {
    planned_ = std::move(planned);
    UpdateButtons();
    const TMigrationPlan& plan = planned_->plan;
    // The memo holds lines; copied text gets the desktop's own line ends.
    Memo_Script->setPlainText(ToQ(plan.Script()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const LeftOutCounts leftOut = CountLeftOut(plan);
    QStringList notes;
    if (leftOut.losing > 0)
        notes << QStringLiteral("有%1项会丢失数据的变更没有写入脚本，确认后勾选“允许会丢失数据的变更”再生成")
                     .arg(leftOut.losing);
    if (leftOut.blocked > 0)
        notes << QStringLiteral("有%1项无法执行的变更没有写入脚本").arg(leftOut.blocked);
    Lbl_LeftOut->setText(notes.join(QStringLiteral("；")));
    const std::size_t statements = plan.Statements().size();
    Lbl_State->setText(statements == 0 ? QStringLiteral("没有需要执行的语句")
                                       : QStringLiteral("变更脚本共%1条语句，请检查后执行").arg(statements));
    emit workEnded();
}

void TMigrationForm::ApplyClick() {
    if (IsBusy() || !planned_ || planned_->plan.Empty())
        return;
    std::shared_ptr<const Planned> planned = planned_;
    const TMigrationPlan& plan = planned->plan;
    const std::size_t statements = plan.Statements().size();
    QString question = QStringLiteral("确定在数据库%1上执行这%2条语句吗？")
                           .arg(ToQ(plan.database))
                           .arg(statements);
    if (const std::size_t losing = CountLosingIncluded(plan))
        question += QStringLiteral("\n其中%1项变更会丢失数据。").arg(losing);
    question += QStringLiteral("\n结构变更执行后不能撤销，请先备份数据库。");
    if (!form_.Boxes().Confirm(QStringLiteral("数据库变更提示"), question))
        return;

    form_.RunLine(Severity::Progress, QStringLiteral("开始数据库变更：项目") + projectName_ +
                                          QStringLiteral("，数据库") + ToQ(plan.database) +
                                          QStringLiteral("，%1条语句").arg(statements));
    std::shared_ptr<MigrationService> service = service_;
    TFormMain* form = &form_;
    Start(
        QStringLiteral("正在执行数据库变更……"),
        [service, planned, form] {
            MainLogSink log(*form);
            service->Apply(planned->settings, planned->target, planned->plan, log);
        },
        [this] { Applied(); }, [this](const QString& message) { ApplyFailed(message); });
}

void TMigrationForm::Applied() {
    // The database has changed: the script shown is history now.
    planned_.reset();
    UpdateButtons();
    Lbl_State->setText(QStringLiteral("变更已执行；再次生成变更脚本可查看数据库与模型还有哪些不同"));
    form_.Boxes().Information(QStringLiteral("数据库变更执行完毕!"));
    emit workEnded();
}

void TMigrationForm::ApplyFailed(const QString& message) {
    // Some statements may have run: the next run starts from a new plan.
    planned_.reset();
    form_.RunLine(Severity::Error, QStringLiteral("数据库变更失败：") + message);
    Failed(message);
}

} // namespace quorrel
