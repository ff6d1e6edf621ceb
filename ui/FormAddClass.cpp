#include "ui/FormAddClass.h"

#include "model/ClassDAO.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QLineEdit>

namespace quorrel {

TAddClassForm::TAddClassForm(TFormMain& owner)
    : TClassForm(owner, QStringLiteral("添加类"), QStringLiteral("类英文名称:        "),
                 QStringLiteral("中文友好名称:         "), QSize(269, 218)) {
    setObjectName(QStringLiteral("FormAddClass"));
}

void TAddClassForm::Button1Click() {
    Prompts& boxes = owner_.Boxes();
    const QString className = Edt_ClassName->text();
    const QString friendName = Edt_FriendName->text();
    if (className.isEmpty()) {
        boxes.Information(QStringLiteral("类名称不能为空!"));
        return;
    }
    if (friendName.isEmpty()) {
        boxes.Information(QStringLiteral("友好名称不能为空"));
        return;
    }
    if (!StartsWithCapital(className)) {
        boxes.Information(QStringLiteral("类名首个字母必须大写"));
        return;
    }
    auto projectId = owner_.SelectedProjectId();
    if (!projectId)
        return;
    TClassDAO classes;
    if (classes.CountClassesByName(*projectId, ToStd(className)) > 0) {
        boxes.Information(QStringLiteral("该类名称已经存在!"));
        return;
    }
    if (!KeepsModelRules(*projectId, className, friendName, std::nullopt))
        return;
    classes.AddClass(*projectId, ToStd(className), ToStd(friendName));
    owner_.FillClassList(*projectId);
    boxes.Information(QStringLiteral("类名称添加成功！"));
    accept();
}

} // namespace quorrel
