#pragma once
#include "ui/MemberForm.h"

namespace quorrel {

// Changes a stored member of the class selected in the main window.
class TUpdateMemberForm : public TMemberForm {
    Q_OBJECT
public:
    // Fills the controls from the stored member; a member that is gone
    // raises quorrel::Error.
    TUpdateMemberForm(TFormMain& owner, int memberId);

protected:
    void Store(const TMember& member) override;
    QString StoredText() const override;
    std::optional<int> MemberId() const override { return memberId_; }

private:
    void FormCreate();

    int memberId_;
};

} // namespace quorrel
