#include "base/ReportLine.h"

namespace quorrel {

std::string ReportLine::Rendered() const {
    if (severity == Severity::Warning)
        return "警告：" + text;
    return text;
}

} // namespace quorrel
