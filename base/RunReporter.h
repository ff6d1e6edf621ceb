#pragma once
#include "base/ModelCheck.h"
#include "base/ProgressSink.h"

#include <cstddef>
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

    // One more file of the run is written (a resource folder copied counts
    // as one): `done` of the `total` the run writes, and the file's path
    // relative to the data folder. Called before the file's progress line.
    virtual void Progress(std::size_t /*done*/, std::size_t /*total*/, const std::string& /*file*/) {}
    // Read by the run before each file; once true, the run ends after the
    // file being written. May be called from the run's own thread at any
    // time, so an implementation reads a flag and does nothing else.
    virtual bool StopRequested() const { return false; }
    // The run ended because a stop was asked for, after `written` files; its
    // last progress line says so. What was written stays.
    virtual void Stopped(std::size_t /*written*/) {}
};

} // namespace quorrel
