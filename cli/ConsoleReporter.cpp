#include "cli/ConsoleReporter.h"

#include "model/ModelValidator.h"

#include <iostream>

namespace quorrel {

void ConsoleReporter::AddLine(const ReportLine& line) {
    if (!warningsOnly_)
        std::cout << line.Rendered() << std::endl;
    else if (line.severity == Severity::Warning)
        std::cerr << line.Rendered() << std::endl;
}

void ConsoleReporter::CheckFailed(int /*classId*/, const std::string& className, ModelCheck check) {
    std::cerr << ModelValidator::CheckFailedText(className, check) << std::endl;
    outcome_ = Outcome::CheckFailed;
}

void ConsoleReporter::Finished() {
    outcome_ = Outcome::Finished;
}

void ConsoleReporter::Stopped(std::size_t /*written*/) {
    // The run's last progress line has said how many files were written.
    outcome_ = Outcome::Stopped;
}

void ConsoleReporter::Failed(const std::string& message) {
    std::cerr << "quorrel-cli: generation failed: " << message << std::endl;
    outcome_ = Outcome::Failed;
}

} // namespace quorrel
