#include "fire/FireEditor.h"

#include "base/Bits.h"
#include "buttons/FunctionCodes.h"
#include "macros/MacroLibrary.h"

#include <algorithm>
#include <utility>

namespace krm {

namespace {

using fire::StageField;

constexpr std::size_t kColourSlotAddress = 0x39; // colour slot i + 1 at 0x39 + 3i: R, G, B
constexpr std::size_t kXAdjustAddress = image::kUserOffset + user::kXAdjust; // 0xAB
constexpr std::size_t kYAdjustAddress = image::kUserOffset + user::kYAdjust; // 0xB5

// Names a fire-key code without touching the continue boxes while a slot change is made.
class QuietFireNaming {
public:
    explicit QuietFireNaming(EditorState& s) : s_(s), old_(s.fireChangeInProgress) {
        s_.fireChangeInProgress = true;
    }
    ~QuietFireNaming() { s_.fireChangeInProgress = old_; }
    QuietFireNaming(const QuietFireNaming&) = delete;
    QuietFireNaming& operator=(const QuietFireNaming&) = delete;

private:
    EditorState& s_;
    bool old_;
};

// The functions that take part in the game-mode trigger and the combo masks, by their first two bytes.
struct TriggerFunction {
    std::uint8_t b0, b1;
    ComboGroup group;
    int triggerItem;          // the game-mode trigger item that marks it
    std::uint8_t triggerMask; // the mask that item gives it
};
constexpr std::array<TriggerFunction, 6> kTriggerFunctions{{
    {0x01, 0x04, ComboGroup::Middle, 1, 0x08},
    {0x09, 0x00, ComboGroup::DpiLoop, 2, 0x08},
    {0x09, 0x01, ComboGroup::DpiUp, 3, 0x08},
    {0x09, 0x02, ComboGroup::DpiDown, 4, 0x08},
    {0x01, 0x08, ComboGroup::Backward, 5, 0x02},
    {0x01, 0x10, ComboGroup::Forward, 6, 0x02},
}};

const TriggerFunction* triggerFunction(const CodeBytes& code) {
    for (const auto& f : kTriggerFunctions)
        if (code[0] == f.b0 && code[1] == f.b1) return &f;
    return nullptr;
}

// Combo mask of gun and fire-macro buttons for a trigger item while the gun-mode flag is on.
std::uint8_t gunMaskFor(int item) {
    if (item >= 1 && item <= 4) return 0x08;
    if (item == 5 || item == 6) return 0x02;
    return 0x00;
}

// A profile switch to profile 2 ("Game Mode"), as combo keys 2 and 4 carry it for the trigger.
bool isGameModeSwitch(const CodeBytes& code) {
    return code[0] == 0x07 && code[1] != 0 && (code[1] & 0x87) == 0x81;
}

// A profile switch to profile 1, 2 or 3 (named Str251..Str253).
bool isProfileSwitch(const CodeBytes& code) {
    return code[0] == 0x07 && (code[1] & 0x87) >= 0x80 && (code[1] & 0x87) <= 0x82;
}

// The profile-switch options of the first profile switch that carries any (option bits or an
// offset), in profile and button order.
std::optional<ProfileSwitchOptions> carriedSwitchOptions(const SectionCopies& copies) {
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            const CodeBytes code = profileCode(copies, p, k);
            if (isProfileSwitch(code) && ((code[1] & 0x70) != 0 || (code[2] & 0x0F) != 0 || code[3] != 0))
                return ProfileSwitchOptions{(code[1] & 0x40) != 0, (code[1] & 0x20) != 0,
                                            (code[1] & 0x10) != 0, (code[2] & 0x0F) << 8 | code[3]};
        }
    return std::nullopt;
}

std::optional<int> itemForMask(std::uint8_t mask) {
    for (int item = 0; item <= 8; ++item)
        if (comboMaskForItem(item) == mask) return item;
    return std::nullopt;
}

std::uint8_t signedByte(int v) {
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(std::clamp(v, -128, 127)));
}

} // namespace

