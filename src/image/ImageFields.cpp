#include "image/ImageFields.h"

#include "base/Bits.h"

#include <cstdio>
#include <numeric>

namespace krm {

namespace {

constexpr std::string_view kDisableEnable0 = "Disable", kDisableEnable1 = "Enable";

constexpr OptionField kOptionFields[] = {
    {"IC type", "cb_ICType", 4, 7, 6, {"R200", "R200", "R210", "R220/R210"}},
    {"report rate", "cb_RepRate", 4, 5, 4, {"125Hz", "250Hz", "500Hz", "1000Hz"}},
    {"sensor enhance", "cb_SensorEnhance", 4, 3, 3, {kDisableEnable0, kDisableEnable1}},
    {"LED package", "cb_Package", 5, 7, 7, {"A-Tech LED", "RGB LED"}},
    {"key input type", "cb_KbdType", 5, 6, 6, {"IO", "Multi Key"}},
    // The field holds list index + 1; 0 is shown like 1.
    {"DPI indication", "cb_CPIIndication", 5, 5, 4, {"No Indication", "No Indication", "Fade ", "Flash"}},
    {"DPI set",
     "cb_CPISet",
     5,
     3,
     2,
     {"400,800,1600,2400", "1000,2400,3200,6000", "600,1200,2400,4800", "800,1200,1600,2400"}},
    {"DPI level preset", "cb_CPILevel", 5, 1, 0, {"1st", "4th", "3rd", "2nd"}},
    {"sensor rotation", "cb_SensorRotation", 6, 7, 6, {"270°", "180°", "90°", "0 °"}},
    {"DPI prescale", "cb_CPIPrescaleSel", 6, 5, 4, {"1.33x", "1.12x", "1.25x", "1.00x"}},
    {"fire key frequency", "cb_FireKeyFreq", 6, 3, 2, {"Random", "3Hz", "4Hz", "5Hz"}},
    {"fire key count", "cb_FireKeyCount", 6, 1, 0, {"Continue", "4 times", "3 times", "2 times"}},
    {"LED drive 0", "cb_LEDCtrl0", 7, 7, 7, {"open drain", "drive high"}},
    {"LED drive 1", "cb_LEDCtrl1", 7, 6, 6, {"high active", "low active"}},
    {"LED mode fuse",
     "cb_LEDModeFuse",
     7,
     5,
     4,
     {"1/F3(ZK LED)", "2/F2(ZK LED)", "5/F1(ZK LED)", "4/2(28s Sync LED)"}},
    {"combo key time", "cb_ComboKeyTime", 7, 3, 3, {"2s", "3s"}},
    {"USB CDR", "cb_USBCDR", 7, 2, 2, {"CDR2", "CDR1"}},
    {"sensor sleep", "cb_SensorSleep", 7, 1, 1, {"Enable", "Disable"}},
    {"LED power", "cb_LEDPower", 7, 0, 0, {"drive high", "open drain"}},
    {"EFT rely NAK", "cb_EFTrelyNAK", 8, 3, 3, {kDisableEnable0, kDisableEnable1}},
    {"EFT relug", "cb_EFTrelug", 8, 2, 2, {kDisableEnable0, kDisableEnable1}},
    {"keep profile info", "cb_KeepProfileInfo", 8, 1, 1, {kDisableEnable0, kDisableEnable1}},
    {"profile LED flash", "cb_ProfileLEDFlash", 8, 0, 0, {kDisableEnable0, kDisableEnable1}},
};

constexpr RegisterField kRegisters[] = {
    {"Avg_lb_lq", 9},
    {"Avg_hb_lq", 10},
    {"Avg_tg_lq", 11},
    {"Avg_lb", 12},
    {"Avg_hb", 13},
    {"Avg_tg", 14},
    {"MiscBitCfg", 15},
    {"HSqDcrDiv_LSqDcrDiv", 16},
    {"LfBpsShlThr", 17},
    {"LfHfsqThr", 18},
    {"CrpThrGain1Sql", 19},
    {"CrpThrGain1Sqh", 20},
    {"CrpThrGain2Sql", 21},
    {"CrpThrGain2Sqh", 22},
    {"CrpThrGain4Sql", 23},
    {"CrpThrGain4Sqh", 24},
    {"CrpThrGain8Sqx", 25},
    {"BpGainThr_LandThrWeight", 26},
    {"CrpCntThr_LftBpsGainThr", 27},
    {"HsqCorBit_LsqCorBit", 28},
    {"LftCorBitAvgThr", 29},
    {"SubpixCorBit_MaxGain", 30},
    {"MaxShut", 31},
    {"LandCntThr", 32},
    {"LiftCntThr", 33},
    {"CorBitHfsqThr", 34},
    {"illumXledAvgThr", 35},
    {"BpHfsqThr", 36},
    {"HgLsqCorBit_LgLsqCorBit", 37},
    {"HgLsqThr", 38},
    {"Misc_G8CorBit", 39},
    {"LEDInit0", 40},
    {"LEDInit1", 41},
};

constexpr std::string_view kDpiStepTexts[] = {"200",  "400",  "600",  "800",  "1000", "1200",
                                              "1600", "2000", "2400", "3200", "4800", "6400"};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Next code point of UTF-8 text; a malformed sequence gives U+FFFD and skips one byte.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const int extra = b0 < 0x80             ? 0
                      : (b0 & 0xE0) == 0xC0 ? 1
                      : (b0 & 0xF0) == 0xE0 ? 2
                      : (b0 & 0xF8) == 0xF0 ? 3
                                            : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = extra == 0 ? b0 : static_cast<char32_t>(b0 & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

} // namespace

std::span<const OptionField> optionFields() {
    return kOptionFields;
}

int readOption(const OptionField& f, std::span<const std::uint8_t> vendorCopy) {
    return readBits(vendorCopy[f.offset], f.high, f.low);
}

std::string_view optionText(const OptionField& f, int value) {
    return value >= 0 && value < 4 ? f.texts[static_cast<std::size_t>(value)] : std::string_view{};
}

std::span<const RegisterField> sensorRegisters() {
    return kRegisters;
}

int reportRateHz(std::span<const std::uint8_t> v) {
    return 125 << readBits(v[4], 5, 4);
}

DpiLevels decodeDpiLevels(std::span<const std::uint8_t> v) {
    DpiLevels d;
    d.count = v[vendor::kDpiCountMinusOne] + 1;
    for (std::size_t level = 0; level < 8; ++level) {
        const std::uint8_t b = v[vendor::kDpiLevels + level / 2];
        d.steps[level] = level % 2 == 0 ? (b & 0x0F) : (b >> 4);
    }
    return d;
}

std::string_view dpiStepText(int step) {
    return step >= 0 && step < 12 ? kDpiStepTexts[step] : std::string_view{};
}

Rgb readRgb(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return Rgb{bytes[offset], bytes[offset + 1], bytes[offset + 2]};
}

Rgb colourTableEntry(std::span<const std::uint8_t> v, int n) {
    return readRgb(v, vendor::kColourTable + 3 * static_cast<std::size_t>(n - 1));
}

Rgb dpiLevelColour(std::span<const std::uint8_t> v, int level) {
    return readRgb(v, vendor::kDpiColours + 3 * static_cast<std::size_t>(level - 1));
}

std::string rgbHex(Rgb c) {
    const std::uint8_t bytes[] = {c.r, c.g, c.b};
    return hexBytes(bytes);
}

std::string rgbText(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

std::optional<Rgb> parseRgbText(std::string_view text) {
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<unsigned>(digit);
    }
    return Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8 & 0xFF),
               static_cast<std::uint8_t>(value & 0xFF)};
}

