#pragma once
#include "model/Member.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorrel {

class TFormMain;

// What the add-member and update-member dialogs share: the controls, the
// type list, the input checks and the record they build from the controls.
class TMemberForm : public QDialog {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;
    QLineEdit* Edt_MemberName = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* CB_MemberType = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edt_MemberLength = nullptr;
    QLabel* Label5 = nullptr;
    QCheckBox* CB_MemberIsPri = nullptr;
    QCheckBox* CB_MemberIsMust = nullptr;
    QCheckBox* CB_QueryFlag = nullptr;
    QCheckBox* CB_MemberIsDisplay = nullptr;
    QCheckBox* CB_MemberQueryDisplay = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edt_MemberComment = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Validates and stores; the first failed check leaves the dialog open.
    void Button1Click();
    // Closes without storing.
    void Button2Click();

protected:
    TMemberForm(TFormMain& owner, const QString& caption, QSize clientSize, bool keyTypeChecked);

    // The five basic types, then the other classes of the selected project.
    void FillTypeList();
    // Stores the record in the model.
    virtual void Store(const TMember& member) = 0;
    // The text that reports the stored record.
    virtual QString StoredText() const = 0;
    // The member id of the stored record; the add dialog leaves it to the database.
    virtual std::optional<int> MemberId() const { return std::nullopt; }

    TFormMain& owner_;

private:
    // Runs the input checks in order; false after the first failure has been reported.
    bool CheckInput() const;

    const bool keyTypeChecked_;
};

} // namespace quorrel