FireEditor::FireEditor(EditorState& state, const SectionCopies& copies, AssignmentEditor& assignments,
                       const TextSource& texts, std::function<bool()> refreshGuard, int gun6Stages,
                       int gun7Stages)
    : state_(state), copies_(copies), assignments_(assignments), texts_(&texts),
      refreshGuard_(std::move(refreshGuard)), gun6Stages_(std::clamp(gun6Stages, 1, 2)),
      gun7Stages_(std::clamp(gun7Stages, 1, 3)), gunKeyFile_(state.gunKeys) {}

std::string gunKeyListPath(const std::string& brandingFolder) {
    return macroLibraryFolder(brandingFolder) + GunKeyListFile::kFileName;
}

// --- load ---

void FireEditor::loadFromCopies(const SectionCopies& copies) {
    for (int k = 1; k <= fire::kSlots; ++k) {
        const FireKeyBlockSlot slot = readFireKeySlot(copies.fireKey, k);
        auto& editorSlot = state_.fireKeys[static_cast<std::size_t>(k - 1)];
        editorSlot.count = slot.repeat;
        editorSlot.interval = slot.interval;
    }

    // Options a read brings back (switches given from the menu carry none, and leave them as set).
    if (const auto options = carriedSwitchOptions(copies)) state_.profileSwitch = *options;

    // The trigger item, the gun-mode flag and the combo masks as the button codes carry them.
    const bool combo2Game = isGameModeSwitch(comboKeyCode(copies, 2));
    const bool combo4Game = isGameModeSwitch(comboKeyCode(copies, 4));
    state_.gameModeTrigger = 0;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            const CodeBytes code = profileCode(copies, p, k);
            if (const auto* f = triggerFunction(code)) {
                if (const auto item = itemForMask(code[3]))
                    state_.comboEnable[static_cast<std::size_t>(f->group)] = *item;
                if (code[3] == 0x08 && combo4Game && f->triggerMask == 0x08)
                    state_.gameModeTrigger = f->triggerItem;
                if (code[3] == 0x02 && combo2Game && f->triggerMask == 0x02)
                    state_.gameModeTrigger = f->triggerItem;
            } else if (isGunButton(code)) {
                if (const auto item = itemForMask(code[3]))
                    state_.comboEnable[static_cast<std::size_t>(ComboGroup::Gun)] = *item;
                if (code[3] != 0 && (combo2Game || combo4Game))
                    state_.gunFireMode = true;
                else if (code[3] == 0 || p == 1)
                    state_.gunFireMode = false;
            }
        }
    takeWorkingCopy();
}

void FireEditor::takeWorkingCopy() {
    for (int i = 0; i < image::kFireMacroCount; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        bodies_[idx] = copies_.fireMacroBodies[idx];
        bodies_[idx].resize(copies_.layout.fireMacroBodySize, 0);
        xAdjust_[idx] = fireMacroXAdjust(copies_.user, i);
        yAdjust_[idx] = fireMacroYAdjust(copies_.user, i);
        colours_[idx] = colourTableEntry(copies_.vendor, i + 1);
    }
    chooseGun(gun_);
}

// --- slots ---

const FireKeySlot& FireEditor::slot(int k) const {
    return state_.fireKeys.at(static_cast<std::size_t>(std::clamp(k, 1, fire::kSlots) - 1));
}

