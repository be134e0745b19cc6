#pragma once

#include "base/IniFile.h"
#include "shell/SkinLayout.h"
#include "shell/SkinPictures.h"

#include <array>
#include <string>

namespace krm {

// The branding values the placement pass depends on (the branding record holds them).
struct SkinBranding {
    int icConfigType = 1;  // 1: the R210B layout of the lighting modes; any other value the R230B one
    int barConfigType = 1; // 0: stepped picture bars; 1: sliders
    int numOrder = 1;      // 0: number labels under the bar steps; 1: none
};

// The dialogs that place their controls from the skin when they open.
enum class SkinDialog { KeyCombination, Value, XY };

// The skin section of a language: "org1" .. "org3".
std::string skinSectionName(int language);

// The embedded skin of a language (resource "org1" .. "org3"); empty when it is missing.
IniFile loadSkin(int language);

// The button slot (1..12) placed by the skin's Key<index>_ keys: the skin numbers the key labels by
// screen position, the pictures by slot.
int keySlotForSkinIndex(int index);

// The skin pass of the main window for a language (1..3): places, sizes, shows or hides and colours
// every control family from the section of that language, updating `layout` in place. A key that is
// missing or holds no number keeps what the previous pass gave.
void applySkin(const IniFile& skin, int language, const SkinBranding& branding, const PictureSizes& pictures,
               SkinLayout& layout);

// The same rules for one dialog's own keys.
void applyDialogSkin(const IniFile& skin, int language, SkinDialog dialog, const PictureSizes& pictures,
                     SkinLayout& layout);

// Height of the profile-key menu of the assignment editor while profile 1..3 is shown.
int profileKeyMenuHeight(const SkinFlags& flags, int profile);

} // namespace krm
