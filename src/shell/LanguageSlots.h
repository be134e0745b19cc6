#pragma once

#include "base/TextSource.h"

#include <array>
#include <string>

namespace krm {

// Texts the main window reads once per language change and uses later in code rather than on a
// control: messages, the button names that function-code naming and the fire-key and gun editors
// compare against, DPI value texts, LED mode names, the title and the font. Refresh them before
// any button name is produced again.
struct LanguageSlots {
    std::string noDevice;                // Str022
    std::array<std::string, 8> messages; // Str100..Str107
    // Str108..Str110: a change the mouse did not take, and was read again / could not be read back;
    // nothing sent, since its configuration was not read whole.
    std::array<std::string, 3> writeFailures;
    // Str944, Str945: the first two as they are said where no window shows a page.
    std::array<std::string, 2> writeFailuresWithoutPage;
    std::string userDefined;                 // Str205
    std::string leftClick;                   // Str210
    std::string middleClick;                 // Str212
    std::string backward;                    // Str213
    std::string forward;                     // Str214
    std::array<std::string, 3> dpiKeys;      // Str221..Str223: loop, up, down
    std::array<std::string, 3> fireKeys;     // Str231..Str233
    std::array<std::string, 3> profileKeys;  // Str251..Str253
    std::string aimKey;                      // Str260
    std::string ledMode;                     // Str261
    std::string fireMacroKey;                // Str265
    std::array<std::string, 2> leftKeyRules; // Str294 (profile 1), Str295 (profiles 2 and 3)
    std::array<std::string, 12> dpiValues;   // Str300..Str311: value texts of steps 0..11
    std::string record;                      // Str400
    std::string stop;                        // Str401
    std::string ok;                          // Str420
    std::string insert;                      // Str421
    std::string noMacroSelected;             // Str430
    std::array<std::string, 7> gunNames;     // Str600..Str606
    std::array<std::string, 6> mcuLedModes;  // Str815..Str820: MCU LED modes 1..6
    std::array<std::string, 7> rgbLedModes;  // Str859..Str865: RGB modes 0..6 (Str859 is MCU mode 7)
    std::string title;                       // Title
    std::string fontName;                    // FontName

    // Reads every slot from the active table.
    void refresh(const TextSource& texts);
    // A message as it is said where no window shows a page: a write failure that speaks of "the page"
    // in the words that do without it; any other message as it is.
    const std::string& withoutPage(const std::string& message) const;
};

} // namespace krm
