#include "lighting/LightingEditor.h"

#include "buttons/AssignmentEditor.h"
#include "buttons/FunctionCodes.h"
#include "shell/EngineeringCaptions.h"

#include <algorithm>
#include <numeric>

namespace krm {

namespace {

// One mode of a type: its value in byte 165, user page item (0: none), engineering checkbox (-1: none),
// and where its name comes from (a language id, or a row of the engineering caption table).
struct ModeDef {
    int value;
    int item;
    int checkbox;
    const char* textId;
    int captionRow;
};

// clang-format off
constexpr ModeDef kRgbModes[] = {
    {0, 1, 0, "Str859", -1}, {1, 2, 1, "Str860", -1}, {2, 3, 2, "Str861", -1}, {3, 4, 3, "Str862", -1},
    {4, 5, 4, "Str863", -1}, {5, 6, 5, "Str864", -1}, {6, 0, -1, "Str865", -1}};
constexpr ModeDef kSyncModes[] = {{0, 1, 0, nullptr, 26}, {1, 2, 1, nullptr, 32}, {2, 3, 2, nullptr, 33}};
constexpr ModeDef kNtModes[] = {
    {0, 1, 0, nullptr, 26}, {1, 2, 1, nullptr, 34}, {2, 3, 2, nullptr, 35}, {4, 5, 4, nullptr, 36},
    {5, 6, 5, nullptr, 37}};
constexpr ModeDef kMcuModes[] = {
    {1, 1, 0, "Str815", -1}, {2, 2, 1, "Str816", -1}, {3, 3, 2, "Str817", -1}, {4, 4, 3, "Str818", -1},
    {5, 5, 4, "Str819", -1}, {6, 6, 5, "Str820", -1}, {7, 7, 6, "Str859", -1}};
// clang-format on

std::span<const ModeDef> modeDefs(std::optional<LedType> type) {
    if (!type) return {};
    switch (*type) {
    case LedType::RGB:
        return kRgbModes;
    case LedType::Sync:
        return kSyncModes;
    case LedType::NT:
        return kNtModes;
    case LedType::MCULED:
        return kMcuModes;
    }
    return {};
}

// The engineering mode list's entry a type change selects.
int defaultListIndex(LedType type) {
    switch (type) {
    case LedType::RGB:
        return 5;
    case LedType::Sync:
        return 2;
    case LedType::NT:
        return 3;
    case LedType::MCULED:
        return 4;
    }
    return 0;
}

constexpr std::size_t kMcuInPatch = kMcuLedSpeedOffset - image::kPatchBlockOffset; // 8

std::uint8_t clampByte(long value, long limit = 255) {
    return static_cast<std::uint8_t>(std::clamp(value, 0L, limit));
}

std::uint8_t componentOf(Rgb c, int component) {
    return component == 0 ? c.r : component == 1 ? c.g : c.b;
}

void setComponentOf(Rgb& c, int component, std::uint8_t v) {
    (component == 0 ? c.r : component == 1 ? c.g : c.b) = v;
}

bool isBackward(const std::string& code) {
    const auto bytes = parseCodeText(code);
    return bytes && (*bytes)[0] == 0x01 && (*bytes)[1] == 0x08;
}

} // namespace

LightingEditor::LightingEditor(EditorState& state, const TextSource& texts,
                               std::function<bool()> refreshGuard)
    : state_(state), refreshGuard_(std::move(refreshGuard)), texts_(&texts) {}

void LightingEditor::setLedType(std::string typeText) {
    ledType_ = std::move(typeText);
    state_.ledTypeSync = ledType_ == "Sync";
}

void LightingEditor::loadFromCopies(const SectionCopies& c) {
    typeByte_ = c.user[user::kLedType];
    const LedTypeByte led = decodeLedType(typeByte_);
    setLedType(std::string(ledTypeText(led.type)));
    if (led.type == LedType::NT) ntCountIndex_ = led.ledCount - 1;
    packageIndex_ = (c.vendor[5] & 0x80) ? 1 : 0;
    modeMask_ = c.vendor[vendor::kModeEnableMask];
    breathing_ = decodeBreathing(c.vendor);
    for (int n = 1; n <= 10; ++n) table_[static_cast<std::size_t>(n - 1)] = colourTableEntry(c.vendor, n);
    for (int n = 1; n <= 8; ++n) dpi_[static_cast<std::size_t>(n - 1)] = dpiLevelColour(c.vendor, n);
    currentDpi_ = std::clamp<int>(c.user[user::kCurrentDpi], 0, 7);
    if (const auto item = profileColourIndex(c.user[user::kProfileAndColour]))
        currentProfileColourItem_ = *item;

    std::copy_n(c.patchBlock.begin(), patchDescriptor_.size(), patchDescriptor_.begin());
    std::copy_n(c.patchBlock.begin() + static_cast<std::ptrdiff_t>(kMcuInPatch), mcuSection_.size(),
                mcuSection_.begin());
    const McuLed mcu = decodeMcuLed(c.patchBlock);
    // The lists keep their selection for a value they have no item for.
    if (mcu.speedStep <= 7) mcuStepIndex_ = 7 - mcu.speedStep;
    mcuFullBright_ = mcu.fullBright;
    if (mcu.countCode <= 9) mcuCountIndex_ = 9 - mcu.countCode;
    mcuChecksumGood_ = mcu.checksumGood;

    // The LED-mode combination is on when a Backward button carries combo mask 2 and combo key 2 is
    // "LED Mode".
    const FunctionCodeText codes = buildFunctionCodeText(c);
    bool backwardMasked = false;
    for (const auto& profile : codes.profiles)
        for (const auto& code : profile)
            if (isBackward(code) && code.ends_with("02")) backwardMasked = true;
    state_.ledModeCombination = backwardMasked && codes.comboKeys[1] == "0E000000" ? 1 : 0;
}

void LightingEditor::setTexts(const TextSource& texts) {
    texts_ = &texts;
}

void LightingEditor::deviceLost() {
    ledType_.clear();
}

void LightingEditor::write(EditOutcome& out, std::size_t offset, std::vector<std::uint8_t> bytes) const {
    EditRequest r{guarded() ? EditRequest::Kind::Store : EditRequest::Kind::WriteThrough, offset,
                  std::move(bytes)};
    out.requests.push_back(std::move(r));
}

// --- modes ---

std::vector<LightingMode> LightingEditor::modes(const TextSource& texts) const {
    std::vector<LightingMode> out;
    for (const ModeDef& d : modeDefs(type())) {
        LightingMode m;
        m.value = d.value;
        m.userItem = d.item;
        m.checkbox = d.checkbox;
        m.enabled = (modeMask_ >> d.value & 1) != 0;
        if (d.textId) m.name = texts.text(d.textId);
        if (!d.textId) m.name = std::string(engineeringCaption(d.captionRow));
        out.push_back(std::move(m));
    }
    return out;
}

std::optional<int> LightingEditor::currentListIndex() const {
    const auto list = modes();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].value == currentMode()) return static_cast<int>(i);
    return std::nullopt;
}

