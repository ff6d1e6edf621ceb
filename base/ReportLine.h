#pragma once
#include <string>
#include <utility>

namespace quorrel {

// How much a reported line asks of the reader: a step done, something the
// user should look at, or the end of a run that failed.
enum class Severity { Progress, Warning, Error };

// One line a run, an import or a migration reports. The core gives the
// text without any mark of its severity; a front end reads the severity and
// shows the line through Rendered.
struct ReportLine {
    Severity severity = Severity::Progress;
    std::string text;

    static ReportLine Progress(std::string text) { return {Severity::Progress, std::move(text)}; }
    static ReportLine Warning(std::string text) { return {Severity::Warning, std::move(text)}; }
    static ReportLine Error(std::string text) { return {Severity::Error, std::move(text)}; }

    // The line as a log, a file or a console shows it: a warning begins
    // with "警告：", every other line is its text.
    std::string Rendered() const;
};

} // namespace quorrel
