#include "ui/ImportDbForm.h"

#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace quorrel {
namespace {

QLineEdit* AddField(QFormLayout* layout, QWidget* parent, const char* name, const QString& caption) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    layout->addRow(caption, edit);
    return edit;
}

QPushButton* AddButton(QHBoxLayout* layout, QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

} // namespace

TImportDbForm::TImportDbForm(TFormMain& form, std::shared_ptr<SchemaReader> reader)
    : QDialog(&form), form_(form), reader_(std::move(reader)) {
    setObjectName(QStringLiteral("ImportDbForm"));
    setWindowTitle(QStringLiteral("从数据库导入项目"));

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    layout->addLayout(fields);
    connection_ = std::make_unique<TConnectionFields>(*fields, *this);
    Edt_Host = connection_->host;
    Edt_Port = connection_->port;
    Edt_Socket = connection_->socket;
    Edt_User = connection_->user;
    Edt_Password = connection_->password;
    Edt_Database = connection_->database;
    Edt_TablePrefix = AddField(fields, this, "Edt_TablePrefix", QStringLiteral("表名前缀："));
    Edt_TablePrefix->setPlaceholderText(QStringLiteral("只导入以它开头的表，类名去掉它"));
    Edt_ProjectName = AddField(fields, this, "Edt_ProjectName", QStringLiteral("项目名称："));
    Edt_ProjectName->setPlaceholderText(QStringLiteral("默认为数据库名"));

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    Btn_Test = AddButton(buttons, this, "Btn_Test", QStringLiteral("测试连接"));
    Btn_Import = AddButton(buttons, this, "Btn_Import", QStringLiteral("导入"));
    Btn_Close = AddButton(buttons, this, "Btn_Close", QStringLiteral("关闭"));
    connect(Btn_Test, &QPushButton::clicked, this, [this] { TestClick(); });
    connect(Btn_Import, &QPushButton::clicked, this, [this] { ImportClick(); });
    connect(Btn_Close, &QPushButton::clicked, this, &TImportDbForm::reject);

    Lbl_State = new QLabel(this);
    Lbl_State->setObjectName(QStringLiteral("Lbl_State"));
    Lbl_State->setWordWrap(true);
    layout->addWidget(Lbl_State);
    LB_Warnings = new QListWidget(this);
    LB_Warnings->setObjectName(QStringLiteral("LB_Warnings"));
    LB_Warnings->setWordWrap(true);
    layout->addWidget(LB_Warnings, 1);
    resize(560, 520);
}

TImportDbForm::~TImportDbForm() {
    // The reader gives up within its timeouts; the worker must not outlive
    // the dialog it reports to.
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void TImportDbForm::reject() {
    if (IsBusy()) {
        Lbl_State->setText(QStringLiteral("请等待当前操作结束"));
        return;
    }
    QDialog::reject();
}

bool TImportDbForm::ReadSettings(TConnectionSettings& settings) const {
    return connection_->Read(settings, form_.Boxes());
}

void TImportDbForm::Start(const QString& state, std::function<void()> work) {
    Btn_Test->setEnabled(false);
    Btn_Import->setEnabled(false);
    Btn_Close->setEnabled(false);
    Lbl_State->setText(state);
    worker_ = QThread::create(std::move(work));
    worker_->setObjectName(QStringLiteral("ImportDb"));
    worker_->start();
}

void TImportDbForm::Ended() {
    if (worker_) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    Btn_Test->setEnabled(true);
    Btn_Import->setEnabled(true);
    Btn_Close->setEnabled(true);
}

void TImportDbForm::Failed(const QString& message) {
    Ended();
    Lbl_State->setText(QStringLiteral("失败：") + message);
    form_.Boxes().ErrorBox(message);
    emit workEnded();
}

void TImportDbForm::TestClick() {
    TConnectionSettings settings;
    if (IsBusy() || !ReadSettings(settings))
        return;
    std::shared_ptr<SchemaReader> reader = reader_;
    Start(QStringLiteral("正在连接……"), [this, reader, settings] {
        try {
            const QString version = ToQ(reader->TestConnection(settings));
            QMetaObject::invokeMethod(this, [this, version] {
                Ended();
                Lbl_State->setText(QStringLiteral("连接成功，服务器版本：") + version);
                emit workEnded();
            }, Qt::QueuedConnection);
        } catch (const std::exception& e) {
            const QString message = QString::fromUtf8(e.what());
            QMetaObject::invokeMethod(this, [this, message] { Failed(message); }, Qt::QueuedConnection);
        }
    });
}

void TImportDbForm::ImportClick() {
    TConnectionSettings settings;
    if (IsBusy() || !ReadSettings(settings))
        return;
    LB_Warnings->clear();
    std::shared_ptr<SchemaReader> reader = reader_;
    const std::string prefix = ToStd(Edt_TablePrefix->text());
    const std::string project = ToStd(Edt_ProjectName->text());
    Start(QStringLiteral("正在导入……"), [this, reader, settings, prefix, project] {
        try {
            TDbImportResult result = TDatabaseImport(*reader).Run(settings, prefix, project);
            QMetaObject::invokeMethod(this, [this, result] { Imported(result); }, Qt::QueuedConnection);
        } catch (const std::exception& e) {
            const QString message = QString::fromUtf8(e.what());
            QMetaObject::invokeMethod(this, [this, message] { Failed(message); }, Qt::QueuedConnection);
        }
    });
}

void TImportDbForm::Imported(const TDbImportResult& result) {
    Ended();
    for (const auto& line : result.guesses)
        LB_Warnings->addItem(ToQ(line));
    for (const auto& line : result.warnings)
        LB_Warnings->addItem(ToQ(line));
    Lbl_State->setText(QStringLiteral("已导入项目") + ToQ(result.projectName) + QStringLiteral("：") +
                       QString::number(result.classCount) + QStringLiteral("个类，") +
                       QString::number(result.warnings.size()) + QStringLiteral("条警告"));
    form_.Guarded([this, &result] {
        form_.FillProjectList();
        form_.SelectProject(ToQ(result.projectName));
    });
    emit workEnded();
}

} // namespace quorrel
