#include "ui/FormPreview.h"

#include "base/FileOperate.h"
#include "generation/AutoCode.h"
#include "generation/UnifiedDiff.h"
#include "model/ModelValidator.h"
#include "ui/Convert.h"
#include "ui/DiffHighlighter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace quorrel {
namespace {

// The order of the groups: what needs the user's eye first.
constexpr FileStatus kGroupOrder[] = {FileStatus::Conflict, FileStatus::Merge,  FileStatus::Edited,
                                      FileStatus::Update,   FileStatus::New,    FileStatus::Orphan,
                                      FileStatus::Kept,     FileStatus::Same};

// The order of the counts: the order the statuses are defined in.
constexpr FileStatus kCountOrder[] = {FileStatus::New,   FileStatus::Same,     FileStatus::Update,
                                      FileStatus::Edited, FileStatus::Merge,    FileStatus::Conflict,
                                      FileStatus::Kept,  FileStatus::Orphan};

constexpr int kPathRole = Qt::UserRole;
constexpr int kStatusRole = Qt::UserRole + 1;

// Keeps what a preview run reports, on the worker thread; read only after
// the thread has finished.
class CollectingReporter : public RunReporter {
public:
    void AddLine(const ReportLine& line) override {
        if (line.severity == Severity::Warning)
            warnings.push_back(line.Rendered());
    }
    void CheckFailed(int, const std::string& className, ModelCheck check) override {
        failure = ModelValidator::CheckFailedText(className, check);
    }
    void Finished() override { finished = true; }
    void Failed(const std::string& message) override { failure = message; }

    std::vector<std::string> warnings;
    std::string failure;
    bool finished = false;
};

} // namespace

// One preview run: the plan, or the difference of one file. Filled on the
// worker thread, read on the GUI thread after it has finished.
struct TPreviewForm::Job {
    explicit Job(TFolders siteFolders) : folders(std::move(siteFolders)) {}

    int projectId = 0;
    std::string projectName;
    std::string tablePrefix;
    TFolders folders;
    std::string diffPath;  // empty: the plan

    std::shared_ptr<RunPlan> plan;
    CollectingReporter reporter;
    bool found = false;  // the run reached diffPath
    std::string diff;

    void Run() {
        TAutoCode run(projectId, projectName, tablePrefix, folders, reporter);
        plan = std::make_shared<RunPlan>(RunPlan::Options{true, false});
        if (!diffPath.empty()) {
            const RunPlan* planned = plan.get();
            plan->SetTextObserver([this, planned](const RunPlan::File& file, const std::string& bytes) {
                if (file.path != diffPath)
                    return;
                found = true;
                std::optional<std::string> before;
                if (file.status != FileStatus::New)
                    before = TFileOperate::ReadBytes(planned->Site() / file.path);
                diff = UnifiedDiff::Between(before, bytes, before ? "a/" + file.path : "/dev/null", "b/" + file.path);
            });
        }
        run.SetPlan(plan);
        run.Execute();
    }
};

QString TPreviewForm::StatusCaption(FileStatus status) {
    switch (status) {
    case FileStatus::New:
        return QStringLiteral("新建");
    case FileStatus::Same:
        return QStringLiteral("无变化");
    case FileStatus::Update:
        return QStringLiteral("更新");
    case FileStatus::Edited:
        return QStringLiteral("已被修改");
    case FileStatus::Merge:
        return QStringLiteral("合并");
    case FileStatus::Conflict:
        return QStringLiteral("冲突");
    case FileStatus::Kept:
        return QStringLiteral("保留");
    case FileStatus::Orphan:
        return QStringLiteral("不再生成");
    }
    return {};
}

