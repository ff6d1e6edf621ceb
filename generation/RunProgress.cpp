#include "generation/RunProgress.h"

namespace quorrel {

RunProgress::RunProgress(RunPlan& plan, RunReporter& reporter, std::size_t total)
    : plan_(plan), reporter_(reporter), total_(total) {}

void RunProgress::Write(const std::string& sitePath, const std::string& text, const std::string& progressLine) {
    Begin();
    plan_.Write(sitePath, text);
    Done(sitePath);
    reporter_.AddLine(ReportLine::Progress(plan_.LogName(progressLine)));
}

void RunProgress::Begin() const {
    if (reporter_.StopRequested())
        throw Stopped{};
}

void RunProgress::Done(const std::string& sitePath) {
    ++written_;
    reporter_.Progress(written_, total_, plan_.LogName(sitePath));
}

} // namespace quorrel
