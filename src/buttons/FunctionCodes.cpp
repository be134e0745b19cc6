#include "buttons/FunctionCodes.h"
#include "base/Bits.h"

#include "buttons/KeyboardTables.h"

#include <array>
#include <utility>

namespace krm {

namespace {

std::string fireKeyCode(const FireKeySlot& slot) {
    const unsigned count = static_cast<unsigned>(slot.count) + (slot.continueBox ? 0x8F : 0x0F);
    return "06" + hex2(count) + hex4(static_cast<unsigned>(slot.interval));
}

std::string profileSwitchCode(int profile, const EditorState& s, bool forComboKey) {
    if (!forComboKey) return "07" + hex2(0x80 + profile - 1) + "F000";
    const auto& o = s.profileSwitch;
    const unsigned options =
        (o.returnToZero ? 0x40 : 0) | (o.adjustXy ? 0x20 : 0) | (o.changeColour ? 0x10 : 0);
    const unsigned offset = static_cast<unsigned>(o.switchOffset) & 0xFFF;
    const unsigned colour = static_cast<unsigned>(s.profileColourIndex(profile));
    return "07" + hex2(0x80 + options + static_cast<unsigned>(profile - 1)) +
           hex2(colour * 16 + (offset >> 8)) + hex2(offset & 0xFF);
}

// Codes that name a catalogue function by exact match, checked after the typed rules before them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 21> kExactNames{{
    {"0300CD00", "Str270"}, {"0300B700", "Str271"}, {"0300B600", "Str272"}, {"0300B500", "Str273"},
    {"0300E900", "Str274"}, {"0300EA00", "Str275"}, {"0300E200", "Str276"}, {"03022300", "Str280"},
    {"03022100", "Str281"}, {"03022400", "Str282"}, {"03022500", "Str283"}, {"03022600", "Str284"},
    {"03022700", "Str285"}, {"03022A00", "Str286"}, {"03019400", "Str290"}, {"03019200", "Str291"},
    {"03018A00", "Str292"}, {"02080700", "Str293"}, {"0A000000", "Str268"}, {"0A010000", "Str269"},
    {"0B8F0000", "Str266"},
}};

std::string keyboardName(const CodeBytes& b, const TextSource& texts) {
    static constexpr std::array<std::string_view, 4> kModifiers{"Ctrl", "Shift", "Alt", "Win"};
    std::string text;
    auto add = [&](std::string_view part) {
        if (!text.empty()) text += '+';
        text += part;
    };
    for (std::size_t i = 0; i < kModifiers.size(); ++i)
        if (b[1] & (1u << i)) add(kModifiers[i]);
    if (b[2] != 0) add(keyUsageName(b[2]));
    if (b[3] != 0) add(keyUsageName(b[3]));
    return text.empty() ? texts.text("Str205") : text;
}

std::string fireKeyName(const CodeBytes& b, const TextSource& texts, EditorState& s) {
    const int count = (b[1] & 0x0F) + 1;
    const int interval = b[2] * 256 + b[3];
    for (std::size_t k = 0; k < s.fireKeys.size(); ++k) {
        auto& slot = s.fireKeys[k];
        if (slot.count != count || slot.interval != interval) continue;
        if (!s.fireChangeInProgress) slot.continueBox = (b[1] & 0x80) != 0;
        return texts.text("Str23" + std::to_string(k + 1));
    }
    return {};
}

std::string profileSwitchName(const CodeBytes& b, const TextSource& texts, EditorState& s) {
    if (b[1] == 0) return texts.text("Str254");
    const int which = b[1] & 0x87;
    if (which < 0x80 || which > 0x82) return {};
    const int profile = which - 0x80 + 1;
    const int colour = b[2] >> 4;
    if (colour <= 9)
        s.profileColourItems[static_cast<std::size_t>(profile - 1)] = colour;
    else if (colour == 15)
        s.profileColourItems[static_cast<std::size_t>(profile - 1)] = kUserColourItem;
    return texts.text("Str25" + std::to_string(profile));
}

std::string gunName(const CodeBytes& b, const TextSource& texts, const EditorState& s) {
    if (s.gunKeys.fileFound) {
        std::string name;
        for (std::size_t k = 0; k < s.gunKeys.entries.size(); ++k) {
            const auto& e = s.gunKeys.entries[k];
            if (e[0] == b[0] && e[1] == b[1] && e[2] == b[2]) name = gunKeyListName(static_cast<int>(k) + 1);
        }
        // A gun of the gun page that the list does not hold keeps its preset's name.
        if (!name.empty()) return name;
    }
    const auto id = gunNameId(b);
    return id.empty() ? std::string() : texts.text(id);
}

std::string macroName(const CodeBytes& b, const EditorState& s) {
    const unsigned address = b[1] * 256u + b[2];
    std::string name;
    for (const auto& slot : s.deviceMacros)
        if (slot.present && slot.startAddress == address) name = slot.name;
    return name;
}

constexpr CodeBytes p3(std::uint8_t b1, std::uint8_t b2) {
    return {0x0B, b1, b2, 0};
}
constexpr std::array<CodeBytes, 2> kGun1{p3(0x00, 1), p3(0x10, 1)};
constexpr std::array<CodeBytes, 2> kGun2{p3(0x01, 1), p3(0x11, 1)};
constexpr std::array<CodeBytes, 2> kGun3{p3(0x02, 1), p3(0x12, 1)};
constexpr std::array<CodeBytes, 2> kGun4{p3(0x03, 1), p3(0x13, 1)};
constexpr std::array<CodeBytes, 2> kGun5{p3(0x04, 1), p3(0x14, 1)};
constexpr std::array<CodeBytes, 4> kGun6{p3(0x05, 1), p3(0x15, 1), p3(0x05, 2), p3(0x15, 2)};
constexpr std::array<CodeBytes, 6> kGun7{p3(0x07, 1), p3(0x17, 1), p3(0x07, 2),
                                         p3(0x17, 2), p3(0x07, 3), p3(0x17, 3)};