TPreviewForm::TPreviewForm(QWidget* owner, TFolders folders, int projectId, QString projectName, QString tablePrefix)
    : QDialog(owner),
      folders_(std::move(folders)),
      projectId_(projectId),
      projectName_(std::move(projectName)),
      tablePrefix_(std::move(tablePrefix)) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("预览代码变化 - ") + projectName_);

    Lbl_Summary = new QLabel(QStringLiteral("正在计算生成计划。。。"), this);
    Lbl_Summary->setObjectName(QStringLiteral("Lbl_Summary"));
    Lbl_Warnings = new QLabel(this);
    Lbl_Warnings->setObjectName(QStringLiteral("Lbl_Warnings"));
    Lbl_Warnings->setWordWrap(true);
    Lbl_Warnings->setStyleSheet(QStringLiteral("color: #C00000;"));
    Lbl_Warnings->hide();

    TV_Plan = new QTreeWidget(this);
    TV_Plan->setObjectName(QStringLiteral("TV_Plan"));
    TV_Plan->setHeaderLabels({QStringLiteral("文件")});
    TV_Plan->header()->setStretchLastSection(true);
    TV_Plan->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(TV_Plan, &QTreeWidget::itemSelectionChanged, this, &TPreviewForm::SelectionChanged);

    Memo_Diff = new QPlainTextEdit(this);
    Memo_Diff->setObjectName(QStringLiteral("Memo_Diff"));
    Memo_Diff->setReadOnly(true);
    Memo_Diff->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_Diff->setPlaceholderText(QStringLiteral("选择左边的文件，这里显示磁盘上的文件与本次将生成内容的差异"));
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    Memo_Diff->setFont(mono);
    highlighter_ = new DiffHighlighter(Memo_Diff->document());

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(TV_Plan);
    splitter->addWidget(Memo_Diff);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);

    CB_Overwrite = new QCheckBox(QStringLiteral("覆盖已被修改的文件（原内容另存为 .orig 文件）"), this);
    CB_Overwrite->setObjectName(QStringLiteral("CB_Overwrite"));
    auto* hint = new QLabel(
        QStringLiteral("不勾选时，已被修改的文件保持不动，本次生成的内容写入同名的 .new 文件；不再生成的文件不会被删除。"),
        this);
    hint->setWordWrap(true);

    Btn_Run = new QPushButton(QStringLiteral("开始生成(&G)"), this);
    Btn_Run->setObjectName(QStringLiteral("Btn_Run"));
    Btn_Run->setEnabled(false);
    connect(Btn_Run, &QPushButton::clicked, this, &TPreviewForm::RunClicked);
    Btn_Close = new QPushButton(QStringLiteral("关闭(&C)"), this);
    Btn_Close->setObjectName(QStringLiteral("Btn_Close"));
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CB_Overwrite);
    buttons->addStretch(1);
    buttons->addWidget(Btn_Run);
    buttons->addWidget(Btn_Close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lbl_Summary);
    layout->addWidget(Lbl_Warnings);
    layout->addWidget(splitter, 1);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    resize(900, 600);

    StartJob({});
}

// The job writes nothing and touches no widget: the task lets it end.
TPreviewForm::~TPreviewForm() = default;

bool TPreviewForm::OverwriteEdited() const { return CB_Overwrite->isChecked(); }

void TPreviewForm::StartJob(std::string diffPath) {
    if (task_->IsBusy()) {
        pendingDiff_ = std::move(diffPath);
        return;
    }
    job_ = std::make_shared<Job>(folders_);
    job_->projectId = projectId_;
    job_->projectName = ToStd(projectName_);
    job_->tablePrefix = ToStd(tablePrefix_);
    job_->diffPath = std::move(diffPath);
    std::shared_ptr<Job> job = job_;
    // The run reports its own failures through the job's reporter.
    task_->Run([job] { job->Run(); }, [this] { JobEnded(); }, [this](const QString&) { JobEnded(); });
}

void TPreviewForm::JobEnded() {
    std::shared_ptr<Job> job = std::move(job_);
    if (job->diffPath.empty())
        ShowPlan(*job);
    else
        ShowDiff(*job);
    // The file the user selected meanwhile.
    if (!pendingDiff_.empty()) {
        std::string next = std::move(pendingDiff_);
        pendingDiff_.clear();
        const QTreeWidgetItem* current = TV_Plan->currentItem();
        if (current && ToStd(current->data(0, kPathRole).toString()) == next)
            StartJob(std::move(next));
    }
}

