#include "generation/RunProgress.h"

namespace quorrel {

RunProgress::RunProgress(OutputTree& out, RunReporter& reporter, std::size_t total)
    : out_(out), reporter_(reporter), total_(total) {}

void RunProgress::Write(const std::string& relativePath, const std::string& text) {
    Begin();
    out_.Write(relativePath, text);
    Done(relativePath);
}

void RunProgress::Begin() const {
    if (reporter_.StopRequested())
        throw Stopped{};
}

void RunProgress::Done(const std::string& relativePath) {
    ++written_;
    reporter_.Progress(written_, total_, relativePath);
}

} // namespace quorrel
