#pragma once
#include "base/RunReporter.h"

namespace quorrel {

class TFormMain;

// Hands what a generation worker reports to the main window on the GUI
// thread. Progress lines are queued in order; check failures, the end of
// the run and failures block the worker until the window has handled them
// (its box is closed).
class GuiRunReporter : public RunReporter {
public:
    explicit GuiRunReporter(TFormMain& form) : form_(form) {}

    void AddLine(const std::string& line) override;
    void CheckFailed(int classId, const std::string& className, ModelCheck check) override;
    void Finished() override;
    void Failed(const std::string& message) override;

private:
    TFormMain& form_;
};

} // namespace quorrel
