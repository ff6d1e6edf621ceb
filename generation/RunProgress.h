#pragma once
#include "base/OutputTree.h"
#include "base/RunReporter.h"
#include "generation/RunPlan.h"

#include <cstddef>
#include <string>

namespace quorrel {

// The output tree the generators of one run write to: hands each file to
// the run's plan, counts the files as they are written, reports each with
// its progress line (the site's place in front), and ends the run between
// two files once a stop is asked for. The run's own copies call Begin
// before and Done after each file or folder.
class RunProgress : public OutputTree {
public:
    // Thrown by Begin when the reporter asks the run to stop: the run ends
    // without starting the next file. Not an error, so not a std::exception.
    struct Stopped {};

    RunProgress(RunPlan& plan, RunReporter& reporter, std::size_t total);

    // Begin, the write, Done with the file's path, then the progress line.
    void Write(const std::string& sitePath, const std::string& text, const std::string& progressLine) override;
    // Throws Stopped when a stop has been asked for.
    void Begin() const;
    // One more file or folder of the site written: counts it and reports it.
    void Done(const std::string& sitePath);

    std::size_t Written() const { return written_; }
    std::size_t Total() const { return total_; }

private:
    RunPlan& plan_;
    RunReporter& reporter_;
    std::size_t total_;
    std::size_t written_ = 0;
};

} // namespace quorrel
