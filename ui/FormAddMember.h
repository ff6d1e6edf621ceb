#pragma once
#include "ui/MemberForm.h"

namespace quorrel {

// Adds a member to the class selected in the main window.
class TAddMemberForm : public TMemberForm {
    Q_OBJECT
public:
    explicit TAddMemberForm(TFormMain& owner);

protected:
    void Store(const TMember& member) override;
    QString StoredText() const override;

private:
    void FormCreate();
};

} // namespace quorrel
