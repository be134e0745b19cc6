#include "shell/Skin.h"

#include "base/ResourceTable.h"
#include "shell/SkinPass.h"

#include <array>

namespace krm {

namespace {
// Skin index i (1..12) -> button slot.
constexpr std::array<int, 12> kSlotOfIndex = {1, 4, 7, 2, 5, 8, 3, 6, 9, 10, 11, 12};
} // namespace

std::string skinSectionName(int language) {
    return concat("org", language);
}

IniFile loadSkin(int language) {
    auto bytes = ResourceTable::find(skinSectionName(language));
    if (!bytes) return {};
    return IniFile::parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

int keySlotForSkinIndex(int index) {
    return index >= 1 && index <= 12 ? kSlotOfIndex[static_cast<std::size_t>(index - 1)] : 0;
}

int profileKeyMenuHeight(const SkinFlags& flags, int profile) {
    if (profile == 1 && !flags.profile2Button) return 0;
    return flags.profile3Button ? 98 : 50;
}

void applySkin(const IniFile& skin, int language, const SkinBranding& branding, const PictureSizes& pictures,
               SkinLayout& layout) {
    SkinKeys keys(skin, skinSectionName(language), layout);
    SkinPass pass{keys, layout, pictures, language, branding};

    applyRegionValues(pass);
    applyWindowControls(pass);
    applyKeyPage(pass);
    applyPerformancePage(pass);
    applyTextLabels(pass, SkinPage::Performance);
    applyLightingPage(pass);
    applyTextLabels(pass, SkinPage::Lighting);
    applyMacroPage(pass);
    applyTextLabels(pass, SkinPage::Macro);
    applyUpdateAndGunPages(pass);
    applyTextLabels(pass, SkinPage::Gun);
}

} // namespace krm