bool LightingEditor::userItemShown(int item) const {
    const auto list = modes();
    return std::any_of(list.begin(), list.end(),
                       [item](const LightingMode& m) { return m.userItem == item && m.enabled; });
}

bool LightingEditor::speedEnabled() const {
    const auto t = type();
    if (t == LedType::MCULED) return false; // the MCU LEDs have a speed bar of their own
    if (t == LedType::NT && currentMode() == 0) return false;
    const auto index = currentListIndex();
    if (!index) return true;
    const int item = modes()[static_cast<std::size_t>(*index)].userItem;
    return item >= 1 && item <= 5;
}

std::uint8_t LightingEditor::typeByteForListIndex(int index) const {
    const auto list = modes();
    const int value = list.at(static_cast<std::size_t>(index)).value;
    switch (*type()) {
    case LedType::RGB:
        return static_cast<std::uint8_t>(value);
    case LedType::Sync:
        return static_cast<std::uint8_t>(0x40 + value);
    case LedType::NT:
        return static_cast<std::uint8_t>(0x80 + ntCountIndex_ * 16 + value);
    case LedType::MCULED:
        return static_cast<std::uint8_t>(0x80 + value);
    }
    return 0;
}

EditOutcome LightingEditor::chooseListMode(int index) {
    const auto list = modes();
    if (index < 0 || index >= static_cast<int>(list.size()) || !list[static_cast<std::size_t>(index)].enabled)
        return {}; // "------" is never sent
    EditOutcome out;
    typeByte_ = typeByteForListIndex(index);
    write(out, image::kUserOffset + user::kLedType, {typeByte_});
    return out;
}

