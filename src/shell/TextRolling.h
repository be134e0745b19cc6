#pragma once

#include <string>
#include <string_view>

namespace krm {

// The caption of the button or key label under the pointer scrolls while the pointer rests on it
// (when the branding turns text rolling on). Entering remembers the caption; each 200 ms tick moves
// its first character to the end (the first tick puts four spaces in front of the moved character, so
// the text comes round with a gap); leaving gives the remembered caption back. Captions are UTF-8 and
// roll by character, not by byte.
class TextRolling {
public:
    static constexpr int kGap = 4;

    // The pointer entered a label showing `caption`.
    void enter(std::string_view caption);
    // The pointer left: the caption to put back (empty when nothing was entered).
    std::string leave();
    // The label took a new caption under the pointer (a language change): roll that one from now on.
    void reset(std::string_view caption);

    // One tick: the caption as it shows now.
    const std::string& tick();

    bool active() const { return active_; }
    const std::string& caption() const { return caption_; }
    const std::string& rolled() const { return rolled_; }
    int ticks() const { return ticks_; }

private:
    bool active_ = false;
    std::string caption_; // before rolling
    std::string rolled_;  // as shown
    int ticks_ = 0;
};

} // namespace krm
