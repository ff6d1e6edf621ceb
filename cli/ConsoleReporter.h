#pragma once
#include "base/RunReporter.h"

#include <string>

namespace quorrel {

// Prints a generation run as it happens: progress lines on standard output,
// failures on standard error. Remembers how the run ended.
class ConsoleReporter : public RunReporter {
public:
    enum class Outcome { Running, Finished, CheckFailed, Failed };

    // warningsOnly: for the commands whose standard output is their own
    // (plan, diff), the run's progress lines are dropped and its warning
    // lines go to standard error.
    explicit ConsoleReporter(bool warningsOnly = false) : warningsOnly_(warningsOnly) {}

    void AddLine(const std::string& line) override;
    void CheckFailed(int classId, const std::string& className, ModelCheck check) override;
    void Finished() override;
    void Failed(const std::string& message) override;

    Outcome outcome() const { return outcome_; }

private:
    Outcome outcome_ = Outcome::Running;
    bool warningsOnly_ = false;
};

} // namespace quorrel
