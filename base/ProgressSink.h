#pragma once
#include "base/ReportLine.h"

namespace quorrel {

// Receives the log lines of a run, in order, each with its severity.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void AddLine(const ReportLine& line) = 0;
};

} // namespace quorrel
