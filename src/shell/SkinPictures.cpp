#include "shell/SkinPictures.h"

#include "base/ResourceTable.h"

#include "base/IniFile.h"

#include <array>
#include <cctype>

namespace krm {

namespace {

constexpr PictureSize kPage{850, 374};
constexpr PictureSize kSetS{111, 30};
constexpr PictureSize kBtnS{101, 30};
constexpr PictureSize kSmall{20, 20};
constexpr PictureSize kKeyS{150, 30};
constexpr PictureSize kWebS{200, 66};
constexpr PictureSize kMacroS{90, 25};
constexpr PictureSize kMacroBtnS{50, 25};
constexpr PictureSize kGun{120, 56};
constexpr PictureSize kInsert{207, 162};

constexpr std::array kTable = {
    PictureEntry{"BackGround", {1030, 662}, true},
    PictureEntry{"Back1", {680, 380}, true},
    PictureEntry{"Back2", kPage, true},
    PictureEntry{"Back3", kPage, true},
    PictureEntry{"Back4", kPage, true},
    PictureEntry{"Back5", {720, 650}, true},
    PictureEntry{"Update", {540, 102}},
    PictureEntry{"SetS_01", kSetS},
    PictureEntry{"SetS_02", kSetS},
    PictureEntry{"SetS_03", kSetS},
    PictureEntry{"BtnS_01", kBtnS},
    PictureEntry{"BtnS_02", kBtnS},
    PictureEntry{"BtnS_03", kBtnS},
    PictureEntry{"ExitS_01", kSmall},
    PictureEntry{"ExitS_02", kSmall},
    PictureEntry{"ExitS_03", kSmall},
    PictureEntry{"MiniS_01", kSmall},
    PictureEntry{"MiniS_02", kSmall},
    PictureEntry{"KeyS_01", kKeyS},
    PictureEntry{"KeyS_02", kKeyS},
    PictureEntry{"WebS_01", kWebS},
    PictureEntry{"WebS_02", kWebS},
    PictureEntry{"WebS_03", kWebS},
    PictureEntry{"MacroS_01", kMacroS},
    PictureEntry{"MacroS_02", kMacroS},
    PictureEntry{"MacroS_03", kMacroS},
    PictureEntry{"MacroBtnS_01", kMacroBtnS},
    PictureEntry{"MacroBtnS_02", kMacroBtnS},
    PictureEntry{"MacroBtnS_03", kMacroBtnS},
    PictureEntry{"CbS_D", {16, 16}},
    PictureEntry{"CbS_E", {16, 16}},
    PictureEntry{"RdS_D", {15, 15}},
    PictureEntry{"RdS_E", {15, 15}},
    PictureEntry{"Bar1_D", {26, 18}},
    PictureEntry{"Bar1_E", {26, 18}},
    PictureEntry{"Bar2_D", {20, 16}},
    PictureEntry{"Bar2_E", {20, 16}},
    PictureEntry{"Col_F", {18, 18}},
    PictureEntry{"Slider_Thumb", {25, 25}},
    PictureEntry{"Slider_Ruler", {25, 25}},
    PictureEntry{"Gun1_01", kGun},
    PictureEntry{"Gun2_01", kGun},
    PictureEntry{"Gun3_01", kGun},
    PictureEntry{"Gun4_01", kGun},
    PictureEntry{"Gun5_01", kGun},
    PictureEntry{"Gun6_01", kGun},
    PictureEntry{"Gun7_01", kGun},
    PictureEntry{"Gun1_02", kGun},
    PictureEntry{"Gun2_02", kGun},
    PictureEntry{"Gun3_02", kGun},
    PictureEntry{"Gun4_02", kGun},
    PictureEntry{"Gun5_02", kGun},
    PictureEntry{"Gun6_02", kGun},
    PictureEntry{"Gun7_02", kGun},
    PictureEntry{"GunMode1", {42, 42}},
    PictureEntry{"GunMode2", {52, 52}},
    PictureEntry{"GunMode3", {42, 42}},
    PictureEntry{"GunMode4", {52, 52}},
    PictureEntry{"GunMode5", {62, 62}},
    PictureEntry{"InsertDelayBase", kInsert},
    PictureEntry{"InsertKeyBase", kInsert},
    PictureEntry{"InsertXYBase", kInsert},
    PictureEntry{"MSG", {530, 200}},
};

std::uint32_t bigEndian32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

} // namespace

std::span<const PictureEntry> skinPictureTable() {
    return kTable;
}

std::string lookPicture(int look, std::string_view name) {
    std::string out = "L";
    out += static_cast<char>('0' + look);
    out += '_';
    out += name;
    return out;
}

PictureSizes PictureSizes::listed() {
    PictureSizes sizes;
    for (const PictureEntry& p : kTable) {
        if (!p.perLook) {
            sizes.set(p.name, p.size);
            continue;
        }
        for (int look = 1; look <= 3; ++look) sizes.set(lookPicture(look, p.name), p.size);
    }
    return sizes;
}

PictureSizes PictureSizes::fromResources() {
    PictureSizes sizes = listed();
    for (auto& [name, entry] : sizes.sizes_) entry.headerUnread = true;
    return sizes;
}

void PictureSizes::set(std::string_view name, PictureSize size) {
    sizes_[foldCase(name)] = Entry{size};
}

PictureSize PictureSizes::operator()(std::string_view name) const {
    auto it = sizes_.find(foldCase(name));
    if (it == sizes_.end()) return {};
    Entry& entry = it->second;
    if (entry.headerUnread) {
        entry.headerUnread = false;
        if (auto bytes = ResourceTable::find(it->first))
            if (auto header = pngHeaderSize(*bytes)) entry.size = *header;
    }
    return entry.size;
}

std::optional<PictureSize> pngHeaderSize(std::span<const unsigned char> bytes) {
    // Signature (8 bytes), then the IHDR chunk: length (4), type (4), width (4), height (4).
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24) return std::nullopt;
    for (int i = 0; i < 8; ++i)
        if (bytes[i] != kSignature[i]) return std::nullopt;
    if (bytes[12] != 'I' || bytes[13] != 'H' || bytes[14] != 'D' || bytes[15] != 'R') return std::nullopt;
    const std::uint32_t w = bigEndian32(&bytes[16]);
    const std::uint32_t h = bigEndian32(&bytes[20]);
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return std::nullopt;
    return PictureSize{static_cast<int>(w), static_cast<int>(h)};
}

} // namespace krm