Breathing decodeBreathing(std::span<const std::uint8_t> v) {
    return Breathing{readBe16(v, vendor::kBreathLowBright), readBe16(v, vendor::kBreathHighBright),
                     readBe16(v, vendor::kBreathLowHold), readBe16(v, vendor::kBreathHighHold),
                     v[vendor::kStepTime]};
}

int speedLevelFromStepTime(std::uint8_t t) {
    if (t > 45) return 1;
    if (t <= 5) return 10;
    return 10 - (t - 1) / 5;
}

std::string productString(std::span<const std::uint8_t> v) {
    std::string s;
    for (std::size_t i = 0; i < vendor::kProductStringLength && v[vendor::kProductString + i] != 0; ++i)
        s += static_cast<char>(v[vendor::kProductString + i]);
    return s;
}

LedTypeByte decodeLedType(std::uint8_t b) {
    const int mode = b & 0x0F;
    switch (readBits(b, 7, 6)) {
    case 0:
        return {LedType::RGB, mode, 0};
    case 1:
        return {LedType::Sync, mode, 0};
    case 2:
        if (readBits(b, 5, 4) == 0) return {LedType::MCULED, mode, 0};
        [[fallthrough]];
    default:
        return {LedType::NT, mode, readBits(b, 6, 4) + 1};
    }
}

