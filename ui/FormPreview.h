#pragma once
#include "ui/BackgroundTask.h"
#include "base/Folders.h"
#include "generation/RunPlan.h"

#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quorrel {

class DiffHighlighter;

// Shows what a generation run would do with each file of the site before
// anything is written: the files grouped by status with their counts, and
// the differences of the selected file with added and removed lines
// coloured. The run can be started from here, with or without overwriting
// the files the user edited. The plan and each difference are computed by a
// preview run on a worker thread, which touches no widget: the dialog reads
// its results once the thread has finished.
class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    TPreviewForm(QWidget* owner, TFolders folders, int projectId, QString projectName, QString tablePrefix);
    ~TPreviewForm() override;

    // Set when the user chose to start the run (the dialog is then accepted).
    bool StartRequested() const { return startRequested_; }
    bool OverwriteEdited() const;
    // A plan or a difference is being computed.
    bool IsBusy() const { return task_->IsBusy(); }
    // The plan shown, once computed.
    const RunPlan* Plan() const { return plan_.get(); }

    QLabel* Lbl_Summary = nullptr;
    QLabel* Lbl_Warnings = nullptr;
    QTreeWidget* TV_Plan = nullptr;
    QPlainTextEdit* Memo_Diff = nullptr;
    QCheckBox* CB_Overwrite = nullptr;
    QPushButton* Btn_Run = nullptr;
    QPushButton* Btn_Close = nullptr;

    // The captions of the statuses, as the list and the counts show them.
    static QString StatusCaption(FileStatus status);

private:
    struct Job;

    void StartJob(std::string diffPath);
    void JobEnded();
    void ShowPlan(const Job& job);
    void ShowDiff(const Job& job);
    void SelectionChanged();
    void RunClicked();

    TFolders folders_;
    int projectId_;
    QString projectName_;
    QString tablePrefix_;
    std::shared_ptr<const RunPlan> plan_;
    DiffHighlighter* highlighter_ = nullptr;
    TBackgroundTask* task_ = new TBackgroundTask(QStringLiteral("Preview"), this);
    std::shared_ptr<Job> job_;
    std::string pendingDiff_;  // the file selected while a job was running
    bool startRequested_ = false;
};

} // namespace quorrel
