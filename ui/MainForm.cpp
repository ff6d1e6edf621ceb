#include "ui/MainForm.h"

#include "dbimport/MariaDbSchemaReader.h"
#include "generation/AutoCode.h"
#include "generators/ProductInfo.h"
#include "model/ClassDAO.h"
#include "model/MemberDAO.h"
#include "model/ModelValidator.h"
#include "model/ProjectDAO.h"
#include "ui/Banner.h"
#include "ui/Convert.h"
#include "ui/DataBaseSqlForm.h"
#include "ui/FormAddClass.h"
#include "ui/FormAddMember.h"
#include "ui/FormPreview.h"
#include "ui/FormUpdateClass.h"
#include "ui/FormUpdateMember.h"
#include "ui/GuiRunReporter.h"
#include "ui/ImportDbForm.h"
#include "ui/MigrationForm.h"
#include "ui/Opener.h"
#include "ui/Prompts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTextCharFormat>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace quorrel {
namespace {

struct MemberColumn {
    const char* caption;
    int width;
};

// The member table's columns; the first holds the member id and is too
// narrow to be seen.
constexpr MemberColumn kMemberColumns[] = {
    {"编号", 1},  {"成员名称", 90},   {"成员类型", 70}, {"长度", 50},     {"主键", 50},
    {"必填", 50}, {"查询", 50},       {"下拉框显示", 75}, {"界面显示", 60}, {"注释", 110},
};
constexpr int kMemberColumnCount = static_cast<int>(std::size(kMemberColumns));

QString YesNo(int flag) { return flag == 1 ? QStringLiteral("是") : QStringLiteral("否"); }

// Where the window's size and position are kept between starts.
QSettings WindowSettings() { return QSettings(QStringLiteral("quorrel"), QStringLiteral("quorrel")); }
const char* const kGeometryKey = "MainWindow/geometry";

} // namespace

const char* const TFormMain::kCaption = "QuorrelPHP代码生成器2.0版【PHP+Smarty技术】";

TFormMain::TFormMain(TFolders folders, Prompts& prompts, Opener& opener, QWidget* parent)
    : QMainWindow(parent),
      folders_(std::move(folders)),
      prompts_(prompts),
      opener_(opener),
      runTask_(new TBackgroundTask(QStringLiteral("AutoCode"), this)) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    BuildControls();
    BuildMenus();
    RestoreGeometry();

    // FormCreate
    lastProjectIndex_ = -1;
    tablePrefix_ = QStringLiteral("php_");
    Guarded([this] { FillProjectList(); });
    Timer1->start();
}

TFormMain::~TFormMain() {
    if (!IsGenerating())
        return;
    // A run is still going: stop it after the file being written, without
    // waiting for the window any more, and wait for it to end.
    closing_ = true;
    if (reporter_) {
        reporter_->RequestStop();
        reporter_->Detach();
    }
    runTask_->Abandon();
}