EditOutcome LightingEditor::chooseUserMode(int item) {
    const auto t = type();
    if (!t || !userItemShown(item)) return {};
    const int v = *t == LedType::MCULED ? item : item - 1;
    EditOutcome out;
    typeByte_ = static_cast<std::uint8_t>((typeByte_ & 0xF0) + v);
    write(out, image::kUserOffset + user::kLedType, {typeByte_});
    return out;
}

EditOutcome LightingEditor::setModeEnabled(int checkbox, bool enabled) {
    auto list = modes();
    auto it = std::find_if(list.begin(), list.end(), [checkbox](const LightingMode& m) {
        return checkbox >= 0 && m.checkbox == checkbox;
    });
    if (it == list.end()) return {}; // the type shows no such checkbox
    it->enabled = enabled;
    // The mask is built from the seven checkboxes; those the type hides keep the tick the image gave
    // them. MCULED boxes stand for bits 1..7, the others' for bits 0..6.
    const unsigned boxes = type() == LedType::MCULED ? 0xFEu : 0x7Fu;
    const unsigned bit = 1u << it->value;
    modeMask_ = static_cast<std::uint8_t>(((modeMask_ & boxes) & ~bit) | (enabled ? bit : 0u));
    EditOutcome out;
    write(out, vendor::kModeEnableMask, {modeMask_});

    // The selection moves off a mode that is no longer offered, to the first one that is.
    const auto index = currentListIndex();
    if (index && !list[static_cast<std::size_t>(*index)].enabled) {
        const auto first =
            std::find_if(list.begin(), list.end(), [](const LightingMode& m) { return m.enabled; });
        if (first != list.end()) {
            auto next = chooseListMode(static_cast<int>(first - list.begin()));
            out.requests.insert(out.requests.end(), next.requests.begin(), next.requests.end());
        }
    }
    return out;
}

EditOutcome LightingEditor::setNtLedCount(int count) {
    if (type() != LedType::NT || count < 1 || count > 8) return {};
    ntCountIndex_ = count - 1;
    EditOutcome out;
    // One LED gives 0x80 + mode, which the mouse reports back as an MCU LED byte.
    typeByte_ = static_cast<std::uint8_t>(0x80 + ntCountIndex_ * 16 + currentMode());
    write(out, image::kUserOffset + user::kLedType, {typeByte_});
    return out;
}

EditOutcome LightingEditor::changeLedType(LedType newType) {
    setLedType(std::string(ledTypeText(newType)));
    packageIndex_ = newType == LedType::RGB ? 1 : 0;
    if (guarded()) return {};
    EditOutcome out;
    // Every mode the type offers is ticked.
    std::uint8_t mask = 0;
    for (const LightingMode& m : modes())
        if (m.checkbox >= 0) mask = static_cast<std::uint8_t>(mask | 1u << m.value);
    modeMask_ = mask;
    write(out, vendor::kModeEnableMask, {modeMask_});
    typeByte_ = typeByteForListIndex(defaultListIndex(newType));
    write(out, image::kUserOffset + user::kLedType, {typeByte_});
    out.requests.push_back(EditRequest::regenerateForLedType());
    return out;
}

