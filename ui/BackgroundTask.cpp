#include "ui/BackgroundTask.h"

#include <QMetaObject>
#include <QThread>

#include <exception>
#include <utility>

namespace quorrel {

TBackgroundTask::TBackgroundTask(QString threadName, QObject* parent)
    : QObject(parent), threadName_(std::move(threadName)) {}

TBackgroundTask::~TBackgroundTask() {
    // The function may still use what its owner handed it; a result posted
    // meanwhile goes with this object, uncalled.
    Abandon();
}

void TBackgroundTask::Abandon() {
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    abandoned_ = true;
}

void TBackgroundTask::RunThen(std::function<std::function<void()>()> work, Failure failed) {
    if (IsBusy())
        return;
    thread_ = QThread::create([this, work = std::move(work), failed = std::move(failed)] {
        std::function<void()> then;
        try {
            then = work();
        } catch (const std::exception& e) {
            const QString message = QString::fromUtf8(e.what());
            then = [failed, message] { failed(message); };
        }
        QMetaObject::invokeMethod(this, [this, then = std::move(then)] { Finish(then); }, Qt::QueuedConnection);
    });
    thread_->setObjectName(threadName_);
    thread_->start();
}

void TBackgroundTask::Finish(const std::function<void()>& then) {
    if (std::exchange(abandoned_, false))
        return;
    // The thread has posted this as its last step; waiting ends at once.
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    then();
}

} // namespace quorrel
