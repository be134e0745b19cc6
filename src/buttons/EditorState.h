#pragma once

#include "image/FunctionCode.h"
#include "image/ImageLayout.h"

#include <array>
#include <cstdint>
#include <string>

namespace krm {

// Editor settings that the button functions read and that several editors share: the fire-key
// editor owns the slots, the sniper editor the level, the lighting editor the profile colours and
// the LED-mode combination, the engineering page the combo masks, the profile-switch options and
// the game-mode trigger. They live here, in one place, so that naming a function code and building
// one see the same values whichever editor changed them last.

// One rapid-fire slot ("Fire Key1".."Fire Key3").
struct FireKeySlot {
    int count = 0;            // repeat count, 1..16 (the slot count codes are matched against)
    int interval = 0;         // ms between shots, 0..65535 (the slot interval)
    bool continueBox = false; // cb_Fire<k>Continue: keep firing while the button is held
};

// The "Combo Enable" selectors, one per function group; each holds an item 0..8 that stands for the
// mask 0x00, 0x01, 0x02, 0x04, ..., 0x80.
enum class ComboGroup { Middle, Backward, Forward, DpiLoop, DpiUp, DpiDown, Gun }; // cb_MidCom .. cb_GunCom
inline constexpr int kComboGroupCount = 7;

constexpr std::uint8_t comboMaskForItem(int item) {
    return item <= 0 || item > 8 ? 0 : static_cast<std::uint8_t>(1u << (item - 1));
}

// Options of the profile-switch codes given to combo keys.
struct ProfileSwitchOptions {
    bool returnToZero = false; // return to zero: b1 + 0x40
    bool adjustXy = false;     // adjust XY: b1 + 0x20
    bool changeColour = false; // change colour: b1 + 0x10
    int switchOffset = 0x18;   // 12-bit offset, shown as hexadecimal
    bool operator==(const ProfileSwitchOptions&) const = default;
};

// One slot of the device macro table, as far as naming and the "Base Macro" list need it.
struct DeviceMacroSlot {
    bool present = false;
    std::uint16_t startAddress = 0; // image offset of the macro's first event byte
    std::string name;               // UTF-8
};
inline constexpr int kDeviceMacroSlots = 15;

// The gun-key list as last loaded from its file.
struct GunKeyList {
    bool fileFound = false;
    std::array<CodeBytes, 10> entries{}; // entry k (0..9); all zero = empty
};

// Item of a profile-colour selector that stands for the user colour (colour index 15).
inline constexpr int kUserColourItem = 10;

struct EditorState {
    Variant variant = Variant::R210B;

    // Fire keys (factory values of the R210B images until an image is read).
    std::array<FireKeySlot, 3> fireKeys{{{3, 60, false}, {5, 60, false}, {8, 60, false}}};
    // Set while the fire-key editor or the gun-mode toggle applies a change: naming a fire-key code
    // then leaves the continue boxes alone.
    bool fireChangeInProgress = false;

    std::array<int, kComboGroupCount> comboEnable{}; // indexed by ComboGroup
    int sniperLevel = 1;                             // 1..12; the sniper step + 1

    std::array<int, 3> profileColourItems{kUserColourItem, kUserColourItem,
                                          kUserColourItem}; // cb_Profile1Color..3
    bool ledTypeSync = false;                               // cb_LEDMode holds "Sync"
    ProfileSwitchOptions profileSwitch;

    int gameModeTrigger = 0;    // game-mode trigger, items 0..6
    int ledModeCombination = 0; // 0 none, 1 right + back switches the LED mode
    bool gunFireMode = false;

    std::array<DeviceMacroSlot, kDeviceMacroSlots> deviceMacros{};
    GunKeyList gunKeys;

    std::uint8_t comboMask(ComboGroup g) const { return comboMaskForItem(comboEnable[static_cast<int>(g)]); }
    // Colour index (0..9, 15) of profile p (1..3) in profile-switch codes.
    int profileColourIndex(int profile) const {
        if (ledTypeSync) return 15;
        const int item = profileColourItems[static_cast<std::size_t>(profile - 1)];
        return item >= 0 && item <= 9 ? item : 15;
    }
};

} // namespace krm