// --- speed and breathing ---

EditOutcome LightingEditor::chooseSpeedLevel(int level) {
    if (level < 1 || level > 10) return {};
    const std::uint8_t t = kSpeedStepTimes[static_cast<std::size_t>(level - 1)];
    breathing_.stepTime = t;
    EditOutcome out;
    write(out, vendor::kStepTime, {t});
    // The step time field takes the value and sends it once more, as the engineering page does.
    write(out, vendor::kStepTime, {t});
    return out;
}

EditOutcome LightingEditor::setStepTime(long value) {
    breathing_.stepTime = clampByte(value);
    EditOutcome out;
    write(out, vendor::kStepTime, {breathing_.stepTime});
    return out;
}

long LightingEditor::breathingLimit(BreathField field) {
    return field == BreathField::LowerHold ? 4094 : 65535;
}

EditOutcome LightingEditor::setBreathing(BreathField field, long value) {
    const auto v = static_cast<std::uint16_t>(std::clamp(value, 0L, breathingLimit(field)));
    std::size_t offset = 0;
    switch (field) {
    case BreathField::LowerBrightness:
        breathing_.lowerBrightness = v, offset = vendor::kBreathLowBright;
        break;
    case BreathField::UpperBrightness:
        breathing_.upperBrightness = v, offset = vendor::kBreathHighBright;
        break;
    case BreathField::LowerHold:
        breathing_.lowerHold = v, offset = vendor::kBreathLowHold;
        break;
    case BreathField::UpperHold:
        breathing_.upperHold = v, offset = vendor::kBreathHighHold;
        break;
    }
    EditOutcome out;
    write(out, offset, {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v & 0xFF)});
    return out;
}

// --- colours ---

EditOutcome LightingEditor::setComponent(std::size_t base, std::array<Rgb, 10>& colours, int count, int n,
                                         int component, long value) {
    if (n < 1 || n > count || component < 0 || component > 2) return {};
    const std::uint8_t v = clampByte(value);
    setComponentOf(colours[static_cast<std::size_t>(n - 1)], component, v);
    EditOutcome out;
    write(out, base + 3 * static_cast<std::size_t>(n - 1) + static_cast<std::size_t>(component), {v});
    return out;
}

EditOutcome LightingEditor::pickColour(std::size_t base, std::array<Rgb, 10>& colours, int count, int n,
                                       Rgb colour) {
    if (n < 1 || n > count) return {};
    EditOutcome out;
    // The three fields take the components and each sends its byte; then the colour goes as one write.
    for (int c = 0; c < 3; ++c) {
        auto one = setComponent(base, colours, count, n, c, componentOf(colour, c));
        out.requests.insert(out.requests.end(), one.requests.begin(), one.requests.end());
    }
    write(out, base + 3 * static_cast<std::size_t>(n - 1), {colour.r, colour.g, colour.b});
    return out;
}

EditOutcome LightingEditor::setTableComponent(int n, int component, long value) {
    return setComponent(vendor::kColourTable, table_, 10, n, component, value);
}
EditOutcome LightingEditor::setDpiComponent(int level, int component, long value) {
    return setComponent(vendor::kDpiColours, dpi_, 8, level, component, value);
}
EditOutcome LightingEditor::pickTableColour(int n, Rgb colour) {
    return pickColour(vendor::kColourTable, table_, 10, n, colour);
}
EditOutcome LightingEditor::pickDpiColour(int level, Rgb colour) {
    return pickColour(vendor::kDpiColours, dpi_, 8, level, colour);
}

