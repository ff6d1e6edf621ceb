#pragma once
#include "base/OutputTree.h"
#include "base/RunReporter.h"

#include <cstddef>
#include <string>

namespace quorrel {

// Counts the files of one generation run as they are written and ends the
// run between two files once a stop is asked for. The generators write
// through it as through any output tree; the run's own copies call Begin
// before and Done after each file or folder.
class RunProgress : public OutputTree {
public:
    // Thrown by Begin when the reporter asks the run to stop: the run ends
    // without starting the next file. Not an error, so not a std::exception.
    struct Stopped {};

    RunProgress(OutputTree& out, RunReporter& reporter, std::size_t total);

    // Begin, the write, then Done with the file's path.
    void Write(const std::string& relativePath, const std::string& text) override;
    // Throws Stopped when a stop has been asked for.
    void Begin() const;
    // One more file written: counts it and reports it.
    void Done(const std::string& relativePath);

    std::size_t Written() const { return written_; }
    std::size_t Total() const { return total_; }

private:
    OutputTree& out_;
    RunReporter& reporter_;
    std::size_t total_;
    std::size_t written_ = 0;
};

} // namespace quorrel
