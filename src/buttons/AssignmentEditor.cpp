#include "buttons/AssignmentEditor.h"
#include "base/Bits.h"

#include "buttons/FunctionCatalogue.h"
#include "buttons/FunctionCodes.h"

#include <algorithm>
#include <utility>

namespace krm {

namespace {

bool validProfile(int p) {
    return p >= 1 && p <= codes::kProfileCount;
}
bool validButton(int k) {
    return k >= 1 && k <= codes::kButtonsPerProfile;
}
bool validComboKey(int n) {
    return n >= 1 && n <= codes::kComboKeyCount;
}

// Sets the fire-change flag for the life of the scope and puts the old value back.
class FireChangeScope {
public:
    FireChangeScope(EditorState& s, bool on) : s_(s), old_(s.fireChangeInProgress) {
        if (on) s_.fireChangeInProgress = true;
    }
    ~FireChangeScope() { s_.fireChangeInProgress = old_; }
    FireChangeScope(const FireChangeScope&) = delete;
    FireChangeScope& operator=(const FireChangeScope&) = delete;

private:
    EditorState& s_;
    bool old_;
};

} // namespace

AssignmentEditor::AssignmentEditor(EditorState& state, const TextSource& texts,
                                   std::function<bool()> refreshGuard)
    : state_(state), texts_(&texts), refreshGuard_(std::move(refreshGuard)) {
    for (auto& profile : codes_) profile.fill("00000000");
    comboCodes_.fill("00000000");
}

void AssignmentEditor::loadFromImage(std::span<const std::uint8_t, kImageSize> image) {
    auto read = [&](std::size_t offset) { return codeText(image.subspan(offset).first<4>()); };
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            codes_[idx(p)][idx(k)] = read(codes::buttonOffset(p, k));
    for (int n = 1; n <= codes::kComboKeyCount; ++n) comboCodes_[idx(n)] = read(codes::comboKeyOffset(n));
    loaded_ = true;
    refreshCaptions();
}

void AssignmentEditor::loadFromCopies(const SectionCopies& copies) {
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            codes_[idx(p)][idx(k)] = codeText(profileCode(copies, p, k));
    for (int n = 1; n <= codes::kComboKeyCount; ++n) comboCodes_[idx(n)] = codeText(comboKeyCode(copies, n));
    loaded_ = true;
    refreshCaptions();
}

void AssignmentEditor::refreshCaptions() {
    if (!loaded_) return;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            tableCaptions_[idx(p)][idx(k)] = functionCodeName(codes_[idx(p)][idx(k)], *texts_, state_);
    for (int n = 1; n <= codes::kComboKeyCount; ++n)
        comboCaptions_[idx(n)] = functionCodeName(comboCodes_[idx(n)], *texts_, state_);
    setCurrentProfile(currentProfile_);
}

void AssignmentEditor::setTexts(const TextSource& texts) {
    texts_ = &texts;
    refreshCaptions();
}

void AssignmentEditor::setCurrentProfile(int profile) {
    if (!validProfile(profile)) return;
    currentProfile_ = profile;
    if (!loaded_) return;
    for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
        keyCaptions_[idx(k)] = functionCodeName(codes_[idx(profile)][idx(k)], *texts_, state_);
}

void AssignmentEditor::openFromMainPage(int button) {
    if (!validButton(button)) return;
    target_ = MenuTarget::MainPage;
    mainButton_ = button;
}

void AssignmentEditor::openFromProfileTable(int profile, int button) {
    if (!validProfile(profile) || !validButton(button)) return;
    target_ = MenuTarget::ProfileTable;
    tableProfile_ = profile;
    tableButton_ = button;
}

void AssignmentEditor::openFromComboKey(int n) {
    if (!validComboKey(n)) return;
    target_ = MenuTarget::ComboKey;
    comboKey_ = n;
}

int AssignmentEditor::tableTargetNumber() const {
    return target_ == MenuTarget::ComboKey ? comboKey_ : tableProfile_ * 100 + tableButton_;
}

bool AssignmentEditor::isLeftClick(const std::string& caption) const {
    const auto left = texts_->text("Str210");
    return !left.empty() && caption == left;
}

int AssignmentEditor::leftClickCount() const {
    return static_cast<int>(std::count_if(keyCaptions_.begin(), keyCaptions_.end(),
                                          [&](const std::string& c) { return isLeftClick(c); }));
}

bool AssignmentEditor::keepsLeftButton() const {
    if (leftClickCount() > 0) return true;
    if (currentProfile_ == 1) return false;
    const auto fireMacroKey = texts_->text("Str265");
    return !fireMacroKey.empty() &&
           std::find(keyCaptions_.begin(), keyCaptions_.end(), fireMacroKey) != keyCaptions_.end();
}

void AssignmentEditor::setTableCaption(int profile, int button, const std::string& caption) {
    tableCaptions_[idx(profile)][idx(button)] = caption;
    if (profile == currentProfile_) keyCaptions_[idx(button)] = caption;
}

void AssignmentEditor::replaceButtonCode(int profile, int button, const CodeBytes& bytes) {
    if (!validProfile(profile) || !validButton(button)) return;
    codes_[idx(profile)][idx(button)] = codeText(bytes);
    setTableCaption(profile, button, functionCodeName(codes_[idx(profile)][idx(button)], *texts_, state_));
}

void AssignmentEditor::replaceComboCode(int n, const CodeBytes& bytes) {
    if (!validComboKey(n)) return;
    comboCodes_[idx(n)] = codeText(bytes);
    comboCaptions_[idx(n)] = functionCodeName(comboCodes_[idx(n)], *texts_, state_);
}

void AssignmentEditor::storeButton(int profile, int button, const CodeBytes& bytes, EditOutcome& out) {
    codes_[idx(profile)][idx(button)] = codeText(bytes);
    out.requests.push_back(EditRequest::store(codes::buttonOffset(profile, button), bytes));
}

EditOutcome AssignmentEditor::assign(const CodeBytes& bytes, const std::string& caption, LeftRule rule) {
    EditOutcome out;
    switch (target_) {
    case MenuTarget::ComboKey: {
        const auto offset = codes::comboKeyOffset(comboKey_);
        comboCaptions_[idx(comboKey_)] = caption;
        comboCodes_[idx(comboKey_)] = codeText(bytes);
        out.requests.push_back(guarded() ? EditRequest::store(offset, bytes)
                                         : EditRequest::writeQuad(offset, bytes));
        break;
    }
    case MenuTarget::ProfileTable:
        setTableCaption(tableProfile_, tableButton_, caption);
        storeButton(tableProfile_, tableButton_, bytes, out);
        break;
    case MenuTarget::MainPage: {
        const int p = currentProfile_, n = mainButton_;
        if (rule == LeftRule::MacroList) {
            // The macro list counts Left Click only and refuses without a message.
            if (isLeftClick(keyCaptions_[idx(n)]) && leftClickCount() == 1) {
                out.refused = true;
                return out;
            }
            setTableCaption(p, n, caption);
            storeButton(p, n, bytes, out);
            break;
        }
        const auto previousLabel = keyCaptions_[idx(n)];
        const auto previousTable = tableCaptions_[idx(p)][idx(n)];
        keyCaptions_[idx(n)] = caption;
        tableCaptions_[idx(p)][idx(n)] = caption;
        if (keepsLeftButton()) {
            storeButton(p, n, bytes, out);
        } else {
            keyCaptions_[idx(n)] = previousLabel;
            tableCaptions_[idx(p)][idx(n)] = previousTable;
            out.refused = true;
            out.message = texts_->text(p == 1 ? "Str294" : "Str295");
        }
        break;
    }
    }
    if (!guarded()) out.requests.push_back(EditRequest::profileRewrite());
    return out;
}

EditOutcome AssignmentEditor::chooseFunction(int tag) {
    const auto* entry = catalogueEntry(tag);
    if (!entry || tag == 0) return {};
    const auto bytes = parseCodeText(functionCodeForTag(tag, state_, target_ == MenuTarget::ComboKey));
    if (!bytes) return {};
    return assign(*bytes, texts_->text(entry->nameId), LeftRule::Menu);
}

EditOutcome AssignmentEditor::chooseDeviceMacro(int slot) {
    if (slot < 0 || slot >= kDeviceMacroSlots) return {};
    const auto& macro = state_.deviceMacros[static_cast<std::size_t>(slot)];
    if (!macro.present) return {};
    const auto bytes = parseCodeText("10" + hex4(macro.startAddress) + "00");
    return assign(*bytes, macro.name, LeftRule::MacroList);
}

EditOutcome AssignmentEditor::chooseGunKeyListEntry(int n) {
    if (n < 1 || n > static_cast<int>(state_.gunKeys.entries.size()) || target_ == MenuTarget::MainPage)
        return {};
    const auto& entry = state_.gunKeys.entries[idx(n)];
    if (entry == CodeBytes{}) return {};
    EditOutcome out;
    if (target_ == MenuTarget::ProfileTable) {
        setTableCaption(tableProfile_, tableButton_, gunKeyListName(n));
        storeButton(tableProfile_, tableButton_, entry, out);
    }
    if (!guarded()) out.requests.push_back(EditRequest::profileRewrite());
    return out;
}

EditOutcome AssignmentEditor::userDefined() {
    EditOutcome out;
    if (target_ == MenuTarget::MainPage && currentProfile_ == 1 &&
        isLeftClick(keyCaptions_[idx(mainButton_)]) && leftClickCount() == 1) {
        out.refused = true;
        return out;
    }
    out.followup = Followup::OpenKeyComboDialog;
    out.coverWindow = currentProfile_ == 1;
    return out;
}

EditOutcome AssignmentEditor::applyDialogCode(std::string_view code, std::string_view caption) {
    const auto bytes = parseCodeText(code);
    if (!bytes) return {};
    // An empty combination has no edit text: its label shows what the code is named, as every later
    // refresh would.
    const std::string shown =
        caption.empty() ? functionCodeName(codeText(*bytes), *texts_, state_) : std::string(caption);
    return assign(*bytes, shown, LeftRule::Menu);
}

AssignmentEditor::Names AssignmentEditor::displayNames() {
    Names names;
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            names[idx(p)][idx(k)] = functionCodeName(codes_[idx(p)][idx(k)], *texts_, state_);
    return names;
}

EditOutcome AssignmentEditor::toggleModeSwitch(int n) {
    if (n < 1 || n > 8) return {};
    const FireChangeScope scope(state_, n == 8);
    const auto names = displayNames();
    const auto& current = names[idx(currentProfile_)];
    EditOutcome out;

    if (n == 8) {
        if (currentProfile_ != 2) return out;
        auto isGun = [&](const std::string& name) { return isGunOrFireMacroName(name, *texts_); };
        if (std::none_of(current.begin(), current.end(), isGun)) return out;
        state_.gunFireMode = !state_.gunFireMode;
        const int trigger = state_.gameModeTrigger;
        const std::uint8_t mask = !state_.gunFireMode            ? 0x00
                                  : trigger >= 1 && trigger <= 4 ? 0x08
                                  : trigger == 5 || trigger == 6 ? 0x02
                                                                 : 0x00;
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            if (!isGun(names[1][idx(k)])) continue;
            auto bytes = parseCodeText(codes_[1][idx(k)]);
            if (!bytes) continue;
            (*bytes)[3] = mask;
            storeButton(2, k, *bytes, out);
        }
        if (!guarded()) {
            out.requests.push_back(EditRequest::vendorSectionRewrite());
            out.requests.push_back(EditRequest::profileRewrite());
        }
        return out;
    }

    // The function the current profile must hold for toggles 1..7.
    static constexpr std::array<std::string_view, 7> kRequired{"Str213", "Str212", "Str221", "Str222",
                                                               "Str223", "Str213", "Str214"};
    const auto required = texts_->text(kRequired[idx(n)]);
    if (required.empty() || std::find(current.begin(), current.end(), required) == current.end()) return out;
    if (n == 1) {
        state_.ledModeCombination = state_.ledModeCombination == 1 ? 0 : 1;
        out.followup = Followup::ApplyLedModeCombination;
    } else {
        const int item = n - 1;
        state_.gameModeTrigger = state_.gameModeTrigger == item ? 0 : item;
        out.followup = Followup::ApplyGameModeTrigger;
    }
    return out;
}

bool AssignmentEditor::toggleOn(int n) const {
    if (n == 1) return state_.ledModeCombination == 1;
    if (n >= 2 && n <= 7) return state_.gameModeTrigger == n - 1;
    if (n == 8) return state_.gunFireMode;
    return false;
}

} // namespace krm
