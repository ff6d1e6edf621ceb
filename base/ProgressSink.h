#pragma once
#include <string>

namespace quorrel {

// Receives the progress log lines of a generation run, in order.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void AddLine(const std::string& line) = 0;
};

} // namespace quorrel
