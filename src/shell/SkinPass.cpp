#include "shell/SkinPass.h"

#include "base/IniFile.h"

#include <cctype>
#include <climits>

namespace krm {

std::string concat(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + b.size());
    out += a;
    out += b;
    return out;
}

std::string concat(std::string_view a, int n, std::string_view b) {
    std::string out(a);
    out += std::to_string(n);
    out += b;
    return out;
}

SkinKeys::SkinKeys(const IniFile& ini, std::string section, SkinLayout& layout)
    : ini_(ini), section_(std::move(section)), layout_(layout) {
    layout_.missing_.clear();
}

std::optional<long> SkinKeys::get(std::string_view key) {
    std::string folded = foldCase(key);
    if (auto value = ini_.integer(section_, key)) {
        layout_.remembered_[folded] = *value;
        return value;
    }
    layout_.missing_.emplace_back(key);
    auto it = layout_.remembered_.find(folded);
    if (it == layout_.remembered_.end()) return std::nullopt;
    return it->second;
}

std::optional<int> SkinKeys::getInt(std::string_view key) {
    auto value = get(key);
    if (!value) return std::nullopt;
    // Pixel values far outside any screen are clamped rather than wrapped.
    if (*value > 1'000'000) return 1'000'000;
    if (*value < -1'000'000) return -1'000'000;
    return static_cast<int>(*value);
}

void SkinKeys::readSize(std::string_view key) {
    if (auto v = getInt(key)) layout_.sizes_[std::string(key)] = *v;
}

void SkinKeys::readColour(std::string_view family) {
    auto r = getInt(concat(family, "_R"));
    auto g = getInt(concat(family, "_G"));
    auto b = getInt(concat(family, "_B"));
    if (r && g && b) layout_.colours_[std::string(family)] = skinColour(*r, *g, *b);
}

Placement& SkinPass::control(std::string_view name, SkinPage page, SkinKind kind, std::string_view parent) {
    Placement& p = layout.at(name);
    p.page = page;
    p.kind = kind;
    if (p.parent != parent) p.parent = parent;
    return p;
}

Placement& SkinPass::picture(std::string_view name, SkinPage page, std::string_view pictureName,
                             std::string_view parent) {
    Placement& p = control(name, page, SkinKind::Picture, parent);
    if (p.picture != pictureName) p.picture = pictureName;
    const PictureSize size = pictures(pictureName);
    p.width = size.width;
    p.height = size.height;
    return p;
}

std::optional<bool> SkinPass::enabled(std::string_view prefix) {
    auto v = keys.get(concat(prefix, "_Enable"));
    if (!v) return std::nullopt;
    return *v == 1;
}

void SkinPass::moveTo(Placement& p, std::string_view prefix, int dx, int dy) {
    if (auto x = keys.getInt(concat(prefix, "_X"))) p.x = *x + dx;
    if (auto y = keys.getInt(concat(prefix, "_Y"))) p.y = *y + dy;
}

void SkinPass::setText(Placement& p, std::string_view sizeKey, std::string_view colourFamily, int sizeDelta) {
    if (const int size = layout.fontSize(sizeKey); size > 0) p.fontSize = size + sizeDelta;
    p.colour = layout.colour(colourFamily);
}

} // namespace krm
