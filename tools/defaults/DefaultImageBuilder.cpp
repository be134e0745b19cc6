// Authoring of the six factory configuration images and the default macro library.
//
// Every field below is product data: option and sensor bytes, colours, button tables, fire-key and
// patch descriptors, fire-macro bodies. The images are built from these tables with the core's own
// section and checksum code so that they load exactly like images read from a mouse.

#include "tools/defaults/DefaultImageBuilder.h"
#include "base/Bits.h"

#include "image/FunctionCode.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>

namespace krm::defaults {

namespace {

// "20 35 29" or "FF7F00, 7FFF00": every pair of hex digits is a byte; anything else separates.
std::vector<std::uint8_t> hex(std::string_view text) {
    std::vector<std::uint8_t> out;
    int pending = -1;
    for (char c : text) {
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (v < 0) {
            if (pending >= 0) throw std::logic_error("odd hex digit count in " + std::string(text));
            continue;
        }
        if (pending < 0) {
            pending = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending << 4 | v));
            pending = -1;
        }
    }
    if (pending >= 0) throw std::logic_error("odd hex digit count in " + std::string(text));
    return out;
}

void put(ConfigImage& image, std::size_t offset, const std::vector<std::uint8_t>& bytes) {
    if (offset + bytes.size() > image.size()) throw std::logic_error("write past the image");
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

void expectLength(const std::vector<std::uint8_t>& bytes, std::size_t n, const char* what) {
    if (bytes.size() != n) throw std::logic_error(std::string(what) + ": wrong length");
}

std::span<std::uint8_t> section(ConfigImage& image, std::size_t offset, std::size_t length) {
    return std::span<std::uint8_t>(image).subspan(offset, length);
}

// ---- vendor section ----

struct VendorTable {
    const char* options;     // bytes 4..8
    const char* ledInit;     // 40, 41
    const char* modeMask;    // 42
    const char* dpi;         // 43..47
    const char* breathing;   // 48..56
    const char* colours;     // 57..86
    const char* dpiColours;  // 87..110
    const char* gameModeKey; // combo key 4
};

constexpr const char* kSensorRegisters = // bytes 9..39, the same for both variants
    "20 35 29 10 30 1A 00 00 45 02 EF 10 EF 10 EF 10 FF 10 50 03 01 02 48 96 FA 20 1E 02 01 20 00";

constexpr VendorTable kR210BVendor = {
    "BF 1F 7F 4F AF",
    "06 87",
    "FE",
    "05 63 98 BA 00",
    "00 00 00 FF 00 64 00 64 08",
    "FF7F00, 7FFF00, FF7F7F, FF007F, 00FF7F, 007FFF, 7F7FFF, 7FFF7F, 7F7FFF, FFFFFF",
    "FF0000, 00FF00, 0000FF, FFFF00, 00FFFF, FF00FF, 8000FF, 0000FF",
    "07D1F018"};

constexpr VendorTable kR230BVendor = {
    "BF FF 7F FF AF",
    "1C 1A",
    "3F",
    "05 63 98 BA 0A",
    "01 00 80 00 00 64 01 2C 08",
    "FF0000, 00FF00, 0000FF, FFFF00, FF00FF, 00FFFF, 7FFF00, 7F00FF, 00FF7F, FFFFFF",
    "00FF00, FF00FF, 0000FF, FF0000, FFFF00, 00FFFF, FFFFFF, 000008",
    "07D1F020"};

void buildVendor(ConfigImage& image, const VendorTable& t) {
    put(image, 0, hex("3A7E 0C51"));
    auto options = hex(t.options);
    expectLength(options, 5, "option bytes");
    put(image, 4, options);
    auto regs = hex(kSensorRegisters);
    expectLength(regs, 31, "sensor registers");
    put(image, 9, regs);
    put(image, 40, hex(t.ledInit));
    put(image, vendor::kModeEnableMask, hex(t.modeMask));
    put(image, vendor::kDpiCountMinusOne, hex(t.dpi));
    auto breathing = hex(t.breathing);
    expectLength(breathing, 9, "breathing");
    put(image, vendor::kBreathLowBright, breathing);
    auto colours = hex(t.colours);
    expectLength(colours, 30, "colour table");
    put(image, vendor::kColourTable, colours);
    auto dpiColours = hex(t.dpiColours);
    expectLength(dpiColours, 24, "DPI colours");
    put(image, vendor::kDpiColours, dpiColours);
    const std::string_view product = "HID Gaming Mouse";
    put(image, vendor::kProductString, std::vector<std::uint8_t>(product.begin(), product.end()));
    put(image, image::kComboKeyOffset, std::vector<std::uint8_t>(36, 0)); // combo keys 1..9
    put(image, image::kComboKeyOffset + 4 * 1, hex("0E000000"));          // combo key 2: LED mode
    put(image, image::kComboKeyOffset + 4 * 3, hex(t.gameModeKey));       // combo key 4: game mode
    storeSectionChecksum(section(image, image::kVendorOffset, image::kVendorLength));
}

// ---- user section ----

void buildUser(ConfigImage& image, const char* first4, const char* gunMode /*168..170 or empty*/) {
    put(image, image::kUserOffset, std::vector<std::uint8_t>(image::kUserLength, 0));
    put(image, image::kUserOffset, hex(first4));
    if (*gunMode) put(image, image::kUserOffset + user::kGunModeA, hex(gunMode));
    storeSectionChecksum(section(image, image::kUserOffset, image::kUserLength));
}

// ---- button tables ----

void buildProfile(ConfigImage& image, int profile, const char* codes) {
    auto bytes = hex(codes);
    expectLength(bytes, 48, "button table");
    put(image, image::profileOffset(profile), bytes);
    storeSectionChecksum(section(image, image::profileOffset(profile), image::kProfileLength));
}

constexpr const char* kR210BOfficeTable = "01010000 01080002 0692003C 01020000 01100000 09010000 01040000 "
                                          "09000000 09020000 00000000 00000000 00000000";
constexpr const char* kR210BThirdTable = "01010000 01080002 0692003C 01020000 01100000 02080700 01040000 "
                                         "09000000 08000000 00000000 00000000 00000000";
constexpr const char* kR230BOfficeTable = "01010000 01080002 0691003C 01020000 01100000 09010008 01040000 "
                                          "09000008 09020008 02080700 0E000000 08000000";
constexpr const char* kR230BGameTable = "1006A0FF 0A000000 0B120108 01020000 0B100108 0B110108 01040000 "
                                        "0B110108 0B150208 0B140108 0B170308 01010000";
constexpr const char* kR230BGameTableAim = // image 3: the last button is the AIM key
    "1006A0FF 0A000000 0B120108 01020000 0B100108 0B110108 01040000 0B110108 0B150208 0B140108 0B170308 "
    "05000000";
constexpr const char* kR230BThirdTable = "01010000 01080002 0691003C 01020000 01100000 02080700 01040000 "
                                         "09000008 08000000 00000000 00000000 00000000";

// ---- patch block and patch code ----

// The patch code of the factory images is an empty patch: a lone RET (0x22) at its start, zero fill,
// and, ending where the descriptor's length word (bytes 2..3) says the code ends, a run of filler bytes
// that brings the 16-bit code sum to the value behind the descriptor's checksum (bytes 6..7).
std::vector<std::uint8_t> buildPatchCode(const ImageLayout& layout, std::span<const std::uint8_t> block) {
    std::vector<std::uint8_t> code(layout.patchCodeLength, 0);
    code[0] = 0x22;
    const auto wanted = static_cast<std::uint16_t>(readBe16(block, 6) ^ 0x015A);
    unsigned rest = static_cast<std::uint16_t>(wanted - 0x22);
    const std::size_t end = std::min<std::size_t>(readBe16(block, 2), code.size());
    std::size_t at = end;
    while (rest > 0) {
        const unsigned b = std::min(rest, 0xFFu);
        code.at(--at) = static_cast<std::uint8_t>(b);
        rest -= b;
        if (at <= 1) throw std::logic_error("patch code too small for its checksum");
    }
    if (patchCodeChecksum(code) != readBe16(block, 6)) throw std::logic_error("patch code checksum mismatch");
    return code;
}

// ---- fire macros ----

// Body shapes; every body repeats until its button is released (count 0) and moves only along Y.
enum class Shape {
    A, // press, 1 ms, repeat { move, interval }, release, 1 ms
    B, // repeat { press, 1 ms, move, interval, release, 1 ms }
    C, // repeat { press, release, move, interval }
    D, // press, 24 ms, repeat { move, interval }, release, 16 ms, press, release
};

struct FireMacro {
    Shape shape;
    int y;
    int interval;
};

std::vector<std::uint8_t> body(const FireMacro& m) {
    const auto y = static_cast<std::uint8_t>(m.y);
    const auto hi = static_cast<std::uint8_t>(m.interval >> 8),
               lo = static_cast<std::uint8_t>(m.interval & 0xFF);
    const std::vector<std::uint8_t> move = {0x04, 0x00, y}, interval = {0xFE, hi, lo};
    std::vector<std::uint8_t> out;
    auto add = [&](std::initializer_list<std::vector<std::uint8_t>> parts) {
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    };
    const std::vector<std::uint8_t> press = {0xA1}, release = {0x21}, repeat = {0xFD, 0x00}, end = {0xFC},
                                    ms1 = {0xFE, 0x00, 0x01};
    switch (m.shape) {
    case Shape::A:
        add({press, ms1, repeat, move, interval, end, release, ms1});
        break;
    case Shape::B:
        add({repeat, press, ms1, move, interval, release, ms1, end});
        break;
    case Shape::C:
        add({repeat, press, release, move, interval, end});
        break;
    case Shape::D: {
        const std::vector<std::uint8_t> ms24 = {0xFE, 0x00, 0x18}, ms16 = {0xFE, 0x00, 0x10};
        add({press, ms24, repeat, move, interval, end, release, ms16, press, release});
        break;
    }
    }
    out.push_back(0x00); // end of the event stream
    return out;
}

using FireMacroTable = std::array<FireMacro, 10>;
using enum Shape;

// clang-format off
constexpr FireMacroTable kR210BFire = {{{A, 1, 40}, {B, 2, 1}, {A, 3, 18}, {A, 4, 32}, {A, 5, 32},
                                        {A, 6, 32}, {A, 7, 32}, {A, 8, 32}, {A, 9, 32}, {A, 10, 32}}};
constexpr FireMacroTable kR230BFire1 = {{{C, 6, 1}, {C, 5, 1}, {C, 5, 1}, {C, 4, 1}, {C, 6, 1},
                                         {C, 16, 1}, {C, 22, 1}, {C, 10, 1}, {C, 26, 1}, {C, 32, 1}}};
constexpr FireMacroTable kR230BFire2 = {{{D, 5, 50}, {B, 3, 1}, {D, 4, 40}, {D, 3, 30}, {D, 4, 40},
                                         {D, 5, 40}, {D, 9, 40}, {D, 5, 50}, {D, 22, 50}, {D, 38, 50}}};
constexpr FireMacroTable kR230BFire3 = {{{B, 6, 1}, {B, 5, 1}, {B, 5, 1}, {B, 4, 1}, {B, 6, 1},
                                         {B, 16, 1}, {B, 22, 1}, {B, 20, 1}, {B, 26, 1}, {B, 32, 1}}};
// clang-format on

void buildFireMacros(ConfigImage& image, const ImageLayout& layout, const FireMacroTable& table) {
    for (int i = 0; i < image::kFireMacroCount; ++i) {
        auto bytes = body(table[static_cast<std::size_t>(i)]);
        if (bytes.size() > layout.fireMacroBodySize) throw std::logic_error("fire macro body too long");
        bytes.resize(layout.fireMacroBodySize, 0);
        put(image, layout.bodyOffset(i), bytes);
        if (layout.firstBodyOffset > 0) {
            const auto name = encodeName16("Macro" + std::to_string(i + 1));
            put(image, layout.fireMacroAreaOffset + image::kFireMacroNameSize * static_cast<std::size_t>(i),
                std::vector<std::uint8_t>(name.begin(), name.end()));
        }
    }
}

} // namespace