EditOutcome FireEditor::setSlot(int k, int repeat, int interval, bool continueOn) {
    if (k < 1 || k > fire::kSlots) return EditOutcome::refusal("The fire-key slot is 1..3.");
    if (repeat < fire::kMinRepeat || repeat > fire::kMaxRepeat)
        return EditOutcome::refusal("The repeat count is " + std::to_string(fire::kMinRepeat) + ".." +
                                    std::to_string(fire::kMaxRepeat) + ".");
    if (interval < 0 || interval > 0xFFFF) return EditOutcome::refusal("The interval is 0..65535 ms.");
    EditOutcome out;
    const std::string slotName = texts_->text("Str23" + std::to_string(k));
    {
        const QuietFireNaming quiet(state_);
        // Buttons are matched by the names they had under the slot values before this change.
        const auto names = assignments_.displayNames();
        auto& s = state_.fireKeys[static_cast<std::size_t>(k - 1)];
        s.count = repeat;
        s.interval = interval;
        s.continueBox = continueOn;

        auto block = copies_.fireKey;
        const std::size_t at = 2 + 3 * static_cast<std::size_t>(k - 1);
        block[at] = static_cast<std::uint8_t>(repeat - 1);
        writeBe16(block, at + 1, static_cast<std::uint16_t>(interval));
        out.requests.push_back(EditRequest::store(image::kFireKeyOffset, block));

        const CodeBytes code = fire::fireKeyCode(repeat, interval, continueOn);
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int b = 1; b <= codes::kButtonsPerProfile; ++b)
                if (!slotName.empty() &&
                    names[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(b - 1)] == slotName)
                    rewriteButton(p, b, code, out);
    }
    finishProfiles(out, false, true);
    return out;
}

EditOutcome FireEditor::toggleContinue(int k) {
    if (k < 1 || k > fire::kSlots) return {};
    const FireKeySlot s = slot(k);
    return setSlot(k, s.count, s.interval, !s.continueBox);
}

// --- gun page ---

void FireEditor::openGunPage() {
    gun_ = 1;
    takeWorkingCopy();
}

void FireEditor::cancelGun() {
    takeWorkingCopy();
}

void FireEditor::chooseGun(int gun) {
    gun_ = std::clamp(gun, 1, fire::kGuns);
    stages_ = {};
    for (int s = 0; s < stagesShown(); ++s) parseStage(s);
}

void FireEditor::parseStage(int s) {
    auto& st = stages_[static_cast<std::size_t>(s)];
    st = {};
    st.macro = fire::gunFirstMacro(gun_) + s;
    const auto m = static_cast<std::size_t>(st.macro);
    const fire::ParsedBody parsed = fire::parseBody(bodies_[m]);
    st.at = parsed.at;
    st.count = std::to_string(parsed.count);
    st.x = std::to_string(parsed.x);
    st.y = std::to_string(parsed.y);
    st.interval = std::to_string(parsed.interval);
    st.xAdjust = std::to_string(xAdjust_[m]);
    st.yAdjust = std::to_string(yAdjust_[m]);
    st.colour = colours_[m];
}

std::string FireEditor::editStage(int s, StageField field, std::string_view text) {
    if (s < 0 || s >= stagesShown()) return "0";
    auto& st = stages_[static_cast<std::size_t>(s)];
    const auto m = static_cast<std::size_t>(st.macro);
    auto& body = bodies_[m];
    auto put = [&](const std::optional<std::size_t>& at, std::uint8_t value) {
        if (at && *at < body.size()) body[*at] = value;
    };
    switch (field) {
    case StageField::Count:
        st.count = fire::countField(text);
        put(st.at.count, static_cast<std::uint8_t>(fire::fieldValue(st.count)));
        return st.count;
    case StageField::X:
        st.x = fire::movementField(text, xAdjust_[m]);
        if (st.x != "-") put(st.at.x, signedByte(fire::fieldValue(st.x)));
        return st.x;
    case StageField::Y:
        st.y = fire::movementField(text, yAdjust_[m]);
        if (st.y != "-") put(st.at.y, signedByte(fire::fieldValue(st.y)));
        return st.y;
    case StageField::XAdjust:
        st.xAdjust = fire::movementField(text, fire::fieldValue(st.x));
        if (st.xAdjust != "-") xAdjust_[m] = fire::fieldValue(st.xAdjust);
        return st.xAdjust;
    case StageField::YAdjust:
        st.yAdjust = fire::movementField(text, fire::fieldValue(st.y));
        if (st.yAdjust != "-") yAdjust_[m] = fire::fieldValue(st.yAdjust);
        return st.yAdjust;
    case StageField::Interval: {
        st.interval = fire::stageIntervalField(text);
        const int v = fire::fieldValue(st.interval);
        if (st.at.interval && *st.at.interval + 1 < body.size()) {
            body[*st.at.interval] = static_cast<std::uint8_t>(v >> 8);
            body[*st.at.interval + 1] = static_cast<std::uint8_t>(v & 0xFF);
        }
        return st.interval;
    }
    }
    return "0";
}

