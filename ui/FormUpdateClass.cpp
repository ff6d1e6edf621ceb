#include "ui/FormUpdateClass.h"

#include "model/ClassDAO.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QLineEdit>
#include <QShowEvent>

namespace quorrel {

TUpdateClassForm::TUpdateClassForm(TFormMain& owner)
    : TClassForm(owner, QStringLiteral("类更新"), QStringLiteral("类英文名称:       "),
                 QStringLiteral("中文友好名称:        "), QSize(271, 214)) {
    setObjectName(QStringLiteral("FormUpdateClass"));
}

void TUpdateClassForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        owner_.Guarded([this] { FormShow(); });
}

void TUpdateClassForm::FormShow() {
    Edt_FriendName->setText(ToQ(TClassDAO().GetFriendName(classId_)));
    Edt_ClassName->setText(owner_.SelectedClassName());
}

void TUpdateClassForm::Button1Click() {
    Prompts& boxes = owner_.Boxes();
    const QString className = Edt_ClassName->text();
    const QString friendName = Edt_FriendName->text();
    if (className.isEmpty()) {
        boxes.Information(QStringLiteral("类名称不能为空"));
        return;
    }
    if (!StartsWithCapital(className)) {
        boxes.Information(QStringLiteral("类名首个字母必须大写"));
        return;
    }
    if (friendName.isEmpty()) {
        boxes.Information(QStringLiteral("友好名称不能为空"));
        return;
    }
    auto projectId = owner_.SelectedProjectId();
    if (!projectId)
        return;
    if (!KeepsModelRules(*projectId, className, friendName, classId_))
        return;
    TClassDAO().UpdateClass(*projectId, classId_, ToStd(className), ToStd(friendName));
    owner_.SetSelectedClassName(className);
    boxes.Information(QStringLiteral("类名称更新成功"));
    accept();
}

} // namespace quorrel