ConfigImage BuildDefaultImage(Variant v, int k) {
    if (k < 1 || k > 3) throw std::invalid_argument("default image number out of range");
    const bool r230 = v == Variant::R230B;
    const ImageLayout layout = ImageLayout::forVariant(v);
    ConfigImage image{};
    // Reserved and free bytes, and (for R230B) the tail of the fire-macro area, stay 0xFF.
    image.fill(0xFF);
    std::fill(image.begin() + image::kMacroOffset, image.begin() + image::kMacroOffset + image::kMacroLength,
              0);

    buildVendor(image, r230 ? kR230BVendor : kR210BVendor);
    if (!r230 || k == 1)
        buildUser(image, r230 ? "00 04 01 00" : "00 82 01 00", "");
    else // profile 2 current with the user colour, gun mode on with offset 0x20
        buildUser(image, "F1 04 01 04", "0F 00 20");

    if (r230) {
        buildProfile(image, 1, kR230BOfficeTable);
        buildProfile(image, 2, k == 3 ? kR230BGameTableAim : kR230BGameTable);
        buildProfile(image, 3, kR230BThirdTable);
    } else {
        buildProfile(image, 1, kR210BOfficeTable);
        buildProfile(image, 2, kR210BOfficeTable);
        buildProfile(image, 3, kR210BThirdTable);
    }

    put(image, image::kFireKeyOffset,
        hex(r230 ? "FF FF 01 00 3C 02 00 3C 04 00 3C E0" : "FF FF 02 00 3C 04 00 3C 07 00 3C E0"));

    auto block = hex(r230 ? "04 00 02 00 00 1A 07 A2 FF FF FF FF FF FF FF FF"
                          : "04 00 02 E0 00 1A 5F 63 01 83 00 00 00 00 00 DE");
    put(image, image::kPatchBlockOffset, block);
    put(image, image::kPatchCodeOffset, buildPatchCode(layout, block));

    std::fill(image.begin() + static_cast<std::ptrdiff_t>(layout.fireMacroAreaOffset),
              image.begin() + static_cast<std::ptrdiff_t>(layout.bodyOffset(image::kFireMacroCount)), 0);
    buildFireMacros(image, layout,
                    r230 ? (k == 1   ? kR230BFire1
                            : k == 2 ? kR230BFire2
                                     : kR230BFire3)
                         : kR210BFire);
    return image;
}

std::vector<std::uint8_t> BuildDefaultMacroLibrary() {
    // A record is in use when its first two name bytes are not both zero; an empty record is all
    // zero: no name, and an event stream that ends at once.
    return std::vector<std::uint8_t>(100 * 272, 0);
}

} // namespace krm::defaults
