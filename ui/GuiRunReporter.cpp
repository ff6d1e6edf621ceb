#include "ui/GuiRunReporter.h"

#include "ui/Convert.h"
#include "ui/MainForm.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>

namespace quorrel {
void GuiRunReporter::Queue(RunReport report) {
    bool ask = false;
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(report));
        ask = !fetchAsked_;
        fetchAsked_ = true;
    }
    if (ask) {
        TFormMain* form = &form_;
        QMetaObject::invokeMethod(form, [form] { form->FetchRunReports(kBatch); }, Qt::QueuedConnection);
    }
}

std::vector<RunReport> GuiRunReporter::Take(std::size_t most, bool& more) {
    std::lock_guard lock(mutex_);
    const std::size_t count = std::min(most, waiting_.size());
    std::vector<RunReport> taken(std::make_move_iterator(waiting_.begin()),
                                 std::make_move_iterator(waiting_.begin() + static_cast<std::ptrdiff_t>(count)));
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
    more = !waiting_.empty();
    // With nothing left the next report asks again; with reports left the
    // window asks itself.
    fetchAsked_ = more;
    if (!more)
        taken_.notify_all();
    return taken;
}

void GuiRunReporter::WaitUntilTaken() {
    if (QThread::currentThread() == form_.thread())
        return;
    std::unique_lock lock(mutex_);
    taken_.wait(lock, [this] { return waiting_.empty() || detached_; });
}

template <class Fn>
void GuiRunReporter::RunAndWait(Fn fn) {
    // The window first takes every report still waiting, so its log is
    // complete before any box appears.
    TFormMain* form = &form_;
    auto withLog = [form, fn] {
        form->FetchRunReports(static_cast<std::size_t>(-1));
        fn();
    };
    if (QThread::currentThread() == form_.thread()) {
        withLog();
        return;
    }
    // Posted to the window, and waited for on a condition that Detach also
    // ends: a window being destroyed never has to serve the worker.
    auto handled = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        form,
        [this, withLog, handled] {
            withLog();
            {
                std::lock_guard lock(mutex_);
                *handled = true;
            }
            taken_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    taken_.wait(lock, [&] { return *handled || detached_; });
}

void GuiRunReporter::Detach() {
    {
        std::lock_guard lock(mutex_);
        detached_ = true;
    }
    taken_.notify_all();
}

void GuiRunReporter::AddLine(const ReportLine& line) {
    Queue({RunReport::Kind::Line, line.severity, ToQ(line.Rendered()), 0, 0});
}

void GuiRunReporter::Progress(std::size_t done, std::size_t total, const std::string& file) {
    if (progressHook_)
        progressHook_(done);
    Queue({RunReport::Kind::Progress, Severity::Progress, ToQ(file), done, total});
}

void GuiRunReporter::CheckFailed(int classId, const std::string& className, ModelCheck check) {
    WaitUntilTaken();
    QString name = ToQ(className);
    TFormMain* form = &form_;
    RunAndWait([form, classId, name, check] { form->RunCheckFailed(classId, name, check); });
}

void GuiRunReporter::Finished() {
    WaitUntilTaken();
    TFormMain* form = &form_;
    RunAndWait([form] { form->RunFinished(); });
}

void GuiRunReporter::Failed(const std::string& message) {
    WaitUntilTaken();
    QString text = ToQ(message);
    TFormMain* form = &form_;
    RunAndWait([form, text] { form->RunFailed(text); });
}

void GuiRunReporter::Stopped(std::size_t written) {
    WaitUntilTaken();
    TFormMain* form = &form_;
    RunAndWait([form, written] { form->RunStopped(written); });
}

} // namespace quorrel
