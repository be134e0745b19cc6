#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace krm {

// The small value dialogs of the macro editor. The views check every edit with the accept
// functions (on a key stroke or a paste, with the text the edit would hold afterwards) and put the
// normalized text back after each change.

// Macro name: at most 8 characters (UTF-16 code units, the size of a stored macro name).
namespace macro_name_dialog {
inline constexpr std::size_t kMaxLength = 8;
bool accepts(std::string_view utf8Text);
} // namespace macro_name_dialog

// Key dialog ("Input One Key"): one key captured, shown by name, with the key text the macro row
// takes: name + " CODE:" + "82" (press row) or "02" (release row) + the stored byte in hex.
class KeyDialog {
public:
    explicit KeyDialog(bool pressRow) : pressRow_(pressRow) {}
    // A key pressed in the edit; keys the tables do not know are ignored. Returns whether captured.
    bool keyDown(unsigned virtualKey);
    void clear();
    const std::string& text() const { return text_; }       // Edt_EditKey
    const std::string& keyText() const { return keyText_; } // "A CODE:8204"

private:
    bool pressRow_;
    std::string text_, keyText_;
};

// Delay dialog: digits only; after each change the text is pulled into 1..65535.
namespace delay_dialog {
bool accepts(std::string_view text);
std::string normalize(std::string_view text); // "" and non-positive -> "1", above 65535 -> "65535"
} // namespace delay_dialog

// X/Y dialog: digits and "-" only, and only while the text stays a number or a lone "-", so a
// "-" typed after digits is refused at the key stroke; after each change the text is pulled into
// -128..127, a lone "-" kept while typing.
namespace xy_dialog {
bool accepts(std::string_view text);
std::string normalize(std::string_view text); // "-" stays, "" -> "0", >= 128 -> "127", < -128 -> "-128"
} // namespace xy_dialog

} // namespace krm
