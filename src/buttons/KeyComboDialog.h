#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace krm {

// The key-combination dialog ("Assembly Key"): up to two keys captured from the keyboard plus the
// ticked modifiers, turned into a keyboard function code. The view forwards key presses and box
// clicks and shows text() in its read-only edit.
class KeyComboDialog {
public:
    enum Modifier : unsigned { kCtrl = 0x01, kShift = 0x02, kAlt = 0x04, kWin = 0x08 };

    struct Result {
        std::string code;    // "02" + modifiers + key 1 + key 2, two hex digits each
        std::string caption; // the edit text
    };

    // A key pressed in the edit: `virtualKey` is the Windows virtual-key code of the key, and
    // shift/ctrl/altHeld whether those modifiers are down. A Shift, Ctrl or Alt key counts as held
    // itself, as Windows reports it. Returns whether the key was captured.
    bool keyDown(unsigned virtualKey, bool shiftHeld, bool ctrlHeld, bool altHeld);
    // A modifier box ticked or unticked.
    void setModifier(Modifier m, bool ticked);
    bool modifierTicked(Modifier m) const { return (modifiers_ & m) != 0; }

    // Confirm: the code and caption to hand to applyDialogCode.
    Result confirm();
    // Clear: everything back to empty, the result unmarked.
    void clear();

    const std::string& text() const { return text_; }
    std::string code() const;
    int keyCount() const { return count_; }
    std::uint8_t key(int n) const { return n == 1 ? key1_ : key2_; }
    const std::optional<Result>& result() const { return result_; }

private:
    std::string modifierText() const;
    void dropKeys();

    unsigned modifiers_ = 0;
    std::uint8_t key1_ = 0, key2_ = 0;
    std::string name1_, name2_;
    int count_ = 0;
    std::string text_;
    std::optional<Result> result_;
};

} // namespace krm