void FireEditor::setStageColour(int s, Rgb colour) {
    if (s < 0 || s >= stagesShown()) return;
    auto& st = stages_[static_cast<std::size_t>(s)];
    st.colour = colour;
    colours_[static_cast<std::size_t>(st.macro)] = colour;
}

int FireEditor::codeStages() const {
    if (gun_ == 6) return std::clamp(codeStages_.value_or(gun6Stages_), 1, 2);
    if (gun_ == 7) return std::clamp(codeStages_.value_or(gun7Stages_), 1, 3);
    return 1;
}

bool FireEditor::isGunButton(const CodeBytes& code) const {
    if (code[0] != 0x0B) return false;
    // Gun names never touch the editor state; naming decides, as for the gun-key list's names.
    return isGunOrFireMacroName(functionCodeName(codeText(code), *texts_, state_), *texts_);
}

std::uint8_t FireEditor::rememberedComboMask() const {
    std::uint8_t mask = 0;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            const CodeBytes code = profileCode(copies_, p, k);
            if (isGunButton(code)) mask = code[3];
        }
    return mask;
}

CodeBytes FireEditor::gunCodeNow() const {
    return fire::gunCode(gun_, codeStages(), keepLeft_, rememberedComboMask());
}

bool FireEditor::setBody(int i, std::span<const std::uint8_t> bytes) {
    if (i < 0 || i >= image::kFireMacroCount) return false;
    auto& body = bodies_[static_cast<std::size_t>(i)];
    std::fill(body.begin(), body.end(), 0);
    const std::size_t n = std::min(bytes.size(), body.size());
    std::copy_n(bytes.begin(), n, body.begin());
    for (int s = 0; s < stagesShown(); ++s)
        if (stages_[static_cast<std::size_t>(s)].macro == i) parseStage(s);
    return n == bytes.size();
}

std::string FireEditor::macroName(int i) const {
    if (copies_.layout.firstBodyOffset > 0 && i >= 0 && i < image::kFireMacroCount) {
        std::string name = decodeName16(copies_.fireMacroNames[static_cast<std::size_t>(i)]);
        if (!name.empty()) return name;
    }
    return "Macro" + std::to_string(i + 1);
}

std::vector<std::uint8_t> FireEditor::assembleArea() const {
    const ImageLayout& layout = copies_.layout;
    std::vector<std::uint8_t> area(layout.fireMacroAreaLength, 0);
    for (int i = 0; i < image::kFireMacroCount; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        if (layout.firstBodyOffset > 0)
            std::copy(copies_.fireMacroNames[idx].begin(), copies_.fireMacroNames[idx].end(),
                      area.begin() + static_cast<std::ptrdiff_t>(image::kFireMacroNameSize * idx));
        const auto at = static_cast<std::ptrdiff_t>(layout.firstBodyOffset + layout.fireMacroBodySize * idx);
        std::copy_n(bodies_[idx].begin(), std::min(bodies_[idx].size(), layout.fireMacroBodySize),
                    area.begin() + at);
    }
    return area;
}