void TFormMain::BuildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Image1 = new Banner(central);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedHeight(89);
    connect(Image1, &Banner::clicked, this, [this] { Guarded([this] { Image1Click(); }); });
    layout->addWidget(Image1);

    GroupBox1 = new QGroupBox(QStringLiteral("项目操作区"), central);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    // A small inset keeps the group's frame and caption off the window's edge.
    auto* body = new QVBoxLayout;
    body->setContentsMargins(4, 2, 4, 4);
    body->addWidget(GroupBox1);
    layout->addLayout(body, 1);
    auto* group1 = new QVBoxLayout(GroupBox1);
    group1->setContentsMargins(6, 4, 6, 4);
    group1->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->setSpacing(4);
    group1->addLayout(top, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    top->addLayout(left);
    auto* projectRow = new QHBoxLayout;
    projectRow->setSpacing(4);
    Label1 = new QLabel(QStringLiteral("项目:"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    CB_Project = new QComboBox(GroupBox1);
    CB_Project->setObjectName(QStringLiteral("CB_Project"));
    CB_Project->setEditable(false);
    CB_Project->setFixedWidth(121);
    projectRow->addWidget(Label1);
    projectRow->addWidget(CB_Project);
    projectRow->addStretch(1);
    left->addLayout(projectRow);
    Label2 = new QLabel(QStringLiteral("该项目所有类如下:"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    left->addWidget(Label2);
    LB_Object = new QListWidget(GroupBox1);
    LB_Object->setObjectName(QStringLiteral("LB_Object"));
    LB_Object->setMinimumWidth(153);
    LB_Object->setSelectionMode(QAbstractItemView::SingleSelection);
    left->addWidget(LB_Object, 1);
    // Over the empty list of an empty model: how to begin.
    Label_Start = new QLabel(QStringLiteral("还没有项目。\n请先用菜单\n项目操作 → 新建项目\n创建一个项目，再添加类和成员。"),
                             LB_Object->viewport());
    Label_Start->setObjectName(QStringLiteral("Label_Start"));
    Label_Start->setWordWrap(true);
    Label_Start->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_Start->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label_Start->hide();

    LV_Member = new QTableWidget(0, kMemberColumnCount, GroupBox1);
    LV_Member->setObjectName(QStringLiteral("LV_Member"));
    QStringList captions;
    for (const auto& column : kMemberColumns)
        captions << QString::fromUtf8(column.caption);
    LV_Member->setHorizontalHeaderLabels(captions);
    LV_Member->horizontalHeader()->setMinimumSectionSize(1);
    LV_Member->horizontalHeader()->setStretchLastSection(false);
    LV_Member->horizontalHeader()->setHighlightSections(false);
    for (int i = 0; i < kMemberColumnCount; ++i)
        LV_Member->setColumnWidth(i, kMemberColumns[i].width);
    LV_Member->verticalHeader()->setVisible(false);
    LV_Member->verticalHeader()->setDefaultSectionSize(LV_Member->fontMetrics().height() + 6);
    LV_Member->setShowGrid(true);
    LV_Member->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV_Member->setSelectionMode(QAbstractItemView::SingleSelection);
    LV_Member->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV_Member->setWordWrap(false);
    // A wider window widens the member table most.
    top->setStretch(0, 1);
    top->addWidget(LV_Member, 4);

    GroupBox2 = new QGroupBox(QStringLiteral("生成进度"), GroupBox1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setMinimumHeight(152);
    auto* group2 = new QVBoxLayout(GroupBox2);
    group2->setContentsMargins(4, 2, 4, 4);
    Memo_State = new QPlainTextEdit(GroupBox2);
    Memo_State->setObjectName(QStringLiteral("Memo_State"));
    Memo_State->setReadOnly(true);
    Memo_State->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette silver = Memo_State->palette();
    silver.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    Memo_State->setPalette(silver);
    group2->addWidget(Memo_State, 1);

    // Under the log during a run: files written of the files the run
    // writes, the last file's name and the stop button.
    auto* progressRow = new QHBoxLayout;
    progressRow->setSpacing(6);
    PB_Progress = new QProgressBar(GroupBox2);
    PB_Progress->setObjectName(QStringLiteral("PB_Progress"));
    PB_Progress->setFormat(QStringLiteral("%v / %m"));
    PB_Progress->setRange(0, 1);
    PB_Progress->setValue(0);
    Label_File = new QLabel(GroupBox2);
    Label_File->setObjectName(QStringLiteral("Label_File"));
    // A long path never widens the window: it is shortened in the middle.
    Label_File->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Btn_Stop = new QPushButton(QStringLiteral("停止"), GroupBox2);
    Btn_Stop->setObjectName(QStringLiteral("Btn_Stop"));
    Btn_Stop->setToolTip(QStringLiteral("写完当前文件后停止生成（Esc）"));
    connect(Btn_Stop, &QPushButton::clicked, this, [this] { StopRun(); });
    progressRow->addWidget(PB_Progress, 2);
    progressRow->addWidget(Label_File, 3);
    progressRow->addWidget(Btn_Stop);
    group2->addLayout(progressRow);
    ShowRunControls(false);
    progressTimer_ = new QTimer(this);
    progressTimer_->setSingleShot(true);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { ShowWaitingProgress(); });
    // A taller window gives the lists two parts of the new room, the log one.
    group1->setStretch(0, 2);
    group1->addWidget(GroupBox2, 1);

    setCentralWidget(central);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kHomePageDelayMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });

    connect(CB_Project, &QComboBox::activated, this, [this] { Guarded([this] { CB_ProjectChange(); }); });
    connect(LB_Object, &QListWidget::itemSelectionChanged, this, [this] {
        if (filling_)
            return;
        if (LB_Object->selectedItems().isEmpty() && LB_Object->currentItem()) {
            // A click on the list's blank part or a Ctrl+click took the
            // selection away while the class's members stay shown: keep it.
            filling_ = true;
            LB_Object->currentItem()->setSelected(true);
            filling_ = false;
            return;
        }
        Guarded([this] { LB_ObjectClick(); });
    });
    LB_Object->viewport()->installEventFilter(this);
    LV_Member->viewport()->installEventFilter(this);
}

QAction* TFormMain::AddCommand(QMenu* menu, const char* name, const QString& caption,
                               void (TFormMain::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    return action;
}

void TFormMain::BuildMenus() {
    QMenu* project = menuBar()->addMenu(QStringLiteral("项目操作(&P)"));
    project->setObjectName(QStringLiteral("Menu_Project"));
    AddCommand(project, "F2", QStringLiteral("新建项目(&F)"), &TFormMain::F2Click);
    AddCommand(project, "N1", QStringLiteral("修改项目名称(&X)"), &TFormMain::N1Click);
    AddCommand(project, "D1", QStringLiteral("删除当前项目(&D)"), &TFormMain::D1Click);
    AddCommand(project, "I1", QStringLiteral("从数据库导入项目(&I)"), &TFormMain::I1Click);
    AddCommand(project, "A2", QStringLiteral("添加类(&A)"), &TFormMain::A2Click);
    AddCommand(project, "N2", QStringLiteral("修改类名(&B)"), &TFormMain::N2Click);
    AddCommand(project, "S1", QStringLiteral("删除类(&S)"), &TFormMain::S1Click);
    AddCommand(project, "M1", QStringLiteral("添加成员(&M)"), &TFormMain::M1Click);
    AddCommand(project, "N3", QStringLiteral("修改成员属性(&E)"), &TFormMain::N3Click);
    AddCommand(project, "C1", QStringLiteral("删除成员(&C)"), &TFormMain::C1Click);

    QMenu* code = menuBar()->addMenu(QStringLiteral("代码管理(&A)"));
    code->setObjectName(QStringLiteral("Menu_Code"));
    AddCommand(code, "N4", QStringLiteral("设置表名前缀(&P)"), &TFormMain::N4Click);
    AddCommand(code, "sql1", QStringLiteral("生成建表sql语句(&M)"), &TFormMain::sql1Click);
    AddCommand(code, "A1", QStringLiteral("生成项目代码(&M)"), &TFormMain::A1Click);
    AddCommand(code, "V1", QStringLiteral("预览代码变化(&V)"), &TFormMain::V1Click);
    AddCommand(code, "D2", QStringLiteral("数据库变更(&D)"), &TFormMain::D2Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("Menu_Help"));
    AddCommand(help, "About1", QStringLiteral("关于(&A)"), &TFormMain::About1Click);
}

void TFormMain::Guarded(const std::function<void()>& step) const {
    try {
        step();
    } catch (const std::exception& e) {
        prompts_.ErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        prompts_.ErrorBox(QStringLiteral("未知错误"));
    }
}

void TFormMain::ShowModal(QDialog& dialog) {
    if (modalRunner_) {
        modalRunner_(dialog);
        return;
    }
    dialog.exec();
    // Without a window manager the focus would stay with the closed dialog.
    if (isVisible())
        activateWindow();
}

// ---- Lists ----

void TFormMain::FillProjectList() {
    filling_ = true;
    CB_Project->clear();
    LB_Object->clear();
    ClearMembers();
    filling_ = false;
    for (const auto& project : TProjectDAO().LoadProjects())
        CB_Project->addItem(ToQ(project.name), project.id);
    UpdateStartHint();
    if (CB_Project->count() == 0)
        return;
    CB_Project->setCurrentIndex(0);
    if (lastProjectIndex_ != -1)
        CB_Project->setCurrentIndex(lastProjectIndex_);
    if (auto projectId = SelectedProjectId())
        FillClassList(*projectId);
}

void TFormMain::FillClassList(int projectId) {
    filling_ = true;
    LB_Object->clear();
    ClearMembers();
    TClassList classes;
    try {
        classes = TClassDAO().GetClassList(projectId);
    } catch (...) {
        filling_ = false;
        throw;
    }
    for (const auto& entry : classes) {
        auto* item = new QListWidgetItem(ToQ(entry.name), LB_Object);
        item->setData(Qt::UserRole, entry.id);
    }
    if (!classes.empty())
        LB_Object->setCurrentRow(0);
    filling_ = false;
    if (!classes.empty())
        FillMemberTable(classes.front().id);
}

void TFormMain::FillMemberTable(int classId) {
    ClearMembers();
    TRowSet rows = TMemberDAO().QueryMembers(classId);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const QString cells[kMemberColumnCount] = {
            ToQ(rows.FieldString("memberId")),
            ToQ(rows.FieldString("memberName")),
            ToQ(rows.FieldString("memberType")),
            QString::number(rows.FieldInt("memberLength")),
            YesNo(rows.FieldInt("memberIsPri")),
            YesNo(rows.FieldInt("memberIsMust")),
            YesNo(rows.FieldInt("queryFlag")),
            YesNo(rows.FieldInt("memberIsDisplay")),
            YesNo(rows.FieldInt("memberQueryDisplay")),
            ToQ(rows.FieldString("memberComment")),
        };
        int row = LV_Member->rowCount();
        LV_Member->insertRow(row);
        for (int column = 0; column < kMemberColumnCount; ++column)
            LV_Member->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

void TFormMain::ClearMembers() {
    LV_Member->clearSelection();
    LV_Member->setRowCount(0);
}

// ---- Selections ----

std::optional<int> TFormMain::SelectedProjectId() const {
    int index = CB_Project->currentIndex();
    if (index < 0)
        return std::nullopt;
    return CB_Project->itemData(index).toInt();
}

QString TFormMain::SelectedProjectName() const { return CB_Project->currentText(); }

std::optional<int> TFormMain::SelectedClassId() const {
    const auto selected = LB_Object->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->data(Qt::UserRole).toInt();
}

QString TFormMain::SelectedClassName() const {
    const auto selected = LB_Object->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void TFormMain::SetSelectedClassName(const QString& name) {
    const auto selected = LB_Object->selectedItems();
    if (!selected.isEmpty())
        selected.first()->setText(name);
}

std::optional<int> TFormMain::SelectedMemberId() const {
    const auto rows = LV_Member->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    const QTableWidgetItem* id = LV_Member->item(rows.first().row(), 0);
    return id ? id->text().toInt() : 0;
}

void TFormMain::CB_ProjectChange() {
    ClearMembers();
    if (auto projectId = SelectedProjectId())
        FillClassList(*projectId);
}

void TFormMain::LB_ObjectClick() {
    if (auto classId = SelectedClassId())
        FillMemberTable(*classId);
}

void TFormMain::LB_ObjectDblClick() { N2Click(); }

void TFormMain::LV_MemberDblClick() {
    if (SelectedClassId() && !SelectedMemberId())
        M1Click();
    else
        N3Click();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LV_Member->viewport()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress &&
            !LV_Member->indexAt(mouse->position().toPoint()).isValid()) {
            // A press on the empty part of the table leaves no member selected.
            LV_Member->clearSelection();
            LV_Member->setCurrentIndex(QModelIndex());
        } else if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
            Guarded([this] { LV_MemberDblClick(); });
            return true;
        }
    } else if (watched == LB_Object->viewport()) {
        if (event->type() == QEvent::Resize)
            Label_Start->setGeometry(LB_Object->viewport()->rect().adjusted(4, 4, -4, -4));
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Guarded([this] { LB_ObjectDblClick(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Commands ----

void TFormMain::F2Click() {
    QString name = prompts_.Input(QStringLiteral("请输入工程名称"), QString(), QString());
    if (name.isEmpty()) {
        prompts_.Information(QStringLiteral("工程名称不能为空!"));
        return;
    }
    TProjectDAO projects;
    if (projects.CountProjectsByName(ToStd(name)) > 0) {
        prompts_.Information(QStringLiteral("该工程名称已经存在!"));
        return;
    }
    projects.AddProject(ToStd(name));
    FillProjectList();
    prompts_.Information(QStringLiteral("工程名称添加成功！"));
}

void TFormMain::N1Click() {
    auto projectId = SelectedProjectId();
    if (!projectId) {
        prompts_.Information(QStringLiteral("当前未有任何项目被选中!"));
        return;
    }
    QString name = prompts_.Input(QStringLiteral("请输入项目名称"), QString(), QString());
    if (name.isEmpty()) {
        prompts_.Information(QStringLiteral("工程项目名称不能为空!"));
        return;
    }
    TProjectDAO().RenameProject(*projectId, ToStd(name));
    lastProjectIndex_ = CB_Project->currentIndex();
    prompts_.Information(QStringLiteral("工程名称修改成功！"));
    FillProjectList();
}

void TFormMain::D1Click() {
    auto projectId = SelectedProjectId();
    if (!projectId) {
        prompts_.Information(QStringLiteral("未有任何项目被选中!"));
        return;
    }
    if (!prompts_.Confirm(QStringLiteral("删除提示"), QStringLiteral("确认删除当前项目吗?")))
        return;
    TProjectDAO().DeleteProject(*projectId);
    lastProjectIndex_ = -1;
    prompts_.Information(QStringLiteral("删除成功!"));
    FillProjectList();
}

void TFormMain::I1Click() {
    TImportDbForm dialog(*this, schemaReaders_ ? schemaReaders_() : std::make_shared<TMariaDbSchemaReader>());
    ShowModal(dialog);
}

void TFormMain::SelectProject(const QString& name) {
    const int index = CB_Project->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return;
    CB_Project->setCurrentIndex(index);
    CB_ProjectChange();
}

void TFormMain::A2Click() {
    if (!SelectedProjectId()) {
        prompts_.Information(QStringLiteral("当前未有任何项目被选中!"));
        return;
    }
    TAddClassForm dialog(*this);
    ShowModal(dialog);
}

void TFormMain::N2Click() {
    auto classId = SelectedClassId();
    if (!classId) {
        prompts_.Information(QStringLiteral("没有类被选中!"));
        return;
    }
    TUpdateClassForm dialog(*this);
    dialog.SetClassId(*classId);
    ShowModal(dialog);
}

void TFormMain::S1Click() {
    auto classId = SelectedClassId();
    if (!classId) {
        prompts_.Information(QStringLiteral("没有类被选中!"));
        return;
    }
    if (!prompts_.Confirm(QStringLiteral("提示"), QStringLiteral("确认删除此类对象！")))
        return;
    TClassDAO().DeleteClass(*classId);
    filling_ = true;
    delete LB_Object->selectedItems().first();
    LB_Object->clearSelection();
    LB_Object->setCurrentItem(nullptr);
    filling_ = false;
    ClearMembers();
    prompts_.Information(QStringLiteral("类对象删除成功!"));
}

void TFormMain::M1Click() {
    if (!SelectedClassId()) {
        prompts_.Information(QStringLiteral("请先选择类对象"));
        return;
    }
    TAddMemberForm dialog(*this);
    ShowModal(dialog);
}

void TFormMain::N3Click() {
    auto memberId = SelectedMemberId();
    if (!memberId) {
        prompts_.Information(QStringLiteral("请先选择一个成员"));
        return;
    }
    TUpdateMemberForm dialog(*this, *memberId);
    ShowModal(dialog);
}

void TFormMain::C1Click() {
    auto memberId = SelectedMemberId();
    if (!memberId) {
        prompts_.Information(QStringLiteral("请先选择一个成员"));
        return;
    }
    if (!prompts_.Confirm(QStringLiteral("删除提示"), QStringLiteral("确定删除当前成员属性?")))
        return;
    TMemberDAO().DeleteMember(*memberId);
    prompts_.Information(QStringLiteral("成员属性删除成功"));
    if (auto classId = SelectedClassId())
        FillMemberTable(*classId);
    else
        ClearMembers();
}

void TFormMain::N4Click() {
    QString prefix = prompts_.Input(QStringLiteral("表前缀输入框"), QStringLiteral("请输入一个表名前缀如:           "),
                                    tablePrefix_);
    if (prefix.isEmpty()) {
        prompts_.Information(QStringLiteral("前缀输入不能为空!"));
        return;
    }
    tablePrefix_ = prefix;
}

void TFormMain::sql1Click() {
    auto projectId = SelectedProjectId();
    if (!projectId) {
        prompts_.Information(QStringLiteral("当前未有任何项目被选中!"));
        return;
    }
    TDataBaseSqlForm dialog(this, folders_, prompts_);
    dialog.SetProjectId(*projectId);
    dialog.SetTablePrefix(tablePrefix_);
    ShowModal(dialog);
}

void TFormMain::A1Click() {
    auto projectId = SelectedProjectId();
    if (!projectId) {
        prompts_.Information(QStringLiteral("没有一个工程被选中！"));
        return;
    }
    if (IsGenerating()) {
        prompts_.Information(QStringLiteral("代码正在生成，请等待当前任务完成!"));
        return;
    }
    prompts_.Information(QStringLiteral("如果以前生成了该项目，最好先删除原来的目录!"));
    StartRun(*projectId, CB_Project->currentText(), false);
}

void TFormMain::V1Click() {
    auto projectId = SelectedProjectId();
    if (!projectId) {
        prompts_.Information(QStringLiteral("没有一个工程被选中！"));
        return;
    }
    const QString projectName = CB_Project->currentText();
    TPreviewForm dialog(this, folders_, *projectId, projectName, tablePrefix_);
    ShowModal(dialog);
    if (!dialog.StartRequested())
        return;
    if (IsGenerating()) {
        prompts_.Information(QStringLiteral("代码正在生成，请等待当前任务完成!"));
        return;
    }
    StartRun(*projectId, projectName, dialog.OverwriteEdited());
}

void TFormMain::D2Click() {
    auto projectId = SelectedProjectId();
    if (!projectId) {
        prompts_.Information(QStringLiteral("当前未有任何项目被选中!"));
        return;
    }
    // A run rewrites the site's records of its model, which the change reads.
    if (IsGenerating()) {
        prompts_.Information(QStringLiteral("代码正在生成，请等待当前任务完成!"));
        return;
    }
    std::shared_ptr<MigrationService> service =
        migrationServices_ ? migrationServices_() : std::make_shared<TMariaDbMigrationService>();
    TMigrationForm dialog(*this, std::move(service), *projectId, CB_Project->currentText(), tablePrefix_);
    ShowModal(dialog);
}

void TFormMain::StartRun(int projectId, const QString& projectName, bool overwriteEdited) {
    Memo_State->clear();
    runWarnings_.clear();
    PB_Progress->setRange(0, 1);
    PB_Progress->setValue(0);
    Label_File->clear();
    Btn_Stop->setEnabled(true);
    ShowRunControls(true);

    reporter_ = std::make_unique<GuiRunReporter>(*this);
    reporter_->SetProgressHook(progressHook_);
    GuiRunReporter* reporter = reporter_.get();
    const int id = projectId;
    const std::string name = ToStd(projectName);
    runProjectName_ = name;
    const std::string tablePrefix = ToStd(tablePrefix_);
    const TFolders folders = folders_;
    runTask_->Run(
        [=] {
            TAutoCode run(id, name, tablePrefix, folders, *reporter);
            run.SetPlan(std::make_shared<RunPlan>(RunPlan::Options{false, overwriteEdited}));
            run.Execute();
        },
        [this] { RunEnded(); },
        // The run reports its own failures; anything else it throws ends it too.
        [this](const QString& message) {
            RunLine(Severity::Error, QStringLiteral("代码生成失败：") + message);
            RunEnded();
        });
}

// ---- Generation reports ----

void TFormMain::RunLine(Severity severity, const QString& text) {
    AppendLogLines({{RunReport::Kind::Line, severity, ToQ(ReportLine{severity, ToStd(text)}.Rendered()), 0, 0}});
}

void TFormMain::AppendLogLines(const std::vector<RunReport>& lines) {
    if (closing_)
        return;
    // Warnings stand out from the progress lines around them; the text
    // itself stays as the run rendered it. Each stretch of lines of one kind
    // is appended at once: the log lays itself out once per stretch, not
    // once per line.
    QTextCharFormat warning;
    warning.setForeground(QColor(0xA0, 0x00, 0x00));
    warning.setFontWeight(QFont::Bold);
    const auto isWarningAt = [&lines](std::size_t at) { return lines[at].severity == Severity::Warning; };
    for (std::size_t start = 0; start < lines.size();) {
        const bool isWarning = isWarningAt(start);
        std::size_t end = start + 1;
        while (end < lines.size() && isWarningAt(end) == isWarning)
            ++end;
        QStringList stretch;
        for (std::size_t i = start; i < end; ++i)
            stretch << lines[i].text;
        if (isWarning) {
            runWarnings_ << stretch;
            Memo_State->setCurrentCharFormat(warning);
        }
        Memo_State->appendPlainText(stretch.join(QLatin1Char('\n')));
        if (isWarning)
            Memo_State->setCurrentCharFormat(QTextCharFormat());
        start = end;
    }
}

void TFormMain::ShowProgress(const RunReport& report) {
    // The bar repaints at once when its value changes: a few times a second
    // is what the eye follows, and keeps the event loop free.
    progressDone_ = report.done;
    progressTotal_ = report.total;
    progressFile_ = report.text;
    progressWaiting_ = true;
    if (!progressTimer_->isActive())
        ShowWaitingProgress();
}

void TFormMain::ShowWaitingProgress() {
    if (!progressWaiting_)
        return;
    progressWaiting_ = false;
    const int total = static_cast<int>(progressTotal_);
    if (PB_Progress->maximum() != total)
        PB_Progress->setRange(0, total);
    PB_Progress->setValue(static_cast<int>(progressDone_));
    Label_File->setText(Label_File->fontMetrics().elidedText(progressFile_, Qt::ElideMiddle, Label_File->width()));
    Label_File->setToolTip(progressFile_);
    progressTimer_->start();
}

void TFormMain::FetchRunReports(std::size_t most) {
    if (!reporter_)
        return;
    bool more = false;
    const std::vector<RunReport> reports = reporter_->Take(most, more);
    const RunReport* progress = nullptr;
    std::vector<RunReport> lines;
    for (const RunReport& report : reports) {
        if (report.kind == RunReport::Kind::Line)
            lines.push_back(report);
        else
            progress = &report;
    }
    AppendLogLines(lines);
    if (progress && !closing_)
        ShowProgress(*progress);
    if (more)
        QMetaObject::invokeMethod(this, [this] { FetchRunReports(GuiRunReporter::kBatch); }, Qt::QueuedConnection);
}

void TFormMain::StopRun() {
    if (!reporter_ || !IsGenerating())
        return;
    reporter_->RequestStop();
    Btn_Stop->setEnabled(false);
}

void TFormMain::RunCheckFailed(int classId, const QString& className, ModelCheck check) {
    errorClassId_ = classId;
    if (closing_)
        return;
    if (askingToClose_) {
        heldRunEnd_ = {[this, classId, className, check] { RunCheckFailed(classId, className, check); }, true};
        return;
    }
    // The class as the run saw it, even if it was renamed since.
    prompts_.Information(ToQ(ModelValidator::CheckFailedText(ToStd(className), check)));
}

void TFormMain::RunFinished() {
    if (closing_ || closeAfterRun_)
        return;
    if (askingToClose_) {
        heldRunEnd_ = {[this] { RunFinished(); }, false};
        return;
    }
    QString text = QStringLiteral("所有代码生成完毕!");
    if (!runWarnings_.isEmpty()) {
        // A warning (a name the site cannot use, an edit kept beside the
        // new text) must not hide behind a finished run: they come with the
        // completion notice.
        text += QStringLiteral("\n\n但有%1条警告：").arg(runWarnings_.size());
        for (int i = 0; i < runWarnings_.size() && i < kWarningsInBox; ++i)
            text += QStringLiteral("\n") + runWarnings_[i];
        if (runWarnings_.size() > kWarningsInBox)
            text += QStringLiteral("\n……");
        text += QStringLiteral("\n\n全部警告见“生成进度”中的红色行。");
    }
    prompts_.Notice(QStringLiteral("任务提示"), text);
    // The folder of the site just generated, even if the selection changed
    // while the run was going.
    OpenOrSay(LocalUrl(folders_.Site(runProjectName_)), QStringLiteral("生成的网站所在的文件夹"));
}

void TFormMain::RunFailed(const QString& message) {
    if (closing_ || closeAfterRun_)
        return;
    if (askingToClose_) {
        heldRunEnd_ = {[this, message] { RunFailed(message); }, true};
        return;
    }
    prompts_.Information(message);
}

void TFormMain::RunStopped(std::size_t /*written*/) {
    // The log's last line says the run stopped and how many files it wrote;
    // the user asked for it, so no box.
}

void TFormMain::RunEnded() {
    FetchRunReports(static_cast<std::size_t>(-1));
    reporter_.reset();
    progressTimer_->stop();
    progressWaiting_ = false;
    ShowRunControls(false);
    if (closeAfterRun_)
        close();
}

// ---- Window ----

void TFormMain::keyPressEvent(QKeyEvent* event) {
    // Esc that no control of the window has taken stops the run.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && IsGenerating()) {
        StopRun();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (IsGenerating()) {
        // Closed again while the run stops: it closes by itself once stopped.
        if (closeAfterRun_) {
            event->ignore();
            return;
        }
        // The run goes on while the question is open; should it end
        // meanwhile, its box waits for the answer instead of covering it.
        askingToClose_ = true;
        const bool stop =
            prompts_.Confirm(QStringLiteral("退出提示"), QStringLiteral("代码正在生成，要停止生成并关闭窗口吗？"));
        askingToClose_ = false;
        const HeldRunEnd held = std::exchange(heldRunEnd_, HeldRunEnd{});
        // Kept open: the box of a run that ended meanwhile. Closing: only a
        // failure is still worth saying.
        if (held.show && (!stop || held.failure))
            held.show();
        if (!stop) {
            event->ignore();
            return;
        }
        if (IsGenerating()) {
            closeAfterRun_ = true;
            StopRun();
            event->ignore();
            return;
        }
    }
    SaveGeometry();
    event->accept();
}

void TFormMain::RestoreGeometry() {
    const QByteArray geometry = WindowSettings().value(QString::fromLatin1(kGeometryKey)).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TFormMain::SaveGeometry() const {
    QSettings settings = WindowSettings();
    settings.setValue(QString::fromLatin1(kGeometryKey), saveGeometry());
}

void TFormMain::ShowRunControls(bool shown) {
    PB_Progress->setVisible(shown);
    Label_File->setVisible(shown);
    Btn_Stop->setVisible(shown);
}

void TFormMain::UpdateStartHint() { Label_Start->setVisible(CB_Project->count() == 0); }

void TFormMain::OpenOrSay(const QUrl& url, const QString& what) {
    const QString path = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    QPointer<TFormMain> self(this);
    opener_.Open(url, [self, what, path](const QString& reason) {
        if (self && !self->closing_)
            self->prompts_.OpenFailed(QStringLiteral("无法打开%1（%2）。请自己打开它：").arg(what, reason), path);
    });
}

// ---- About ----

void TFormMain::About1Click() {
    prompts_.Notice(QStringLiteral("关于"),
                    QString::fromUtf8(kCaption) + QStringLiteral("\n版本 ") + QCoreApplication::applicationVersion() +
                        QStringLiteral("\n\n程序资源：") + ToQ(folders_.Resources().string()) +
                        QStringLiteral("\n数据文件夹（模型与生成的网站）：") + ToQ(folders_.Data().string()));
}

// ---- Home page ----

void TFormMain::OpenHomePage() { OpenOrSay(LocalUrl(folders_.Resources() / kHomePagePath), QStringLiteral("帮助页面")); }

void TFormMain::Image1Click() { OpenHomePage(); }

void TFormMain::Timer1Timer() {
    Timer1->stop();
    OpenHomePage();
}

} // namespace quorrel
