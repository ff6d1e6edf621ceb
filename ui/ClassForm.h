#pragma once
#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorrel {

class TFormMain;

// What the add-class and update-class dialogs share: the two names, the
// OK button and the main window they act on.
class TClassForm : public QDialog {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;
    QLineEdit* Edt_ClassName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edt_FriendName = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    TClassForm(TFormMain& owner, const QString& caption, const QString& classLabel, const QString& friendLabel,
               QSize clientSize);

    // Validates and stores; the first failed check leaves the dialog open.
    virtual void Button1Click() = 0;

    // True when the first byte of the name is an ASCII capital.
    static bool StartsWithCapital(const QString& name);
    // The model's rules for a class's names (ModelValidator), beside the
    // other classes of the selected project (all of them but the class being
    // edited) and the main window's table prefix; false after the broken
    // rule has been shown.
    bool KeepsModelRules(int projectId, const QString& className, const QString& friendName,
                         std::optional<int> editedClassId) const;

    TFormMain& owner_;
};

} // namespace quorrel