EditOutcome FireEditor::confirmGun(std::optional<int> profile2Button) {
    EditOutcome out;
    if (profile2Button && (*profile2Button < 1 || *profile2Button > codes::kButtonsPerProfile))
        return EditOutcome::refusal("The button is 1..12.");
    if (profile2Button) rewriteButton(2, *profile2Button, gunCodeNow(), out);

    std::array<std::uint8_t, 2 * image::kFireMacroCount> adjust{};
    for (std::size_t i = 0; i < xAdjust_.size(); ++i) {
        adjust[i] = signedByte(xAdjust_[i]);
        adjust[i + image::kFireMacroCount] = signedByte(yAdjust_[i]);
    }
    const auto area = assembleArea();
    const bool guard = guarded();
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        const std::array<std::uint8_t, 3> rgb{colours_[i].r, colours_[i].g, colours_[i].b};
        const auto address = kColourSlotAddress + 3 * i;
        out.requests.push_back(guard ? EditRequest::store(address, rgb)
                                     : EditRequest::writeThrough(address, rgb));
    }
    out.requests.push_back(EditRequest::store(kXAdjustAddress, adjust));
    if (!guard) out.requests.push_back(EditRequest::userSectionRewrite());
    // The fire-macro area goes out behind the profiles and the fire-key block, before the read-back.
    out.requests.push_back(EditRequest::store(copies_.layout.fireMacroAreaOffset, area));
    if (!guard) out.requests.push_back(EditRequest::profileRewrite(true, true));
    // The colour table and the bodies changed under the other editors.
    out.followup = Followup::ReloadEditors;
    return out;
}

// --- button rewrites ---

void FireEditor::rewriteButton(int profile, int button, const CodeBytes& code, EditOutcome& out) {
    out.requests.push_back(EditRequest::store(codes::buttonOffset(profile, button), code));
    assignments_.replaceButtonCode(profile, button, code);
}

void FireEditor::rewriteCombo(int n, const CodeBytes& code, EditOutcome& out) {
    out.requests.push_back(EditRequest::store(codes::comboKeyOffset(n), code));
    assignments_.replaceComboCode(n, code);
}

void FireEditor::finishProfiles(EditOutcome& out, bool vendorToo, bool fireKeyBlock) {
    if (guarded()) return;
    if (vendorToo) out.requests.push_back(EditRequest::vendorSectionRewrite());
    out.requests.push_back(EditRequest::profileRewrite(fireKeyBlock));
}

// --- game-mode trigger ---

EditOutcome FireEditor::setGameModeTrigger(int item) {
    if (item < 0 || item > 6) return EditOutcome::refusal("The game-mode trigger is item 0..6.");
    state_.gameModeTrigger = item;
    return applyGameModeTrigger();
}

EditOutcome FireEditor::applyGameModeTrigger() {
    const int item = std::clamp(state_.gameModeTrigger, 0, 6);
    EditOutcome out;
    const std::uint8_t gunMask = state_.gunFireMode ? gunMaskFor(item) : 0;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            CodeBytes code = profileCode(copies_, p, k);
            const CodeBytes before = code;
            if (const auto* f = triggerFunction(code)) {
                code[2] = 0;
                code[3] = f->triggerItem == item ? f->triggerMask : 0;
            } else if (isGunButton(code)) {
                code[3] = gunMask;
            }
            if (code != before) rewriteButton(p, k, code, out);
        }
    const CodeBytes game{0x07, 0xD1, 0xF0,
                         static_cast<std::uint8_t>(state_.profileSwitch.switchOffset & 0xFF)};
    const CodeBytes none{};
    rewriteCombo(4, item >= 1 && item <= 4 ? game : none, out);
    if (item == 5 || item == 6) {
        // Combo key 2 also serves the LED-mode switch by right + back, which gives way.
        state_.ledModeCombination = 0;
        rewriteCombo(2, game, out);
    } else if (state_.ledModeCombination != 1) {
        // While the LED-mode switch holds combo key 2 it keeps its code.
        rewriteCombo(2, none, out);
    }
    finishProfiles(out, true, false);
    return out;
}

