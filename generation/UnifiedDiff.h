#pragma once
#include <optional>
#include <string>

namespace quorrel {

// The unified difference of two versions of a file, made by the system's
// diff program (GNU diffutils) on copies of the two texts in a temporary
// folder, so that every kind of text and line end is compared as diff does.
class UnifiedDiff {
public:
    UnifiedDiff() = delete;

    // The differences from before to after, with three lines of context, the
    // two versions named by their labels; empty when the bytes are equal.
    // A missing before (no file yet) compares as an empty file. Raises
    // quorrel::Error when diff is missing or fails.
    static std::string Between(const std::optional<std::string>& before, const std::string& after,
                               const std::string& beforeLabel, const std::string& afterLabel);
};

} // namespace quorrel