int currentProfile(std::uint8_t b) {
    return b & 0x0F;
}

std::optional<int> profileColourIndex(std::uint8_t b) {
    const int nibble = b >> 4;
    if (nibble <= 9) return nibble;
    if (nibble == 15) return 10;
    return std::nullopt;
}

std::optional<int> buttonEffectIndex(std::uint8_t b) {
    const int index = b < 2 ? b : b - 4;
    if (index == 0 || index == 1) return index;
    return std::nullopt;
}

int fireMacroXAdjust(std::span<const std::uint8_t> u, int i) {
    return static_cast<std::int8_t>(u[user::kXAdjust + static_cast<std::size_t>(i)]);
}

int fireMacroYAdjust(std::span<const std::uint8_t> u, int i) {
    return static_cast<std::int8_t>(u[user::kYAdjust + static_cast<std::size_t>(i)]);
}

FireKeyBlockSlot readFireKeySlot(std::span<const std::uint8_t> f, int slot) {
    const std::size_t at = 2 + 3 * static_cast<std::size_t>(slot - 1);
    return FireKeyBlockSlot{f[at] + 1, readBe16(f, at + 1)};
}

PatchDescriptor decodePatchDescriptor(std::span<const std::uint8_t> p) {
    return PatchDescriptor{readBe16(p, 0), readBe16(p, 2), readBe16(p, 4), readBe16(p, 6)};
}

McuLed decodeMcuLed(std::span<const std::uint8_t> p) {
    McuLed m;
    m.speedStep = p[8];
    m.fullBright = (p[9] & 0x80) != 0;
    m.countCode = p[9] & 0x0F;
    if (m.countCode <= 9) m.ledCount = 13 - m.countCode;
    m.checksum = p[15];
    m.checksumGood = sectionChecksumGood(p.subspan(8, 8));
    return m;
}

std::uint16_t patchCodeChecksum(std::span<const std::uint8_t> code) {
    const unsigned sum = std::accumulate(code.begin(), code.end(), 0u);
    return static_cast<std::uint16_t>((sum & 0xFFFF) ^ 0x015A);
}

std::string decodeName16(std::span<const std::uint8_t> name) {
    std::string out;
    for (std::size_t i = 0; i + 1 < name.size(); i += 2) {
        char32_t unit = static_cast<char32_t>(name[i] << 8 | name[i + 1]);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < name.size()) {
            const char32_t low = static_cast<char32_t>(name[i + 2] << 8 | name[i + 3]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
        appendUtf8(out, unit);
    }
    return out;
}

std::array<std::uint8_t, 16> encodeName16(std::string_view utf8) {
    std::array<std::uint8_t, 16> out{};
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = nextCodePoint(utf8, i);
        char16_t u[2];
        std::size_t n = 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            u[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
            u[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            n = 2;
        } else {
            u[0] = static_cast<char16_t>(cp);
        }
        if (units + n > 8) break;
        for (std::size_t k = 0; k < n; ++k, ++units) {
            out[2 * units] = static_cast<std::uint8_t>(u[k] >> 8);
            out[2 * units + 1] = static_cast<std::uint8_t>(u[k] & 0xFF);
        }
    }
    return out;
}

std::optional<std::string> imageDefect(const ImageState& state, bool sectionChecksums) {
    const ConfigImage& image = state.image;
    if (image[image::kMarkerOffset] != image::kMarker) return "byte 495 is not the marker E0";
    for (const SectionCheck& c : state.lastUnpack.sections)
        if (sectionChecksums && c.stored != c.expected)
            return "the " + std::string(sectionName(c.id)) + " section's checksum does not add up";
    const std::size_t codeLength = state.copies.layout.patchCodeLength;
    const auto code = std::span(image).subspan(image::kPatchCodeOffset, codeLength);
    const std::uint16_t stored = static_cast<std::uint16_t>(image[image::kPatchBlockOffset + 6] << 8 |
                                                            image[image::kPatchBlockOffset + 7]);
    if (patchCodeChecksum(code) != stored) return "the patch code does not match its checksum";
    return std::nullopt;
}

} // namespace krm
