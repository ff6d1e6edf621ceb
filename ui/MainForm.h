#pragma once
#include "base/Folders.h"
#include "base/RunReporter.h"

#include <QMainWindow>

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QTableWidget;
class QThread;
class QTimer;

namespace quorrel {

class Banner;
class GuiRunReporter;
class Opener;
class Prompts;
class SchemaReader;

// The main window: the project selector, the class list, the member table,
// the progress log and every command of the program.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    static const char* const kCaption;
    static constexpr int kClientWidth = 770;
    static constexpr int kClientHeight = 547;
    static constexpr int kHomePageDelayMs = 5000;

    TFormMain(TFolders folders, Prompts& prompts, Opener& opener, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Reloads the project selector, the class list and the member table.
    void FillProjectList();
    // Reloads the class list of a project and shows the first class's members.
    void FillClassList(int projectId);
    // Reloads the member table of a class.
    void FillMemberTable(int classId);

    // The current selections, read by the dialogs.
    std::optional<int> SelectedProjectId() const;
    QString SelectedProjectName() const;
    std::optional<int> SelectedClassId() const;
    QString SelectedClassName() const;
    void SetSelectedClassName(const QString& name);
    std::optional<int> SelectedMemberId() const;

    int LastProjectIndex() const { return lastProjectIndex_; }
    const QString& TablePrefix() const { return tablePrefix_; }
    int ErrorClassId() const { return errorClassId_; }
    bool IsGenerating() const { return worker_ != nullptr; }
    // The worker thread of the run going on, if any.
    QThread* Worker() const { return worker_; }
    // True once the window is going away: run reports are then dropped.
    bool IsClosing() const { return closing_; }
    const TFolders& Folders() const { return folders_; }
    Prompts& Boxes() const { return prompts_; }

    // Runs one step of a command; a failure ends it with an error box.
    void Guarded(const std::function<void()>& step) const;
    // Shows a dialog modally; tests put their own driver in its place.
    void ShowModal(QDialog& dialog);
    void SetModalRunner(std::function<void(QDialog&)> runner) { modalRunner_ = std::move(runner); }
    // Where the database import reads from; tests put a fake in place of the server.
    void SetSchemaReaderFactory(std::function<std::shared_ptr<SchemaReader>()> factory) {
        schemaReaders_ = std::move(factory);
    }
    // Selects the project of that name, if listed, and shows its classes.
    void SelectProject(const QString& name);

    // Commands, in menu order.
    void F2Click();   // new project
    void N1Click();   // rename project
    void D1Click();   // delete project
    void I1Click();   // import a project from a database
    void A2Click();   // add class
    void N2Click();   // update class
    void S1Click();   // delete class
    void M1Click();   // add member
    void N3Click();   // update member
    void C1Click();   // delete member
    void N4Click();   // table prefix
    void sql1Click(); // MySQL script
    void A1Click();   // generate project
    void V1Click();   // preview the run's changes, and start it from there
    void About1Click(); // version and folders

    // Selection handlers.
    void CB_ProjectChange();
    void LB_ObjectClick();
    void LB_ObjectDblClick();
    void LV_MemberDblClick();

    void Image1Click();
    void Timer1Timer();

    // What a generation run reports, delivered on the GUI thread.
    void RunLine(const QString& line);
    void RunCheckFailed(int classId, const QString& className, ModelCheck check);
    void RunFinished();
    void RunFailed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, void (TFormMain::*handler)());
    void ClearMembers();
    void OpenHomePage();
    void RunEnded();
    // Starts the generation run of a project on the worker thread.
    void StartRun(int projectId, const QString& projectName, bool overwriteEdited);

    TFolders folders_;
    Prompts& prompts_;
    Opener& opener_;
    std::function<void(QDialog&)> modalRunner_;
    std::function<std::shared_ptr<SchemaReader>()> schemaReaders_;

    int lastProjectIndex_ = -1;
    QString tablePrefix_ = QStringLiteral("php_");
    std::string runProjectName_;  // the project of the current or last run
    int errorClassId_ = 0;

    Banner* Image1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* CB_Project = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* LB_Object = nullptr;
    QTableWidget* LV_Member = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPlainTextEdit* Memo_State = nullptr;
    QTimer* Timer1 = nullptr;

    // Set while the window fills its lists, so that the class list's
    // selection handler runs only for the user's own choices.
    bool filling_ = false;
    bool closing_ = false;

    std::unique_ptr<GuiRunReporter> reporter_;
    QThread* worker_ = nullptr;
};

} // namespace quorrel
