#pragma once
#include "ui/ClassForm.h"

namespace quorrel {

// Adds a class to the project selected in the main window.
class TAddClassForm : public TClassForm {
    Q_OBJECT
public:
    explicit TAddClassForm(TFormMain& owner);

    void Button1Click() override;
};

} // namespace quorrel