void LightingEditor::setCurrentProfileColourItem(int item) {
    if (item >= 0 && item <= kUserColourItem) currentProfileColourItem_ = item;
}

// --- MCU LED ---

int LightingEditor::mcuStepSegment() const {
    const int step = mcuSection_[0] > 7 ? 0 : mcuSection_[0];
    return 8 - step;
}

EditOutcome LightingEditor::setMcuStepIndex(int index) {
    if (type() != LedType::MCULED || index < 0 || index > 7) return {};
    mcuStepIndex_ = index;
    return writeMcuLed();
}

EditOutcome LightingEditor::setMcuFullBright(bool full) {
    if (type() != LedType::MCULED) return {};
    mcuFullBright_ = full;
    return writeMcuLed();
}

EditOutcome LightingEditor::setMcuCountIndex(int index) {
    if (type() != LedType::MCULED || index < 0 || index > 9) return {};
    mcuCountIndex_ = index;
    return writeMcuLed();
}

EditOutcome LightingEditor::writeMcuLed() {
    // A list without a selection (a stored value it has no item for) keeps the stored value.
    if (mcuStepIndex_) mcuSection_[0] = static_cast<std::uint8_t>(7 - *mcuStepIndex_);
    const int countCode = mcuCountIndex_ ? 9 - *mcuCountIndex_ : mcuSection_[1] & 0x0F;
    mcuSection_[1] = static_cast<std::uint8_t>((mcuFullBright_ ? 0x80 : 0) + countCode);
    const unsigned sum = std::accumulate(mcuSection_.begin(), mcuSection_.end() - 1, 0u);
    mcuSection_[7] = static_cast<std::uint8_t>((sum & 0xFF) ^ 0x5A);
    mcuChecksumGood_ = true;

    EditOutcome out;
    // The block write carries the whole patch block: the descriptor as held, then the MCU LED section.
    std::vector<std::uint8_t> block(image::kPatchBlockLength);
    std::copy(patchDescriptor_.begin(), patchDescriptor_.end(), block.begin());
    std::copy(mcuSection_.begin(), mcuSection_.end(),
              block.begin() + static_cast<std::ptrdiff_t>(kMcuInPatch));
    if (guarded()) {
        out.requests.push_back(EditRequest::store(image::kPatchBlockOffset, block));
        return out;
    }
    out.requests.push_back(EditRequest::blockWrite(image::kPatchBlockOffset, block));
    out.requests.push_back(EditRequest::xdataWrite(kMcuLedSpeedXdata, mcuSection_[0]));
    out.requests.push_back(EditRequest::xdataWrite(kMcuLedControlXdata, mcuSection_[1]));
    return out;
}

// --- LED-mode combination ---

EditOutcome LightingEditor::applyLedModeCombination(AssignmentEditor& assignments) {
    if (guarded()) return {};
    const bool on = state_.ledModeCombination == 1;
    EditOutcome out;
    auto keepStores = [&out](const EditOutcome& part) {
        for (const EditRequest& r : part.requests) {
            if (r.kind == EditRequest::Kind::Store || r.kind == EditRequest::Kind::WriteQuad)
                out.requests.push_back(EditRequest::store(r.offset, r.bytes));
        }
    };
    const std::string comboCode = on ? "0E000000" : "00000000";
    const std::string comboName = functionCodeName(comboCode, *texts_, state_);
    assignments.openFromComboKey(2);
    keepStores(assignments.applyDialogCode(comboCode, comboName));

    const std::string backward = on ? "01080002" : "01080000";
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            if (!isBackward(assignments.code(p, k))) continue;
            assignments.openFromProfileTable(p, k);
            keepStores(assignments.applyDialogCode(backward, assignments.tableCaption(p, k)));
        }
    assignments.refreshCaptions();
    out.requests.push_back(EditRequest::vendorSectionRewrite());
    out.requests.push_back(EditRequest::profileRewrite());
    return out;
}

} // namespace krm
