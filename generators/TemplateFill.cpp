#include "generators/TemplateFill.h"

namespace quorrel {

std::string FillTemplate(std::string_view text,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> places) {
    std::string filled;
    filled.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        // The place that starts here, the longest when several do.
        const std::pair<std::string_view, std::string_view>* found = nullptr;
        for (const auto& place : places)
            if (!place.first.empty() && text.substr(at, place.first.size()) == place.first &&
                (!found || place.first.size() > found->first.size()))
                found = &place;
        if (found) {
            filled.append(found->second);
            at += found->first.size();
        } else {
            filled += text[at++];
        }
    }
    return filled;
}

} // namespace quorrel
