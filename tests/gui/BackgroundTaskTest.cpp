// The task that runs the database dialogs' jobs: the function on a thread
// of its own, its result or its exception's text back on the GUI thread,
// busy in between, one function at a time, and a destructor that waits for
// a function still running and drops its result.
#include "tests/gui/GuiTestSupport.h"

#include "base/Error.h"
#include "ui/BackgroundTask.h"

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace quorrel::test {
namespace {

bool OnGuiThread() { return QThread::currentThread() == qApp->thread(); }

TEST(BackgroundTask, RunsOnItsThreadAndHandsTheResultToTheGuiThread) {
    TBackgroundTask task(QStringLiteral("Sample"));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    QString workThread;
    bool workOnGui = true;
    std::optional<int> result;
    bool doneOnGui = false;
    bool busyInDone = true;
    task.Run(
        [&, released] {
            workOnGui = OnGuiThread();
            workThread = QThread::currentThread()->objectName();
            released.wait();
            return 42;
        },
        [&](int value) {
            result = value;
            doneOnGui = OnGuiThread();
            busyInDone = task.IsBusy();
        },
        [](const QString& message) { ADD_FAILURE() << message.toStdString(); });
    EXPECT_TRUE(task.IsBusy());
    // A second function waits for none: it is not run at all.
    bool secondRan = false;
    task.Run([&] { secondRan = true; }, [] {}, [](const QString&) {});

    release.set_value();
    ASSERT_TRUE(WaitFor([&] { return !task.IsBusy(); }));
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(workOnGui);
    EXPECT_EQ(workThread, QStringLiteral("Sample"));
    EXPECT_TRUE(doneOnGui);
    EXPECT_FALSE(busyInDone);
    EXPECT_FALSE(secondRan);
}

TEST(BackgroundTask, HandsAnExceptionsTextToTheFailureAndRunsAgainAfterwards) {
    TBackgroundTask task(QStringLiteral("Sample"));
    QString failure;
    bool doneCalled = false;
    task.Run([]() -> int { throw Error("服务器拒绝连接"); }, [&](int) { doneCalled = true; },
             [&](const QString& message) { failure = message; });
    ASSERT_TRUE(WaitFor([&] { return !task.IsBusy(); }));
    EXPECT_EQ(failure, QStringLiteral("服务器拒绝连接"));
    EXPECT_FALSE(doneCalled);

    // A function that returns nothing calls done without an argument.
    bool ran = false;
    task.Run([&] { ran = true; }, [&] { doneCalled = true; }, [](const QString&) {});
    ASSERT_TRUE(WaitFor([&] { return !task.IsBusy(); }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(doneCalled);
}

TEST(BackgroundTask, TheDestructorWaitsForTheRunningFunctionAndDropsItsResult) {
    std::atomic<bool> finished = false;
    bool doneCalled = false;
    std::promise<void> started;
    {
        TBackgroundTask task(QStringLiteral("Sample"));
        task.Run(
            [&] {
                started.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                finished = true;
            },
            [&] { doneCalled = true; }, [](const QString&) {});
        started.get_future().wait();
    }
    EXPECT_TRUE(finished);
    QApplication::processEvents();
    EXPECT_FALSE(doneCalled);
}

} // namespace
} // namespace quorrel::test