void TPreviewForm::ShowPlan(const Job& job) {
    QStringList warnings;
    for (const auto& line : job.reporter.warnings)
        warnings << ToQ(line);
    if (!job.reporter.finished) {
        Lbl_Summary->setText(QStringLiteral("无法生成：") + ToQ(job.reporter.failure));
        Lbl_Warnings->setText(warnings.join(QLatin1Char('\n')));
        Lbl_Warnings->setVisible(!warnings.isEmpty());
        return;
    }
    plan_ = job.plan;
    TV_Plan->clear();
    for (FileStatus status : kGroupOrder) {
        const std::size_t count = plan_->Count(status);
        if (count == 0)
            continue;
        auto* group = new QTreeWidgetItem(TV_Plan, {StatusCaption(status) + QStringLiteral("（%1）").arg(count)});
        group->setData(0, kStatusRole, static_cast<int>(status));
        group->setFlags(Qt::ItemIsEnabled);
        for (const auto& file : plan_->Files()) {
            if (file.status != status)
                continue;
            auto* item = new QTreeWidgetItem(group, {ToQ(file.path)});
            item->setData(0, kPathRole, ToQ(file.path));
            item->setData(0, kStatusRole, static_cast<int>(status));
        }
        group->setExpanded(status != FileStatus::Same);
    }
    QStringList counts;
    for (FileStatus status : kCountOrder)
        counts << StatusCaption(status) + QStringLiteral(" %1").arg(plan_->Count(status));
    Lbl_Summary->setText(QStringLiteral("共 %1 个文件：").arg(plan_->Files().size()) +
                         counts.join(QStringLiteral("，")));
    Lbl_Warnings->setText(warnings.join(QLatin1Char('\n')));
    Lbl_Warnings->setVisible(!warnings.isEmpty());
    Btn_Run->setEnabled(true);
}

void TPreviewForm::ShowDiff(const Job& job) {
    const QTreeWidgetItem* current = TV_Plan->currentItem();
    if (!current || ToStd(current->data(0, kPathRole).toString()) != job.diffPath)
        return;  // the user has moved on
    if (!job.reporter.finished) {
        Memo_Diff->setPlainText(QStringLiteral("无法计算差异：") + ToQ(job.reporter.failure));
        return;
    }
    if (!job.found) {
        Memo_Diff->setPlainText(QStringLiteral("本次不再生成该文件（模型在预览之后有了变化）"));
        return;
    }
    // The memo holds lines; the files' own line ends are CR LF.
    Memo_Diff->setPlainText(job.diff.empty() ? QStringLiteral("该文件没有变化")
                                             : ToQ(job.diff).remove(QLatin1Char('\r')));
}

void TPreviewForm::SelectionChanged() {
    const QTreeWidgetItem* item = TV_Plan->currentItem();
    if (!item || !item->isSelected() || item->data(0, kPathRole).toString().isEmpty())
        return;
    switch (static_cast<FileStatus>(item->data(0, kStatusRole).toInt())) {
    case FileStatus::Same:
        Memo_Diff->setPlainText(QStringLiteral("该文件没有变化，生成时保持不动"));
        return;
    case FileStatus::Kept:
        Memo_Diff->setPlainText(QStringLiteral("站点中已有的资源文件，生成时保持不动"));
        return;
    case FileStatus::Orphan:
        Memo_Diff->setPlainText(QStringLiteral("本次不再生成该文件（它的类已删除或改名），生成时不会删除它"));
        return;
    default:
        break;
    }
    Memo_Diff->setPlainText(QStringLiteral("正在计算差异。。。"));
    StartJob(ToStd(item->data(0, kPathRole).toString()));
}

void TPreviewForm::RunClicked() {
    startRequested_ = true;
    accept();
}

} // namespace quorrel