EditOutcome FireEditor::setGunFireMode(bool on) {
    state_.gunFireMode = on;
    const std::uint8_t mask = on ? gunMaskFor(state_.gameModeTrigger) : 0;
    EditOutcome out;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            CodeBytes code = profileCode(copies_, p, k);
            if (!isGunButton(code) || code[3] == mask) continue;
            code[3] = mask;
            rewriteButton(p, k, code, out);
        }
    finishProfiles(out, true, false);
    return out;
}

// --- engineering gun tab ---

std::string FireEditor::setMacroAdjust(int n, bool y, std::string_view text, EditOutcome& out) {
    if (n < 1 || n > image::kFireMacroCount) return "0";
    const std::string shown = fire::movementField(text, 0);
    if (shown == "-") return shown;
    const int v = fire::fieldValue(shown);
    const auto idx = static_cast<std::size_t>(n - 1);
    (y ? yAdjust_ : xAdjust_)[idx] = v;
    const std::size_t address = (y ? kYAdjustAddress : kXAdjustAddress) + idx;
    const std::array<std::uint8_t, 1> b{signedByte(v)};
    out.requests.push_back(guarded() ? EditRequest::store(address, b)
                                     : EditRequest::writeThrough(address, b));
    return shown;
}

int FireEditor::macroAdjust(int n, bool y) const {
    const int i = std::clamp(n, 1, image::kFireMacroCount) - 1;
    return y ? fireMacroYAdjust(copies_.user, i) : fireMacroXAdjust(copies_.user, i);
}

EditOutcome FireEditor::setProfileSwitchOptions(const ProfileSwitchOptions& options) {
    if (options.switchOffset < 0 || options.switchOffset > 0xFF)
        return EditOutcome::refusal("The profile-switch offset is 00..FF (hexadecimal).");
    // The options live in the profile-switch buttons' codes and nowhere else: without such a button
    // the mouse has no place to keep them, and a later read would not find them.
    bool anySwitch = false;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            anySwitch = anySwitch || isProfileSwitch(profileCode(copies_, p, k));
    if (!anySwitch)
        return EditOutcome::refusal(
            "No button of the three profiles switches to a profile (Office Mode, Game Mode or Third Mode), "
            "and the profile-switch options are kept only in such a button's code: give a button one of "
            "them first.");
    state_.profileSwitch = options;
    const auto flags =
        static_cast<std::uint8_t>((options.returnToZero ? 0x40 : 0) | (options.adjustXy ? 0x20 : 0) |
                                  (options.changeColour ? 0x10 : 0));
    EditOutcome out;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            const CodeBytes before = profileCode(copies_, p, k);
            if (!isProfileSwitch(before)) continue;
            const int target = (before[1] & 0x07) + 1;
            const CodeBytes code{0x07, static_cast<std::uint8_t>(0x80 + (target - 1) + flags),
                                 static_cast<std::uint8_t>(state_.profileColourIndex(target) << 4),
                                 static_cast<std::uint8_t>(options.switchOffset)};
            if (code != before) rewriteButton(p, k, code, out);
        }
    // Codes that hold these options already need no rewrite.
    if (!out.requests.empty()) finishProfiles(out, false, false);
    return out;
}

EditOutcome FireEditor::setComboEnable(ComboGroup group, int item) {
    if (item < 0 || item > 8) return EditOutcome::refusal("The combo mask is item 0..8.");
    state_.comboEnable[static_cast<std::size_t>(group)] = item;
    const std::uint8_t mask = comboMaskForItem(item);
    EditOutcome out;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            CodeBytes code = profileCode(copies_, p, k);
            const CodeBytes before = code;
            const auto* f = triggerFunction(code);
            if (f && f->group == group) {
                code[2] = 0;
                code[3] = mask;
            } else if (!f && group == ComboGroup::Gun && isGunButton(code)) {
                code[3] = mask;
            }
            if (code != before) rewriteButton(p, k, code, out);
        }
    finishProfiles(out, false, false);
    return out;
}

} // namespace krm
