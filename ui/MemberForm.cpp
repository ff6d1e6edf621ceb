#include "ui/MemberForm.h"

#include "model/ModelValidator.h"
#include "model/ClassDAO.h"
#include "model/MemberDAO.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorrel {
namespace {

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedWidth(81);
    return button;
}

} // namespace

TMemberForm::TMemberForm(TFormMain& owner, const QString& caption, QSize clientSize, bool keyTypeChecked)
    : QDialog(&owner), owner_(owner), keyTypeChecked_(keyTypeChecked) {
    setWindowTitle(caption);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("成员名称："));
    Edt_MemberName = MakeEdit(this, "Edt_MemberName", 209);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("成员类型："));
    CB_MemberType = new QComboBox(this);
    CB_MemberType->setObjectName(QStringLiteral("CB_MemberType"));
    CB_MemberType->setEditable(false);
    CB_MemberType->setFixedWidth(209);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("长度： "));
    Edt_MemberLength = MakeEdit(this, "Edt_MemberLength", 81);
    Edt_MemberLength->setText(QStringLiteral("20"));
    Label5 = MakeLabel(this, "Label5", QStringLiteral("(字符串类型有效)     "));
    CB_MemberIsPri = MakeCheckBox(this, "CB_MemberIsPri", QStringLiteral("是否主键"));
    CB_MemberIsMust = MakeCheckBox(this, "CB_MemberIsMust", QStringLiteral("是否必填"));
    CB_QueryFlag = MakeCheckBox(this, "CB_QueryFlag", QStringLiteral("是否参与查询"));
    CB_MemberIsDisplay = MakeCheckBox(this, "CB_MemberIsDisplay", QStringLiteral("下拉框显示字段"));
    CB_MemberQueryDisplay = MakeCheckBox(this, "CB_MemberQueryDisplay", QStringLiteral("查询界面是否显示"));
    Label4 = MakeLabel(this, "Label4", QStringLiteral("成员注释："));
    Edt_MemberComment = MakeEdit(this, "Edt_MemberComment", 209);
    Button1 = MakeButton(this, "Button1", QStringLiteral("确定"));
    Button2 = MakeButton(this, "Button2", QStringLiteral("取消"));
    // Enter presses OK, unless the focus is on 取消, which Enter then presses.
    Button1->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(32, 24, 24, 18);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(14);
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    grid->addWidget(Label1, 0, 0, right);
    grid->addWidget(Edt_MemberName, 0, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(Label2, 1, 0, right);
    grid->addWidget(CB_MemberType, 1, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(Label3, 2, 0, right);
    grid->addWidget(Edt_MemberLength, 2, 1, Qt::AlignLeft);
    grid->addWidget(Label5, 2, 2, Qt::AlignLeft);

    auto* flags1 = new QHBoxLayout;
    flags1->setSpacing(18);
    flags1->addWidget(CB_MemberIsPri);
    flags1->addWidget(CB_MemberIsMust);
    flags1->addWidget(CB_QueryFlag);
    flags1->addStretch(1);
    grid->addLayout(flags1, 3, 0, 1, 3);
    auto* flags2 = new QHBoxLayout;
    flags2->setSpacing(18);
    flags2->addWidget(CB_MemberIsDisplay);
    flags2->addWidget(CB_MemberQueryDisplay);
    flags2->addStretch(1);
    grid->addLayout(flags2, 4, 0, 1, 3);

    grid->addWidget(Label4, 5, 0, right);
    grid->addWidget(Edt_MemberComment, 5, 1, 1, 2, Qt::AlignLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addSpacing(40);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    grid->addLayout(buttons, 6, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(7, 1);

    setFixedSize(sizeHint().expandedTo(clientSize));
    connect(Button1, &QPushButton::clicked, this, [this] { owner_.Guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TMemberForm::FillTypeList() {
    CB_MemberType->clear();
    for (const char* type : {kTypeString, kTypeInteger, kTypeFloat, kTypeDate, kTypeImage})
        CB_MemberType->addItem(QString::fromUtf8(type));
    auto projectId = owner_.SelectedProjectId();
    auto classId = owner_.SelectedClassId();
    if (!projectId || !classId)
        return;
    for (const auto& entry : TClassDAO().GetOtherClassList(*projectId, *classId))
        CB_MemberType->addItem(ToQ(entry.name));
}

bool TMemberForm::CheckInput() const {
    Prompts& boxes = owner_.Boxes();
    const QString name = Edt_MemberName->text();
    const QString type = CB_MemberType->currentIndex() >= 0 ? CB_MemberType->currentText() : QString();
    const std::string nameBytes = ToStd(name);
    if (name.isEmpty()) {
        boxes.Information(QStringLiteral("成员名称输入不能为空!"));
        Edt_MemberName->setFocus();
        return false;
    }
    if (nameBytes.front() < 'a' || nameBytes.front() > 'z') {
        boxes.Information(QStringLiteral("成员属性首个字母必须小写"));
        return false;
    }
    if (IsAlwaysRequired(ToStd(type)) && !CB_MemberIsMust->isChecked()) {
        boxes.Information(type + QStringLiteral("必须勾选是否必填标志!"));
        return false;
    }
    if (keyTypeChecked_ && CB_MemberIsPri->isChecked() && CB_MemberType->currentIndex() >= 2) {
        boxes.Information(QStringLiteral("主键字段必须是整型或字符串型!"));
        return false;
    }
    if (CB_QueryFlag->isChecked() && !IsSearchable(ToStd(type))) {
        boxes.Information(QStringLiteral("参与查询的字段不能是") + type);
        return false;
    }
    return true;
}

void TMemberForm::Button1Click() {
    if (!CheckInput())
        return;
    const QString type = CB_MemberType->currentIndex() >= 0 ? CB_MemberType->currentText() : QString();
    // A member whose class was deleted has no entry in the type list; saving
    // it would wipe its stored type.
    if (type.isEmpty()) {
        owner_.Boxes().Information(QStringLiteral("请选择成员类型!"));
        return;
    }

    TMember member;  // texts empty, numbers 0, memberQueryDisplay 1
    if (auto id = MemberId())
        member.memberId = *id;
    member.projectId = owner_.SelectedProjectId().value_or(0);
    member.classId = owner_.SelectedClassId().value_or(0);
    member.memberName = ToStd(Edt_MemberName->text());
    member.memberType = ToStd(type);
    if (type == QString::fromUtf8(kTypeString)) {
        bool ok = false;
        member.memberLength = Edt_MemberLength->text().toInt(&ok);
        if (!ok) {
            owner_.Boxes().Information(QStringLiteral("长度必须是整数!"));
            return;
        }
        if (member.memberLength < 0 || member.memberLength > kMaxTextLength) {
            owner_.Boxes().Information(QStringLiteral("长度必须在0到%1之间!").arg(kMaxTextLength));
            return;
        }
    }
    if (CB_MemberIsPri->isChecked())
        member.memberIsPri = 1;
    if (type == QString::fromUtf8(kTypeInteger))
        member.memberIsInteger = 1;
    if (type == QString::fromUtf8(kTypeFloat))
        member.memberIsFloat = 1;
    if (CB_MemberIsMust->isChecked())
        member.memberIsMust = 1;
    if (CB_QueryFlag->isChecked())
        member.queryFlag = 1;
    if (CB_MemberIsDisplay->isChecked())
        member.memberIsDisplay = 1;
    if (!CB_MemberQueryDisplay->isChecked())
        member.memberQueryDisplay = 0;
    member.memberComment = ToStd(Edt_MemberComment->text());
    // The model's rules for names and texts, beside the other members of the class.
    std::vector<std::string> others;
    TRowSet rows = TMemberDAO().QueryMembers(member.classId);
    for (rows.First(); !rows.Eof(); rows.Next())
        if (!MemberId() || rows.FieldInt("memberId") != *MemberId())
            others.push_back(rows.FieldString("memberName"));
    if (auto problem = ModelValidator::MemberProblem(ToStd(owner_.SelectedClassName()), member, others)) {
        owner_.Boxes().Information(ToQ(*problem));
        return;
    }
    Store(member);
    if (auto classId = owner_.SelectedClassId())
        owner_.FillMemberTable(*classId);
    owner_.Boxes().Information(StoredText());
    accept();
}

void TMemberForm::Button2Click() { reject(); }

} // namespace quorrel
