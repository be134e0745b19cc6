#pragma once

#include "image/ImageLayout.h"

#include <string>
#include <string_view>

namespace krm {

// The branding switches of one product build, read once at start-up from the embedded "org"
// resource (section [org]). Members carry the keys' names; their initial values are the shipped
// ones, which a missing or non-numeric key also keeps.
struct Branding {
    bool webEnabled = true;                                   // the web button opens `webAddress`
    std::string webAddress = "https://www.krm-mouse.example"; // address the web button opens
    int webX = 9400;                                          // web button position; 9400 is off-window
    int webY = 16;
    long reservedVendorId = 0;      // reserved
    long reservedProductId = 0;     // reserved
    std::string macroLibraryFolder; // PC macro library folder; empty: program folder
    bool textRolling = false;       // text rolling on button labels
    bool beEnable = false;          // button-effect switch offered
    bool gdEnable = false;          // gun display on profile 2
    bool dpiLedMarkers = true;      // stepped bars: true marker look, false filled
    int gun6Stages = 2;             // stages of gun 6, 1..2
    int gun7Stages = 3;             // stages of gun 7, 1..3
    int numOrder = 1;               // stepped-bar numbers: 0 shown, 1 hidden
    int icConfigType = 1;           // 1 R210B only, 2 R230B only, other: both
    int barConfigType = 1;          // 0 stepped image bars, 1 sliders

    // Whether a mouse of this variant is accepted at identification.
    bool acceptsVariant(Variant v) const;
    // The variant whose factory image gives the default ids and whose LED-mode option positions
    // the skin uses: R210B when only R210B is accepted, R230B otherwise.
    Variant defaultVariant() const;
};

// Where the five web button copies (image and click label) go; the label takes the image's size.
struct WebButtonPlacement {
    int x = 0, y = 0, width = 0, height = 0;
};
WebButtonPlacement webButtonPlacement(const Branding& branding, int imageWidth, int imageHeight);

// Reads branding INI text: flags are on only for the value 1; gun6Stages, gun7Stages and numOrder are
// clamped to their ranges; a missing or non-numeric key keeps its shipped value.
Branding parseBranding(std::string_view iniText);

// The branding embedded in the program (the shipped values when the resource is missing).
Branding loadBranding();

} // namespace krm
