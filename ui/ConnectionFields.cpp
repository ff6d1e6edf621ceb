#include "ui/ConnectionFields.h"

#include "ui/Convert.h"
#include "ui/Prompts.h"

#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>

namespace quorrel {
namespace {

QLineEdit* AddField(QFormLayout& layout, QWidget& parent, const char* name, const QString& caption) {
    auto* edit = new QLineEdit(&parent);
    edit->setObjectName(QString::fromLatin1(name));
    layout.addRow(caption, edit);
    return edit;
}

} // namespace

TConnectionFields::TConnectionFields(QFormLayout& layout, QWidget& parent) {
    host = AddField(layout, parent, "Edt_Host", QStringLiteral("服务器地址："));
    host->setPlaceholderText(QStringLiteral("localhost"));
    port = AddField(layout, parent, "Edt_Port", QStringLiteral("端口："));
    port->setPlaceholderText(QStringLiteral("3306"));
    port->setValidator(new QIntValidator(1, 65535, port));
    socket = AddField(layout, parent, "Edt_Socket", QStringLiteral("或套接字文件："));
    socket->setPlaceholderText(QStringLiteral("填写后不用地址和端口"));
    user = AddField(layout, parent, "Edt_User", QStringLiteral("用户名："));
    password = AddField(layout, parent, "Edt_Password", QStringLiteral("密码："));
    password->setEchoMode(QLineEdit::Password);
    database = AddField(layout, parent, "Edt_Database", QStringLiteral("数据库名："));
}

bool TConnectionFields::Read(TConnectionSettings& settings, Prompts& prompts) const {
    settings.host = ToStd(host->text());
    settings.socket = ToStd(socket->text());
    settings.user = ToStd(user->text());
    settings.password = ToStd(password->text());
    settings.database = ToStd(database->text());
    settings.port = 0;
    if (!port->text().isEmpty())
        settings.port = port->text().toUInt();
    if (settings.database.empty()) {
        prompts.Information(QStringLiteral("数据库名不能为空!"));
        return false;
    }
    if (settings.user.empty()) {
        prompts.Information(QStringLiteral("用户名不能为空!"));
        return false;
    }
    return true;
}

std::vector<QLineEdit*> TConnectionFields::Edits() const { return {host, port, socket, user, password, database}; }

void TConnectionFields::SetEnabled(bool enabled) const {
    for (QLineEdit* edit : Edits())
        edit->setEnabled(enabled);
}

} // namespace quorrel
