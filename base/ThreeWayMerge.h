#pragma once
#include <string>

namespace quorrel {

// A three-way merge of texts with diffutils' diff3, line by line: the
// changes from base to ours and from base to theirs both applied, the same
// change on both sides once. Where different changes touch the same or
// adjacent lines, the text holds both between conflict markers labelled with
// the names of the two sides.
struct TMergeResult {
    std::string text;
    bool conflicts = false;
};

struct TMergeLabels {
    std::string ours, base, theirs;
};

// Raises quorrel::Error when diff3 cannot be run or reports trouble
// (a binary input, a missing program).
TMergeResult MergeThreeWay(const std::string& ours, const std::string& base, const std::string& theirs,
                           const TMergeLabels& labels);

} // namespace quorrel
