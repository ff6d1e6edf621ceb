#pragma once
#include <string>
#include <vector>

namespace quorrel {

// One entry of a project list or class list: the name with its row id.
struct TListEntry {
    std::string name;
    int id = 0;

    bool operator==(const TListEntry&) const = default;
};

// Ordered as the database returns the rows (ascending id).
using TProjectList = std::vector<TListEntry>;
using TClassList = std::vector<TListEntry>;

} // namespace quorrel
