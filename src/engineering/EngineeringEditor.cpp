#include "engineering/EngineeringEditor.h"

#include "base/Bits.h"
#include "image/ImageFields.h"
#include "image/ImageLayout.h"
#include "image/SectionDefaults.h"

#include <algorithm>
#include <cctype>

namespace krm {

namespace {

const std::vector<OptionControl>& optionTable() {
    static const std::vector<OptionControl> kTable = {
        {"cb_ICType", "IC Type:", "Option 0 (0x70E0)", 4, 7, 6, {"R200", "R200", "R210", "R220/R210"}},
        {"cb_SensorEnhance", "Sensor enhance:", "Option 0 (0x70E0)", 4, 3, 3, {"Disable", "Enable"}},
        {"cb_Package", "LED Type:", "Option 4 (0x70E4)", 5, 7, 7, {"A-Tech LED", "RGB LED"}},
        {"cb_KbdType", "KeyMatrix Tyep:", "Option 4 (0x70E4)", 5, 6, 6, {"IO", "Multi Key"}},
        {"cb_CPIIndication",
         "CPI Indication:",
         "Option 4 (0x70E4)",
         5,
         5,
         4,
         {"No Indication", "Fade ", "Flash"},
         OptionMapping::PlusOne},
        {"cb_CPISet",
         "CPI Set:",
         "Option 4 (0x70E4)",
         5,
         3,
         2,
         {"800,1200,1600,2400", "600,1200,2400,4800", "1000,2400,3200,6000", "400,800,1600,2400"},
         OptionMapping::ThreeMinus},
        {"cb_CPILevel", "CPI Level:", "Option 4 (0x70E4)", 5, 1, 0, {"1st", "4th", "3rd", "2nd"}},
        {"cb_SensorRotation", "Sensor Rotation:", "", 6, 7, 6, {"270°", "180°", "90°", "0 °"}},
        {"cb_CPIPrescaleSel",
         "CPI Pre-scale Sel:",
         "Option 5 (0x70E5)",
         6,
         5,
         4,
         {"1.00x", "1.12x", "1.25x", "1.33x"},
         OptionMapping::PrescaleMap},
        {"cb_FireKeyFreq", "Fire Key  Freq:", "Option 5 (0x70E5)", 6, 3, 2, {"Random", "3Hz", "4Hz", "5Hz"}},
        {"cb_FireKeyCount",
         "Frie Key Count:",
         "Option 5 (0x70E5)",
         6,
         1,
         0,
         {"Continue", "4 times", "3 times", "2 times"}},
        {"cb_LEDCtrl0", "LED ctrl0:", "Option 6 (0x70E6)", 7, 7, 7, {"open drain", "drive high"}},
        {"cb_LEDCtrl1", "LED ctrl1:", "Option 6 (0x70E6)", 7, 6, 6, {"high active", "low active"}},
        {"cb_LEDModeFuse",
         "LED Mode:",
         "Option 6 (0x70E6)",
         7,
         5,
         4,
         {"1/F3(ZK LED)", "2/F2(ZK LED)", "5/F1(ZK LED)", "4/2(28s Sync LED)"}},
        {"cb_ComboKeyTime", "Combo Key Time:", "Option 6 (0x70E6)", 7, 3, 3, {"2s", "3s"}},
        {"cb_USBCDR", "USB CDR Sel:", "Option 6 (0x70E6)", 7, 2, 2, {"CDR2", "CDR1"}},
        {"cb_SensorSleep", "Sensor Sleep:", "Option 6 (0x70E6)", 7, 1, 1, {"Enable", "Disable"}},
        {"cb_LEDPower", "Usb Msc Mode:", "Option 6 (0x70E6)", 7, 0, 0, {"drive high", "open drain"}},
        {"cb_EFTrelyNAK", "EFT-rely NAK:", "Option 7 (0x70E7)", 8, 3, 3, {"Disable", "Enable"}},
        {"cb_EFTrelug", "EFT-relug:", "Option 7 (0x70E7)", 8, 2, 2, {"Disable", "Enable"}},
        {"cb_KeepProfileInfo", "Keep profile Info:", "Option 7 (0x70E7)", 8, 1, 1, {"Disable", "Enable"}},
        {"cb_ProfileLEDFlash", "Profile LED Flash:", "Option 7 (0x70E7)", 8, 0, 0, {"Disable", "Enable"}},
    };
    return kTable;
}

constexpr RegisterControl kRegisters[] = {
    {"Avg_lb_lq", 9, 2},
    {"Avg_hb_lq", 10, 2},
    {"Avg_tg_lq", 11, 2},
    {"Avg_lb", 12, 2},
    {"Avg_hb", 13, 2},
    {"Avg_tg", 14, 2},
    {"MiscBitCfg", 15, 2},
    {"HSqDcrDiv_LSqDcrDiv", 16, 2},
    {"LfBpsShlThr", 17, 2},
    {"LfHfsqThr", 18, 2},
    {"CrpThrGain1Sql", 19, 2},
    {"CrpThrGain1Sqh", 20, 2},
    {"CrpThrGain2Sql", 21, 2},
    {"CrpThrGain2Sqh", 22, 2},
    {"CrpThrGain4Sql", 23, 2},
    {"CrpThrGain4Sqh", 24, 2},
    {"CrpThrGain8Sqx", 25, 2},
    {"BpGainThr_LandThrWeight", 26, 2},
    {"CrpCntThr_LftBpsGainThr", 27, 2},
    {"HsqCorBit_LsqCorBit", 28, 2},
    {"LftCorBitAvgThr", 29, 2},
    {"SubpixCorBit_MaxGain", 30, 2},
    {"MaxShut", 31, 2},
    {"LandCntThr", 32, 2},
    {"LiftCntThr", 33, 2},
    {"CorBitHfsqThr", 34, 2},
    {"illumXledAvgThr", 35, 2},
    {"BpHfsqThr", 36, 2},
    {"HgLsqCorBit_LgLsqCorBit", 37, 2},
    {"HgLsqThr", 38, 2},
    {"Misc_G8CorBit", 39, 2},
    {"LEDInit0", 40, 4},
    {"LEDInit1", 41, 2},
};

constexpr int kPrescaleValues[] = {3, 1, 2, 0};

// Image offsets of the USB ids (big-endian) in the vendor section.
constexpr std::size_t kVendorIdOffset = 0, kProductIdOffset = 2;

} // namespace

std::span<const OptionControl> optionControls() {
    return optionTable();
}

const OptionControl* findOptionControl(std::string_view control) {
    for (const OptionControl& c : optionTable())
        if (c.control == control) return &c;
    return nullptr;
}

int optionFieldValue(const OptionControl& c, int index) {
    switch (c.mapping) {
    case OptionMapping::Index:
        return index;
    case OptionMapping::PlusOne:
        return index + 1;
    case OptionMapping::ThreeMinus:
        return 3 - index;
    case OptionMapping::PrescaleMap:
        return kPrescaleValues[std::clamp(index, 0, 3)];
    }
    return index;
}

std::optional<int> optionIndexForValue(const OptionControl& c, int value) {
    for (int i = 0; i < static_cast<int>(c.items.size()); ++i)
        if (optionFieldValue(c, i) == value) return i;
    // A value no item writes (0 of the indication field) shows as the image layout names it, as the
    // dump does.
    for (const OptionField& f : optionFields()) {
        if (f.control != c.control) continue;
        const auto item = std::find(c.items.begin(), c.items.end(), optionText(f, value));
        if (item != c.items.end()) return static_cast<int>(item - c.items.begin());
    }
    return std::nullopt;
}

std::span<const RegisterControl> registerControls() {
    return kRegisters;
}

bool acceptedHexCharacter(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool acceptedDecimalCharacter(char c) {
    return c >= '0' && c <= '9';
}

std::string filterHex(std::string_view text) {
    std::string out;
    for (char c : text)
        if (acceptedHexCharacter(c)) out += c;
    return out;
}

std::string filterDecimal(std::string_view text) {
    std::string out;
    for (char c : text)
        if (acceptedDecimalCharacter(c)) out += c;
    return out;
}

std::string hexText(long v) {
    if (v <= 0) return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (auto u = static_cast<unsigned long>(v); u != 0; u >>= 4) out.insert(out.begin(), kDigits[u & 0xF]);
    return out;
}

long hexValue(std::string_view text) {
    long v = 0;
    for (char c : filterHex(text)) {
        const int digit = c <= '9' ? c - '0' : (std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
        // Past eight digits the value stays at its cap: every caller limits it far below.
        v = std::min(v * 16 + digit, 0x7FFFFFFFL);
    }
    return v;
}

std::string decimalText(long v) {
    return v <= 0 ? std::string() : std::to_string(v);
}

long decimalValue(std::string_view text) {
    long v = 0;
    for (char c : filterDecimal(text)) v = std::min(v * 10 + (c - '0'), 0x7FFFFFFFL);
    return v;
}

// --- hidden mode ---

HiddenMode::Step HiddenMode::doubleClicked() {
    if (level_ != Level::Off) {
        level_ = Level::Off;
        return Step::Hidden;
    }
    ++count_;
    return count_ % 5 == 0 ? Step::AskPassword : Step::Counted;
}

void HiddenMode::passwordEntered(std::string_view entry, bool fullAllowed) {
    if (entry == kSilentCode)
        level_ = Level::Silent;
    else if (fullAllowed && entry == kFullCode)
        level_ = Level::Full;
}

// --- editor ---

EngineeringEditor::EngineeringEditor(std::function<bool()> refreshGuard,
                                     std::function<const SectionCopies&()> copies)
    : refreshGuard_(std::move(refreshGuard)), copies_(std::move(copies)) {}

void EngineeringEditor::loadFromCopies(const SectionCopies& copies) {
    vendor_ = copies.vendor;
    fireKey_ = copies.fireKey;
    patchChecksum_ = readBe16(copies.patchBlock, 6);
}

void EngineeringEditor::sync() const {
    if (!copies_) return;
    const SectionCopies& c = copies_();
    vendor_ = c.vendor;
    fireKey_ = c.fireKey;
    patchChecksum_ = readBe16(c.patchBlock, 6);
}

int EngineeringEditor::vendorCode() const {
    sync();
    return fireKey_[0];
}

int EngineeringEditor::productCode() const {
    sync();
    return fireKey_[1];
}

std::uint16_t EngineeringEditor::patchChecksum() const {
    sync();
    return patchChecksum_;
}

std::optional<int> EngineeringEditor::optionIndex(const OptionControl& c) const {
    sync();
    return optionIndexForValue(c, readBits(vendor_[c.offset], c.high, c.low));
}

EditOutcome EngineeringEditor::chooseOption(const OptionControl& c, int index) {
    if (index < 0 || index >= static_cast<int>(c.items.size()))
        return EditOutcome::refusal("\"" + std::to_string(index) + "\" is no item of " +
                                    std::string(c.control));
    sync();
    const std::uint8_t byte = writeBits(vendor_[c.offset], c.high, c.low, optionFieldValue(c, index));
    vendor_[c.offset] = byte;
    EditOutcome out;
    const std::size_t at = image::kVendorOffset + c.offset;
    out.requests.push_back(guarded() ? EditRequest::store(at, {byte})
                                     : EditRequest::writeThrough(at, {byte}));
    // The LED package decides which button slots the key page offers: the editors take it from the copies.
    if (c.control == "cb_Package") out.followup = Followup::ReloadEditors;
    return out;
}

int EngineeringEditor::registerValue(const RegisterControl& r) const {
    sync();
    return vendor_[r.offset];
}

EditOutcome EngineeringEditor::setRegister(const RegisterControl& r, long value) {
    sync();
    const auto byte = static_cast<std::uint8_t>(std::clamp(value, 0L, 255L));
    vendor_[r.offset] = byte;
    EditOutcome out;
    const std::size_t at = image::kVendorOffset + r.offset;
    // The copy follows the mouse, so that a later rewrite of the whole vendor section keeps the value.
    out.requests.push_back(guarded() ? EditRequest::store(at, {byte})
                                     : EditRequest::writeThrough(at, {byte}));
    return out;
}

std::uint16_t EngineeringEditor::vendorId() const {
    sync();
    return readBe16(vendor_, kVendorIdOffset);
}

std::uint16_t EngineeringEditor::productId() const {
    sync();
    return readBe16(vendor_, kProductIdOffset);
}

std::string EngineeringEditor::descriptor() const {
    sync();
    std::string text;
    for (std::size_t i = 0; i < kDescriptorLength; ++i) {
        const std::uint8_t b = vendor_[kDescriptorOffset + i];
        if (b == 0) break;
        text += static_cast<char>(b);
    }
    return text;
}

EditOutcome EngineeringEditor::writeIds(std::size_t offset, std::string_view text) {
    sync();
    if (text.size() != 4 || filterHex(text).size() != 4) return {};
    const auto id = static_cast<std::uint16_t>(hexValue(text));
    if (id == 0)
        return EditOutcome::refusal(std::string(offset == kVendorIdOffset ? "A vendor" : "A product") +
                                    " id of 0000 is not sent: the mouse could not be found under it again.");
    writeBe16(vendor_, offset, id);
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF)};
    EditOutcome out;
    out.requests.push_back(guarded() ? EditRequest::store(offset, bytes)
                                     : EditRequest::writeThrough(offset, bytes));
    return out;
}

EditOutcome EngineeringEditor::typeVendorId(std::string_view text) {
    return writeIds(kVendorIdOffset, text);
}

EditOutcome EngineeringEditor::typeProductId(std::string_view text) {
    return writeIds(kProductIdOffset, text);
}

EditOutcome EngineeringEditor::typeDescriptor(std::string_view text) {
    sync();
    if (text.size() > kDescriptorLength)
        return EditOutcome::refusal("The USB description takes at most 16 characters; \"" +
                                    std::string(text) + "\" has " + std::to_string(text.size()) + ".");
    for (char c : text)
        if (c < 0x20 || c > 0x7E)
            return EditOutcome::refusal("The USB description takes letters, digits, spaces and ASCII marks "
                                        "only (one byte each).");
    std::fill_n(vendor_.begin() + kDescriptorOffset, kDescriptorLength, 0);
    std::copy(text.begin(), text.end(), vendor_.begin() + kDescriptorOffset);
    EditOutcome out;
    // Five writes of three bytes and the last byte alone: 111, 114, 117, 120, 123, 126.
    for (std::size_t at = kDescriptorOffset; at < kDescriptorOffset + kDescriptorLength; at += 3) {
        const std::size_t n = std::min<std::size_t>(3, kDescriptorOffset + kDescriptorLength - at);
        const auto bytes = std::span<const std::uint8_t>(vendor_).subspan(at, n);
        out.requests.push_back(guarded() ? EditRequest::store(at, bytes)
                                         : EditRequest::writeThrough(at, bytes));
    }
    return out;
}

EditOutcome EngineeringEditor::setFactoryCodes(long vendorCode, long productCode) {
    sync();
    fireKey_[0] = static_cast<std::uint8_t>(std::clamp(vendorCode, 0L, 255L));
    fireKey_[1] = static_cast<std::uint8_t>(std::clamp(productCode, 0L, 255L));
    EditOutcome out;
    out.requests.push_back(guarded() ? EditRequest::store(image::kFireKeyOffset, fireKey_)
                                     : EditRequest::blockWrite(image::kFireKeyOffset, fireKey_));
    return out;
}

EditOutcome EngineeringEditor::xdataWrite(std::uint16_t address, std::uint8_t value) const {
    EditOutcome out;
    out.requests.push_back(EditRequest::xdataWrite(address, value));
    return out;
}

EditOutcome EngineeringEditor::changedXData() const {
    EditOutcome out;
    out.requests = {EditRequest::xdataWrite(0x7241, 0x01), EditRequest::xdataWrite(0x7242, 0x06),
                    EditRequest::xdataWrite(0x7243, 0x01)};
    return out;
}

} // namespace krm
