#pragma once
#include "ui/ClassForm.h"

namespace quorrel {

// Changes the names of the class selected in the main window.
class TUpdateClassForm : public TClassForm {
    Q_OBJECT
public:
    explicit TUpdateClassForm(TFormMain& owner);

    void SetClassId(int classId) { classId_ = classId; }
    // Fills the two names when the dialog is shown.
    void FormShow();
    void Button1Click() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int classId_ = 0;
};

} // namespace quorrel
