#include "ui/ImportDbForm.h"

#include "base/ReportLine.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace quorrel {
namespace {

QLineEdit* AddField(QFormLayout* layout, QWidget* parent, const char* name, const QString& caption) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    layout->addRow(caption, edit);
    return edit;
}

} // namespace

TImportDbForm::TImportDbForm(TFormMain& form, std::shared_ptr<SchemaReader> reader)
    : TDatabaseDialog(form, QStringLiteral("ImportDb"),
                      [reader](const TConnectionSettings& settings) { return reader->TestConnection(settings); }),
      reader_(std::move(reader)) {
    setObjectName(QStringLiteral("ImportDbForm"));
    setWindowTitle(QStringLiteral("从数据库导入项目"));

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    layout->addLayout(fields);
    AddConnectionFields(*fields);
    Edt_TablePrefix = AddField(fields, this, "Edt_TablePrefix", QStringLiteral("表名前缀："));
    Edt_TablePrefix->setPlaceholderText(QStringLiteral("只导入以它开头的表，类名去掉它"));
    Edt_ProjectName = AddField(fields, this, "Edt_ProjectName", QStringLiteral("项目名称："));
    Edt_ProjectName->setPlaceholderText(QStringLiteral("默认为数据库名"));

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    AddTestButton(*buttons);
    Btn_Import = AddButton(*buttons, "Btn_Import", QStringLiteral("导入"));
    AddCloseButton(*buttons);
    connect(Btn_Import, &QPushButton::clicked, this, [this] { ImportClick(); });

    AddStateLine(*layout);
    LB_Warnings = new QListWidget(this);
    LB_Warnings->setObjectName(QStringLiteral("LB_Warnings"));
    LB_Warnings->setWordWrap(true);
    layout->addWidget(LB_Warnings, 1);
    resize(560, 520);
}

void TImportDbForm::UpdateButtons() {
    const bool idle = !IsBusy();
    Btn_Test->setEnabled(idle);
    Btn_Import->setEnabled(idle);
    Btn_Close->setEnabled(idle);
}

void TImportDbForm::ImportClick() {
    TConnectionSettings settings;
    if (IsBusy() || !ReadSettings(settings))
        return;
    LB_Warnings->clear();
    std::shared_ptr<SchemaReader> reader = reader_;
    const std::string prefix = ToStd(Edt_TablePrefix->text());
    const std::string project = ToStd(Edt_ProjectName->text());
    Start(
        QStringLiteral("正在导入……"),
        [reader, settings, prefix, project] { return TDatabaseImport(*reader).Run(settings, prefix, project); },
        [this](const TDbImportResult& result) { Imported(result); });
}

void TImportDbForm::Imported(const TDbImportResult& result) {
    UpdateButtons();
    for (const auto& line : result.guesses)
        LB_Warnings->addItem(ToQ(line));
    for (const auto& warning : result.warnings)
        LB_Warnings->addItem(ToQ(ReportLine::Warning(warning).Rendered()));
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
