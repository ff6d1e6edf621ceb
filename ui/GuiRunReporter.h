#pragma once
#include "base/RunReporter.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace quorrel {

class TFormMain;

// One report of a run waiting for the GUI thread: a log line with its
// severity, or the count of files written with the last file's path.
struct RunReport {
    enum class Kind { Line, Progress };
    Kind kind = Kind::Line;
    Severity severity = Severity::Progress;  // of a line
    QString text;  // the line as the log shows it (rendered), or the file's path
    std::size_t done = 0;
    std::size_t total = 0;
};

// Hands what a generation worker reports to the main window on the GUI
// thread. Progress lines and counts are queued in order and fetched by the
// window in bounded batches, so a fast run never keeps the event loop busy
// for long; check failures, the end of the run and failures make the
// worker wait until the window has handled them (its box is closed).
class GuiRunReporter : public RunReporter {
public:
    // Reports taken by the window in one turn of its event loop.
    static constexpr std::size_t kBatch = 200;

    explicit GuiRunReporter(TFormMain& form) : form_(form) {}

    void AddLine(const ReportLine& line) override;
    void CheckFailed(int classId, const std::string& className, ModelCheck check) override;
    void Finished() override;
    void Failed(const std::string& message) override;
    void Progress(std::size_t done, std::size_t total, const std::string& file) override;
    bool StopRequested() const override { return stop_.load(); }
    void Stopped(std::size_t written) override;

    // Asks the run to stop after the file being written (any thread).
    void RequestStop() { stop_.store(true); }
    // GUI thread, when the window goes away during a run: the worker no
    // longer waits for the window, and what it still reports is dropped
    // with the window's posted events.
    void Detach();

    // GUI thread: up to `most` waiting reports, oldest first. `more` tells
    // whether reports are still waiting; when none are, the next report asks
    // the window to fetch again.
    std::vector<RunReport> Take(std::size_t most, bool& more);

    // Called on the worker thread after each file is counted, before the
    // window hears of it; tests hold the run there.
    void SetProgressHook(std::function<void(std::size_t done)> hook) { progressHook_ = std::move(hook); }

private:
    void Queue(RunReport report);
    // Worker thread: waits until the window has taken every waiting report,
    // so that the end of a run never hands it one large batch at once.
    void WaitUntilTaken();
    // Worker thread: runs fn on the window's thread and waits until it has
    // (or until the reporter is detached).
    template <class Fn>
    void RunAndWait(Fn fn);

    TFormMain& form_;
    std::atomic<bool> stop_{false};
    std::function<void(std::size_t)> progressHook_;

    std::mutex mutex_;
    std::condition_variable taken_;
    std::deque<RunReport> waiting_;
    bool fetchAsked_ = false;  // a fetch is on its way to the window
    bool detached_ = false;    // the window is going away
};

} // namespace quorrel
