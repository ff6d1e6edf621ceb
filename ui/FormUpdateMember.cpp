#include "ui/FormUpdateMember.h"

#include "base/Error.h"
#include "model/MemberDAO.h"
#include "ui/Convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <string>

namespace quorrel {

TUpdateMemberForm::TUpdateMemberForm(TFormMain& owner, int memberId)
    : TMemberForm(owner, QStringLiteral("更新成员属性"), QSize(372, 320), /*keyTypeChecked=*/false),
      memberId_(memberId) {
    setObjectName(QStringLiteral("FormUpdateMember"));
    FormCreate();
}

void TUpdateMemberForm::FormCreate() {
    FillTypeList();
    auto member = TMemberDAO().GetMemberById(memberId_);
    if (!member)
        throw Error("成员不存在(memberId " + std::to_string(memberId_) + ")");
    Edt_MemberName->setText(ToQ(member->memberName));
    CB_MemberType->setCurrentIndex(CB_MemberType->findText(ToQ(member->memberType)));
    Edt_MemberLength->setText(QString::number(member->memberLength));
    CB_MemberIsMust->setChecked(member->memberIsMust == 1);
    CB_QueryFlag->setChecked(member->queryFlag == 1);
    CB_MemberIsPri->setChecked(member->memberIsPri == 1);
    CB_MemberIsDisplay->setChecked(member->memberIsDisplay == 1);
    CB_MemberQueryDisplay->setChecked(member->memberQueryDisplay == 1);
    Edt_MemberComment->setText(ToQ(member->memberComment));
}

void TUpdateMemberForm::Store(const TMember& member) { TMemberDAO().UpdateMember(member); }

QString TUpdateMemberForm::StoredText() const { return QStringLiteral("类成员属性更新成功!"); }

} // namespace quorrel
