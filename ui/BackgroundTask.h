#pragma once
#include <QObject>
#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

class QThread;

namespace quorrel {

// Runs one function at a time on a thread of its own. When the function
// returns, its result goes to a callback on the thread the task belongs to
// (the GUI thread), through the event queue; when it throws, the exception's
// text goes to another callback there instead. The task is busy from Run
// until just before that callback; its destructor waits for a function that
// is still running, so no callback reaches an owner that is gone.
class TBackgroundTask : public QObject {
    Q_OBJECT
public:
    // threadName names each thread started, for debuggers.
    explicit TBackgroundTask(QString threadName, QObject* parent = nullptr);
    ~TBackgroundTask() override;

    using Failure = std::function<void(const QString& message)>;

    // True from Run until the callback is called.
    bool IsBusy() const { return thread_ != nullptr; }
    // The thread of the function that is running, if any (for tests).
    QThread* Thread() const { return thread_; }
    // Waits for the running function and drops its result: for an owner
    // that goes away and must not be called any more.
    void Abandon();

    // Calls work() on a new thread, then done(result) (done() for a work
    // that returns nothing) or failed(message) on this task's thread.
    // Does nothing while busy.
    template <typename Work, typename Done>
    void Run(Work work, Done done, Failure failed);

private:
    // work runs on the thread and returns what runs here afterwards.
    void RunThen(std::function<std::function<void()>()> work, Failure failed);
    // Back on this task's thread: lets the thread go, then calls then.
    void Finish(const std::function<void()>& then);

    QString threadName_;
    QThread* thread_ = nullptr;
    bool abandoned_ = false;  // the result on its way is dropped
};

template <typename Work, typename Done>
void TBackgroundTask::Run(Work work, Done done, Failure failed) {
    RunThen(
        [work = std::move(work), done = std::move(done)]() mutable -> std::function<void()> {
            if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
                work();
                return done;
            } else {
                return [done, result = work()]() mutable { done(std::move(result)); };
            }
        },
        std::move(failed));
}

} // namespace quorrel
