#include "buttons/KeyComboDialog.h"
#include "base/Bits.h"

#include "buttons/KeyboardTables.h"
#include "buttons/QtKeyMapping.h"
#include "image/FunctionCode.h"

#include <array>
#include <string_view>
#include <utility>

namespace krm {

namespace {
constexpr std::array<std::pair<KeyComboDialog::Modifier, std::string_view>, 4> kModifierNames{{
    {KeyComboDialog::kCtrl, "Ctrl"},
    {KeyComboDialog::kShift, "Shift"},
    {KeyComboDialog::kAlt, "Alt"},
    {KeyComboDialog::kWin, "Win"},
}};

std::string_view nameOf(KeyComboDialog::Modifier m) {
    for (const auto& [mod, name] : kModifierNames)
        if (mod == m) return name;
    return {};
}
} // namespace

std::string KeyComboDialog::modifierText() const {
    std::string text;
    for (const auto& [mod, name] : kModifierNames) {
        if (!(modifiers_ & mod)) continue;
        if (!text.empty()) text += '+';
        text += name;
    }
    return text;
}

void KeyComboDialog::dropKeys() {
    key1_ = key2_ = 0;
    name1_.clear();
    name2_.clear();
    count_ = 0;
}

bool KeyComboDialog::keyDown(unsigned virtualKey, bool shiftHeld, bool ctrlHeld, bool altHeld) {
    if (count_ >= 2) {
        dropKeys();
        text_ = modifierText();
    }
    if (virtualKey == vk::kLWin || virtualKey == vk::kRWin) return false;
    if (shiftHeld || ctrlHeld || altHeld || isShiftCtrlAltKey(virtualKey)) return false;
    const auto hookKey = virtualKeyToHookKey(virtualKey);
    if (hookKey == kKeyNone) return false; // a key the tables do not know would be stored as no key
    const auto name = hookKeyName(hookKey);
    if (!text_.empty()) text_ += '+';
    text_ += name;
    if (count_ == 0) {
        key1_ = hookKeyToUsage(hookKey);
        name1_ = name;
    } else {
        key2_ = hookKeyToUsage(hookKey);
        name2_ = name;
    }
    ++count_;
    return true;
}

void KeyComboDialog::setModifier(Modifier m, bool ticked) {
    if (ticked) {
        modifiers_ |= m;
        text_ = modifierText();
        for (const auto* name : {&name1_, &name2_}) {
            if (name->empty()) continue;
            if (!text_.empty()) text_ += '+';
            text_ += *name;
        }
        return;
    }
    modifiers_ &= ~static_cast<unsigned>(m);
    const std::string name(nameOf(m));
    if (text_.rfind(name + "+", 0) == 0) {
        text_.erase(0, name.size() + 1);
    } else if (text_ == name) {
        text_.clear();
    } else if (const auto at = text_.find("+" + name); at != std::string::npos) {
        text_.erase(at, name.size() + 1);
    }
}

std::string KeyComboDialog::code() const {
    return "02" + hex2(modifiers_) + hex2(key1_) + hex2(key2_);
}

KeyComboDialog::Result KeyComboDialog::confirm() {
    result_ = Result{code(), text_};
    return *result_;
}

void KeyComboDialog::clear() {
    text_.clear();
    dropKeys();
    modifiers_ = 0;
    result_.reset();
}

} // namespace krm
