#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace quorrel {

// A resource template with its places ("$sqlString", "$dbprefix", …)
// replaced in one pass from left to right: text put in for one place is
// never searched for places again, so a model text that happens to hold
// the name of a place stays as it is.
std::string FillTemplate(std::string_view text,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> places);

} // namespace quorrel
