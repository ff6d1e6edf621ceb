#pragma once
#include "base/ModelCheck.h"
#include "base/ProgressSink.h"

#include <string>

namespace quorrel {

// How a generation run tells its caller what happens. A front end that runs
// the run on a worker thread marshals these calls to its own thread; the
// run waits until each call returns (the GUI returns once its box is closed).
class RunReporter : public ProgressSink {
public:
    // A class failed the key or display check; the run ends without writing.
    virtual void CheckFailed(int classId, const std::string& className, ModelCheck check) = 0;
    // Every file is written and every resource copied.
    virtual void Finished() = 0;
    // The run stopped on an error; what was written stays.
    virtual void Failed(const std::string& message) = 0;
};

} // namespace quorrel
