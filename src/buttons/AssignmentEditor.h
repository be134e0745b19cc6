#pragma once

#include "base/TextSource.h"
#include "buttons/EditorState.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// Where the function menu was opened from. The main page offers the gun page entry ("Fire Macro",
// Key_FireMacro); the profile table and the combo keys offer the gun-key list (Key_TLFireMacro).
enum class MenuTarget { MainPage, ProfileTable, ComboKey };

// The button assignment editor: the codes of the twelve buttons of each profile and of the nine
// combo keys, their captions, and what choosing a function does to them. The view forwards the
// clicks and repaints the captions after each call; the returned outcome carries the image and
// mouse requests, the message to show and the next step.
class AssignmentEditor final : public Editor {
public:
    using Names = std::array<std::array<std::string, codes::kButtonsPerProfile>, codes::kProfileCount>;

    // `refreshGuard` tells whether the window is being filled from an image; no write is asked for
    // while it is set.
    AssignmentEditor(EditorState& state, const TextSource& texts, std::function<bool()> refreshGuard);

    // After each whole-image read or load: take the codes from the copies (which hold what validation
    // repaired) and rebuild every caption.
    void loadFromCopies(const SectionCopies& copies) override;
    // The same from a whole image (a file, a test's image).
    void loadFromImage(std::span<const std::uint8_t, kImageSize> image);
    // Rebuild the captions from the codes (profile table, combo keys, then the current profile's labels).
    void refreshCaptions();
    // The language changed: captions are rebuilt in the new one.
    void setTexts(const TextSource& texts) override;

    // The profile page shown (rb_1..rb_3); its labels Key1..Key12 take its names.
    void setCurrentProfile(int profile);
    int currentProfile() const { return currentProfile_; }

    // Opening the menu (ShowPnlMain_OnClick, TLShowPnlMain_OnClick): remembers the target.
    void openFromMainPage(int button);
    void openFromProfileTable(int profile, int button);
    void openFromComboKey(int n);
    MenuTarget target() const { return target_; }
    // The remembered table target as the button names carry it: 101..312, or 1..9 for a combo key.
    int tableTargetNumber() const;

    // A function chosen in the menu by its tag (KeyStatusOnClick).
    EditOutcome chooseFunction(int tag);
    // A device macro chosen in the "Base Macro" list (LB_NameClick); `slot` is the list row.
    EditOutcome chooseDeviceMacro(int slot);
    // A gun-key list row chosen (LB_ScriptClick); `n` is the number the row shows (1..10).
    EditOutcome chooseGunKeyListEntry(int n);
    // "User-defined" chosen (Key_AssemblyClick).
    EditOutcome userDefined();
    // The key-combination dialog was confirmed with a code text and caption.
    EditOutcome applyDialogCode(std::string_view code, std::string_view caption);

    // Mode-switch toggle n (1..8) clicked (IB_ComboKey<n>Click).
    EditOutcome toggleModeSwitch(int n);
    // Whether toggle n shows its tick ("CbS_E").
    bool toggleOn(int n) const;

    const std::string& code(int profile, int button) const { return codes_.at(idx(profile)).at(idx(button)); }
    const std::string& comboCode(int n) const { return comboCodes_.at(idx(n)); }
    // Captions are empty until an image was loaded: before that nothing is known of the buttons.
    const std::string& keyCaption(int button) const { return keyCaptions_.at(idx(button)); }
    const std::string& tableCaption(int profile, int button) const {
        return tableCaptions_.at(idx(profile)).at(idx(button));
    }
    const std::string& comboCaption(int n) const { return comboCaptions_.at(idx(n)); }

    // Another editor changed the code of a profile button in the copies (the sniper step): the code
    // text and captions follow. Nothing is sent.
    void replaceButtonCode(int profile, int button, const CodeBytes& bytes);
    // The same for combo key n (1..9).
    void replaceComboCode(int n, const CodeBytes& bytes);
    // The button (1..12) whose menu was last opened from the main page.
    int mainPageButton() const { return mainButton_; }

    // The names of all 36 button codes, rebuilt now (with naming's side effects on the editor state).
    Names displayNames();

private:
    enum class LeftRule { Menu, MacroList };

    static std::size_t idx(int oneBased) { return static_cast<std::size_t>(oneBased - 1); }
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }
    bool isLeftClick(const std::string& caption) const;
    bool keepsLeftButton() const;
    int leftClickCount() const;
    void setTableCaption(int profile, int button, const std::string& caption);
    void storeButton(int profile, int button, const CodeBytes& bytes, EditOutcome& out);
    EditOutcome assign(const CodeBytes& bytes, const std::string& caption, LeftRule rule);

    EditorState& state_;
    const TextSource* texts_;
    std::function<bool()> refreshGuard_;

    std::array<std::array<std::string, codes::kButtonsPerProfile>, codes::kProfileCount> codes_{};
    std::array<std::string, codes::kComboKeyCount> comboCodes_{};
    std::array<std::string, codes::kButtonsPerProfile> keyCaptions_{};
    Names tableCaptions_{};
    std::array<std::string, codes::kComboKeyCount> comboCaptions_{};

    int currentProfile_ = 1;
    bool loaded_ = false; // no function is named before an image was read
    MenuTarget target_ = MenuTarget::MainPage;
    int mainButton_ = 1;
    int tableProfile_ = 1, tableButton_ = 1;
    int comboKey_ = 1;
};

} // namespace krm
