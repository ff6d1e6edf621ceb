#include "ui/DatabaseDialog.h"

#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorrel {

TDatabaseDialog::TDatabaseDialog(TFormMain& form, const QString& workerName, ConnectionTest test)
    : QDialog(&form), form_(form), test_(std::move(test)), task_(workerName) {}

void TDatabaseDialog::AddConnectionFields(QFormLayout& layout) {
    connection_ = std::make_unique<TConnectionFields>(layout, *this);
    Edt_Host = connection_->host;
    Edt_Port = connection_->port;
    Edt_Socket = connection_->socket;
    Edt_User = connection_->user;
    Edt_Password = connection_->password;
    Edt_Database = connection_->database;
}

QPushButton* TDatabaseDialog::AddButton(QHBoxLayout& row, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    row.addWidget(button);
    return button;
}

void TDatabaseDialog::AddTestButton(QHBoxLayout& row) {
    Btn_Test = AddButton(row, "Btn_Test", QStringLiteral("测试连接"));
    connect(Btn_Test, &QPushButton::clicked, this, [this] { TestClick(); });
}

void TDatabaseDialog::AddCloseButton(QHBoxLayout& row) {
    Btn_Close = AddButton(row, "Btn_Close", QStringLiteral("关闭"));
    connect(Btn_Close, &QPushButton::clicked, this, &TDatabaseDialog::reject);
}

void TDatabaseDialog::AddStateLine(QBoxLayout& layout) {
    Lbl_State = new QLabel(this);
    Lbl_State->setObjectName(QStringLiteral("Lbl_State"));
    Lbl_State->setWordWrap(true);
    layout.addWidget(Lbl_State);
}

void TDatabaseDialog::reject() {
    if (IsBusy()) {
        Lbl_State->setText(QStringLiteral("请等待当前操作结束"));
        return;
    }
    QDialog::reject();
}

bool TDatabaseDialog::ReadSettings(TConnectionSettings& settings) const {
    return connection_->Read(settings, form_.Boxes());
}

void TDatabaseDialog::Started(const QString& state) {
    Lbl_State->setText(state);
    UpdateButtons();
}

void TDatabaseDialog::Failed(const QString& message) {
    UpdateButtons();
    Lbl_State->setText(QStringLiteral("失败：") + message);
    form_.Boxes().ErrorBox(message);
    emit workEnded();
}

void TDatabaseDialog::TestClick() {
    TConnectionSettings settings;
    if (IsBusy() || !ReadSettings(settings))
        return;
    Start(
        QStringLiteral("正在连接……"), [test = test_, settings] { return ToQ(test(settings)); },
        [this](const QString& version) {
            UpdateButtons();
            Lbl_State->setText(QStringLiteral("连接成功，服务器版本：") + version);
            emit workEnded();
        });
}

} // namespace quorrel
