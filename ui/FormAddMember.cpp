#include "ui/FormAddMember.h"

#include "model/MemberDAO.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace quorrel {

TAddMemberForm::TAddMemberForm(TFormMain& owner)
    : TMemberForm(owner, QStringLiteral("添加成员属性"), QSize(389, 331), /*keyTypeChecked=*/true) {
    setObjectName(QStringLiteral("FormAddMember"));
    CB_MemberQueryDisplay->setChecked(true);
    FormCreate();
}

void TAddMemberForm::FormCreate() {
    Edt_MemberName->clear();
    FillTypeList();
    CB_MemberType->setCurrentIndex(0);
}

void TAddMemberForm::Store(const TMember& member) { TMemberDAO().AddMember(member); }

QString TAddMemberForm::StoredText() const { return QStringLiteral("类成员属性添加成功!"); }

} // namespace quorrel
