#pragma once
#include "ui/BackgroundTask.h"
#include "base/Folders.h"
#include "base/RunReporter.h"

#include <QMainWindow>
#include <QStringList>

#include <cstddef>
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
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;
class QTimer;

namespace quorrel {

class Banner;
class GuiRunReporter;
class MigrationService;
class Opener;
struct RunReport;
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
    // Warnings of a run quoted in its completion box; the log holds them all.
    static constexpr int kWarningsInBox = 3;

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
    bool IsGenerating() const { return runTask_->IsBusy(); }
    // The worker thread of the run going on, if any.
    QThread* Worker() const { return runTask_->Thread(); }
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
    // Where the database change connects to; tests put a fake in place of the server.
    void SetMigrationServiceFactory(std::function<std::shared_ptr<MigrationService>()> factory) {
        migrationServices_ = std::move(factory);
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
    void D2Click();   // change the site's database to the model
    void About1Click(); // version and folders
    // Stops the run going on after the file being written (the 停止 button
    // and Esc).
    void StopRun();

    // Selection handlers.
    void CB_ProjectChange();
    void LB_ObjectClick();
    void LB_ObjectDblClick();
    void LV_MemberDblClick();

    void Image1Click();
    void Timer1Timer();

    // What a generation run reports, delivered on the GUI thread. A line is
    // its text with its severity; the log shows it rendered, warnings in red.
    void RunLine(Severity severity, const QString& text);
    void RunCheckFailed(int classId, const QString& className, ModelCheck check);
    void RunFinished();
    void RunFailed(const QString& message);
    void RunStopped(std::size_t written);
    // Takes up to `most` reports the run has queued and shows them: lines in
    // the log, the count on the progress bar. Asks itself again while more
    // are waiting, so the event loop turns between batches.
    void FetchRunReports(std::size_t most);
    // Called on the worker thread after each file of later runs is counted;
    // tests hold a run there.
    void SetRunProgressHook(std::function<void(std::size_t done)> hook) { progressHook_ = std::move(hook); }
    // The warning lines of the current or last run, in order.
    const QStringList& RunWarnings() const { return runWarnings_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, void (TFormMain::*handler)());
    void ClearMembers();
    void OpenHomePage();
    // Opens a folder or an address; when the desktop cannot, a box says so
    // with the path to copy.
    void OpenOrSay(const QUrl& url, const QString& what);
    void RunEnded();
    // Starts the generation run of a project on the worker thread.
    void StartRun(int projectId, const QString& projectName, bool overwriteEdited);
    // Shows lines in the log (reports of Kind::Line), each stretch of
    // warnings in red and kept for the box at the end of the run.
    void AppendLogLines(const std::vector<RunReport>& lines);
    void ShowProgress(const RunReport& report);
    void ShowWaitingProgress();
    // The progress bar, the file's name and the stop button, shown during a run.
    void ShowRunControls(bool shown);
    void UpdateStartHint();
    void RestoreGeometry();
    void SaveGeometry() const;

    TFolders folders_;
    Prompts& prompts_;
    Opener& opener_;
    std::function<void(QDialog&)> modalRunner_;
    std::function<std::shared_ptr<SchemaReader>()> schemaReaders_;
    std::function<std::shared_ptr<MigrationService>()> migrationServices_;

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
    QProgressBar* PB_Progress = nullptr;
    QLabel* Label_File = nullptr;
    QPushButton* Btn_Stop = nullptr;
    QLabel* Label_Start = nullptr;  // how to begin, over the empty class list
    QTimer* Timer1 = nullptr;

    // Set while the window fills its lists, so that the class list's
    // selection handler runs only for the user's own choices.
    bool filling_ = false;
    bool closing_ = false;
    // The user chose to close the window during a run: it closes once the
    // run has stopped.
    bool closeAfterRun_ = false;
    // The close question is open; a run that ends meanwhile holds its box.
    bool askingToClose_ = false;
    struct HeldRunEnd {
        std::function<void()> show;
        bool failure = false;
    };
    HeldRunEnd heldRunEnd_;
    QStringList runWarnings_;
    // The count last reported, shown at most every kProgressIntervalMs.
    static constexpr int kProgressIntervalMs = 40;
    QTimer* progressTimer_ = nullptr;
    std::size_t progressDone_ = 0;
    std::size_t progressTotal_ = 0;
    QString progressFile_;
    bool progressWaiting_ = false;
    std::function<void(std::size_t)> progressHook_;

    std::unique_ptr<GuiRunReporter> reporter_;
    TBackgroundTask* runTask_;
};

} // namespace quorrel