const std::array<GunName, 7> kGunNames{{
    {"Str600", kGun1},
    {"Str601", kGun2},
    {"Str602", kGun3},
    {"Str603", kGun4},
    {"Str604", kGun5},
    {"Str605", kGun6},
    {"Str606", kGun7},
}};

} // namespace

// clang-format off
std::string functionCodeForTag(int tag, const EditorState& s, bool forComboKey) {
    auto masked = [&](std::string_view prefix, ComboGroup g) { return std::string(prefix) + hex2(s.comboMask(g)); };
    switch (tag) {
    case 0:
    case 1007: return "00000000";
    case 900: return "01010000";
    case 901: return "01020000";
    case 902: return masked("010400", ComboGroup::Middle);
    case 903: return masked("010800", ComboGroup::Backward);
    case 904: return masked("011000", ComboGroup::Forward);
    case 1000: return "05" + hex2(static_cast<unsigned>(s.sniperLevel - 1)) + "0000";
    case 1001: return "0E000000";
    case 1002: return "08000000";
    case 1003: return "08010000";
    case 1004: return "0C000000";
    case 1005: return s.variant == Variant::R210B ? "100710FF" : "1006A0FF";
    case 1006: return "0B8F0000";
    case 1100: return "0300CD00";
    case 1101: return "0300B700";
    case 1102: return "0300B600";
    case 1103: return "0300B500";
    case 1104: return "0300E900";
    case 1105: return "0300EA00";
    case 1106: return "0300E200";
    case 1200: return "03022300";
    case 1201: return "03022100";
    case 1202: return "03022400";
    case 1203: return "03022500";
    case 1204: return "03022600";
    case 1205: return "03022700";
    case 1206: return "03022A00";
    case 1300: return "03019400";
    case 1301: return "03019200";
    case 1302: return "03018A00";
    case 1303: return "02080700";
    case 2000: return masked("090000", ComboGroup::DpiLoop);
    case 2001: return masked("090100", ComboGroup::DpiUp);
    case 2002: return masked("090200", ComboGroup::DpiDown);
    case 2100:
    case 2101:
    case 2102: return fireKeyCode(s.fireKeys[static_cast<std::size_t>(tag - 2100)]);
    case 2200: return "04010000";
    case 2201: return "04020000";
    case 2202: return "04030000";
    case 2300:
    case 2301:
    case 2302: return profileSwitchCode(tag - 2300 + 1, s, forComboKey);
    case 2303: return "07000000";
    case 2400: return "0A000000";
    case 2401: return "0A010000";
    default: return {};
    }
}
// clang-format on

std::string functionCodeName(std::string_view code, const TextSource& texts, EditorState& s) {
    if (code.empty()) return {};
    if (code == "00000000") return texts.text("Str277");
    if (code == "01010000") return texts.text("Str210");
    if (code == "01020000") return texts.text("Str211");
    const auto parsed = parseCodeText(code);
    if (!parsed) return {};
    const CodeBytes& b = *parsed;
    if (b[0] == 0x01) {
        if (b[1] == 0x04) return texts.text("Str212");
        if (b[1] == 0x08) return texts.text("Str213");
        if (b[1] == 0x10) return texts.text("Str214");
    }
    if (b[0] == 0x05) return texts.text("Str260");
    if (code == "0E000000") return texts.text("Str261");
    if (code == "08000000") return texts.text("Str262");
    if (code == "08010000") return texts.text("Str263");
    if (code == "0C000000") return texts.text("Str264");
    if (code == "100710FF" || code == "107000FF" || code == "1006A0FF") return texts.text("Str265");
    if (b[0] == 0x09 && b[1] <= 0x02) return texts.text("Str22" + std::to_string(b[1] + 1));
    if (b[0] == 0x06) return fireKeyName(b, texts, s);
    if (code == "04010000") return texts.text("Str241");
    if (code == "04020000") return texts.text("Str242");
    if (code == "04030000") return texts.text("Str243");
    if (b[0] == 0x07) return profileSwitchName(b, texts, s);
    for (const auto& [exact, id] : kExactNames)
        if (code == exact) return texts.text(id);
    switch (b[0]) {
    case 0x02:
        return keyboardName(b, texts);
    case 0x0B:
        return gunName(b, texts, s);
    case 0x10:
        return macroName(b, s);
    default:
        return {};
    }
}

std::span<const GunName> gunNames() {
    return kGunNames;
}

std::string_view gunNameId(const CodeBytes& code) {
    for (const auto& gun : kGunNames)
        for (const auto& p : gun.prefixes)
            if (p[0] == code[0] && p[1] == code[1] && p[2] == code[2]) return gun.nameId;
    return {};
}

std::string gunKeyListName(int n) {
    return "Fire Macro" + std::to_string(n);
}

bool isGunOrFireMacroName(std::string_view name, const TextSource& texts) {
    if (name.empty()) return false;
    for (int n = 1; n <= 10; ++n)
        if (name == gunKeyListName(n)) return true;
    for (const auto& gun : kGunNames)
        if (name == texts.text(gun.nameId)) return true;
    return false;
}

std::vector<int> gunKeyListRows(const GunKeyList& list) {
    std::vector<int> rows;
    for (std::size_t k = 0; k < list.entries.size(); ++k)
        if (list.entries[k] != CodeBytes{}) rows.push_back(static_cast<int>(k) + 1);
    return rows;
}

} // namespace krm
