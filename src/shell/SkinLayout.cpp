#include "shell/SkinLayout.h"

namespace krm {

Placement& SkinLayout::at(std::string_view name) {
    auto it = placements_.find(std::string(name));
    if (it != placements_.end()) return it->second;
    return placements_.emplace(std::string(name), Placement{}).first->second;
}

const Placement* SkinLayout::find(std::string_view name) const {
    auto it = placements_.find(std::string(name));
    return it == placements_.end() ? nullptr : &it->second;
}

int SkinLayout::fontSize(std::string_view key) const {
    auto it = sizes_.find(std::string(key));
    return it == sizes_.end() ? 0 : it->second;
}

SkinColour SkinLayout::colour(std::string_view family) const {
    auto it = colours_.find(std::string(family));
    return it == colours_.end() ? 0 : it->second;
}

} // namespace krm
