#include "ui/DataBaseSqlForm.h"

#include "base/FileOperate.h"
#include "model/ModelValidator.h"
#include "generators/DataBaseSql.h"
#include "ui/Convert.h"
#include "ui/Prompts.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QVBoxLayout>

#include <utility>

namespace quorrel {

TDataBaseSqlForm::TDataBaseSqlForm(QWidget* owner, TFolders folders, Prompts& prompts)
    : QDialog(owner), folders_(std::move(folders)), prompts_(prompts) {
    setObjectName(QStringLiteral("DataBaseSqlForm"));
    setWindowTitle(QStringLiteral("数据库建表sql语句"));
    Memo_Sql = new QPlainTextEdit(this);
    Memo_Sql->setObjectName(QStringLiteral("Memo_Sql"));
    Memo_Sql->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Sql->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_Sql->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo_Sql);
    setFixedSize(766, 551);
}

void TDataBaseSqlForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TDataBaseSqlForm::FormShow() {
    Memo_Sql->clear();
    try {
        const auto project = TProjectSnapshot::Take(projectId_);
        // Names go into the script as they are: a model that breaks a rule gets none.
        ModelValidator(*project).CheckNamesAndTexts(ToStd(tablePrefix_));
        const std::string scriptTemplate =
            TFileOperate::ReadUtf8File(folders_.Resource(TDataBaseSql::kTemplatePath));
        std::string script = TDataBaseSql(scriptTemplate).BuildScript(*project, ToStd(tablePrefix_));
        // The memo holds lines; copied text gets the desktop's own line ends.
        Memo_Sql->setPlainText(ToQ(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } catch (const std::exception& e) {
        prompts_.ErrorBox(QString::fromUtf8(e.what()));
    }
}

bool TDataBaseSqlForm::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+A selects the whole script; the key goes on to the editor as well.
    if (watched == Memo_Sql && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int low = key->key() & 0xFF;
        if ((key->modifiers() & Qt::ControlModifier) && (low == 65 || low == 97))
            Memo_Sql->selectAll();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quorrel
