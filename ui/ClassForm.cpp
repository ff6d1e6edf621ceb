#include "ui/ClassForm.h"

#include "model/ModelValidator.h"
#include "model/ClassDAO.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorrel {

TClassForm::TClassForm(TFormMain& owner, const QString& caption, const QString& classLabel,
                       const QString& friendLabel, QSize clientSize)
    : QDialog(&owner), owner_(owner) {
    setWindowTitle(caption);

    Label1 = new QLabel(classLabel, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edt_ClassName = new QLineEdit(this);
    Edt_ClassName->setObjectName(QStringLiteral("Edt_ClassName"));
    Edt_ClassName->setFixedWidth(137);
    Label2 = new QLabel(friendLabel, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edt_FriendName = new QLineEdit(this);
    Edt_FriendName->setObjectName(QStringLiteral("Edt_FriendName"));
    Edt_FriendName->setFixedWidth(137);
    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedWidth(113);
    // Enter in either name box presses OK.
    Button1->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 24, 16, 20);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(28);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edt_ClassName, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edt_FriendName, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);

    setFixedSize(sizeHint().expandedTo(clientSize));
    connect(Button1, &QPushButton::clicked, this, [this] { owner_.Guarded([this] { Button1Click(); }); });
}

bool TClassForm::StartsWithCapital(const QString& name) {
    const std::string bytes = ToStd(name);
    return !bytes.empty() && bytes.front() >= 'A' && bytes.front() <= 'Z';
}

bool TClassForm::KeepsModelRules(int projectId, const QString& className, const QString& friendName,
                                 std::optional<int> editedClassId) const {
    std::vector<std::string> others;
    for (const auto& entry : TClassDAO().GetClassList(projectId))
        if (entry.id != editedClassId)
            others.push_back(entry.name);
    const auto problem =
        ModelValidator::ClassProblem(ToStd(className), ToStd(friendName), others, ToStd(owner_.TablePrefix()));
    if (!problem)
        return true;
    owner_.Boxes().Information(ToQ(*problem));
    return false;
}

} // namespace quorrel
