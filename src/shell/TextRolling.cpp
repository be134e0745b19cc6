#include "shell/TextRolling.h"

namespace krm {

namespace {

constexpr int kTickWrap = 20;   // the counter runs to 20 ...
constexpr int kTickRestart = 2; // ... and continues from 2, so the gap is put in only once

// Length in bytes of the UTF-8 sequence starting at s[0] (1 for a stray continuation byte).
std::size_t firstCharacterLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto lead = static_cast<unsigned char>(s[0]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (n > s.size()) return s.size();
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
    return n;
}

} // namespace

void TextRolling::enter(std::string_view caption) {
    active_ = true;
    caption_ = caption;
    rolled_ = caption;
    ticks_ = 0;
}

std::string TextRolling::leave() {
    std::string back = active_ ? caption_ : std::string();
    active_ = false;
    rolled_.clear();
    caption_.clear();
    ticks_ = 0;
    return back;
}

void TextRolling::reset(std::string_view caption) {
    enter(caption);
}

const std::string& TextRolling::tick() {
    if (!active_ || rolled_.empty()) return rolled_;
    ticks_ = ticks_ >= kTickWrap ? kTickRestart : ticks_ + 1;
    const std::size_t n = firstCharacterLength(rolled_);
    std::string first = rolled_.substr(0, n);
    rolled_.erase(0, n);
    if (ticks_ == 1) rolled_.append(kGap, ' ');
    rolled_ += first;
    return rolled_;
}

} // namespace krm
