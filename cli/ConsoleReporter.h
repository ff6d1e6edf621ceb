#pragma once
#include "base/RunReporter.h"

#include <atomic>
#include <string>

namespace quorrel {

// Prints a generation run as it happens: progress lines on standard output,
// failures on standard error. Remembers how the run ended. The run stops
// after the file being written once the flag it is given is set.
class ConsoleReporter : public RunReporter {
public:
    enum class Outcome { Running, Finished, CheckFailed, Failed, Stopped };

    // warningsOnly: for the commands whose standard output is their own
    // (plan, diff), the run's progress lines are dropped and its warning
    // lines go to standard error.
    explicit ConsoleReporter(bool warningsOnly = false, const std::atomic<bool>* stop = nullptr)
        : stop_(stop), warningsOnly_(warningsOnly) {}

    void AddLine(const ReportLine& line) override;
    void CheckFailed(int classId, const std::string& className, ModelCheck check) override;
    void Finished() override;
    void Failed(const std::string& message) override;
    bool StopRequested() const override { return stop_ && stop_->load(); }
    void Stopped(std::size_t written) override;

    Outcome outcome() const { return outcome_; }

private:
    const std::atomic<bool>* stop_ = nullptr;
    Outcome outcome_ = Outcome::Running;
    bool warningsOnly_ = false;
};

} // namespace quorrel
