#include "fire/FireMacroLines.h"

#include "base/Bits.h"

#include <algorithm>

namespace krm {

using Kind = FireLine::Kind;

std::size_t FireLine::size() const {
    switch (kind) {
    case Kind::Delay:
    case Kind::Move:
        return 3;
    case Kind::RepeatStart:
        return 2;
    default:
        return 1;
    }
}

std::string FireLine::text() const {
    switch (kind) {
    case Kind::Delay:
        return "0 " + std::to_string(value);
    case Kind::Press:
        return "1 LeftKey CODE:00A1";
    case Kind::Release:
        return "2 LeftKey CODE:0021";
    case Kind::Move:
        return "3 04" + hex2(static_cast<std::uint8_t>(x)) + hex2(static_cast<std::uint8_t>(y));
    case Kind::RepeatStart:
        return "7 FD" + hex2(static_cast<unsigned>(value));
    case Kind::RepeatStop:
        return "8 FC";
    }
    return {};
}

namespace fire_lines {

std::vector<FireLine> fromBody(std::span<const std::uint8_t> b) {
    std::vector<FireLine> out;
    auto signedAt = [&](std::size_t i) {
        return i < b.size() ? static_cast<int>(static_cast<std::int8_t>(b[i])) : 0;
    };
    auto at = [&](std::size_t i) { return i < b.size() ? b[i] : std::uint8_t{0}; };
    std::size_t i = 0;
    while (i < b.size()) {
        if (at(i) == 0 && at(i + 1) == 0 && at(i + 2) == 0) break;
        switch (b[i]) {
        case 0xFE:
            out.push_back({Kind::Delay, at(i + 1) * 256 + at(i + 2)});
            i += 3;
            break;
        case 0xA1:
            out.push_back({Kind::Press});
            ++i;
            break;
        case 0x21:
            out.push_back({Kind::Release});
            ++i;
            break;
        case 0x04:
            out.push_back({Kind::Move, 0, signedAt(i + 1), signedAt(i + 2)});
            i += 3;
            break;
        case 0xFD:
            out.push_back({Kind::RepeatStart, at(i + 1)});
            i += 2;
            break;
        case 0xFC:
            out.push_back({Kind::RepeatStop});
            ++i;
            break;
        default:
            ++i;
        }
    }
    return out;
}

std::vector<std::uint8_t> toBody(const std::vector<FireLine>& lines) {
    std::vector<std::uint8_t> out;
    for (const FireLine& l : lines) {
        switch (l.kind) {
        case Kind::Delay:
            out.insert(out.end(), {0xFE, static_cast<std::uint8_t>(l.value >> 8),
                                   static_cast<std::uint8_t>(l.value & 0xFF)});
            break;
        case Kind::Press:
            out.push_back(0xA1);
            break;
        case Kind::Release:
            out.push_back(0x21);
            break;
        case Kind::Move:
            out.insert(out.end(), {0x04, static_cast<std::uint8_t>(l.x), static_cast<std::uint8_t>(l.y)});
            break;
        case Kind::RepeatStart:
            out.insert(out.end(), {0xFD, static_cast<std::uint8_t>(l.value)});
            break;
        case Kind::RepeatStop:
            out.push_back(0xFC);
            break;
        }
    }
    out.push_back(0x00);
    return out;
}

DeleteResult remove(std::vector<FireLine>& lines, int index) {
    DeleteResult r;
    const int n = static_cast<int>(lines.size());
    if (index < 0 || index >= n) return r;
    const Kind kind = lines[static_cast<std::size_t>(index)].kind;
    auto erase = [&](int i) { lines.erase(lines.begin() + i); };
    switch (kind) {
    case Kind::Delay:
    case Kind::Move:
    case Kind::RepeatStop:
        erase(index);
        r.removed = true;
        r.selection = std::max(index - 1, 0);
        return r;
    case Kind::Press:
        // The partner is the nearest left-button line below; it must be the release.
        for (int j = index + 1; j < n; ++j) {
            const Kind other = lines[static_cast<std::size_t>(j)].kind;
            if (other == Kind::Press) break;
            if (other != Kind::Release) continue;
            erase(j);
            erase(index);
            r.removed = true;
            r.selection = std::max(index - 1, 0);
            return r;
        }
        break;
    case Kind::Release:
        for (int j = index - 1; j >= 0; --j) {
            const Kind other = lines[static_cast<std::size_t>(j)].kind;
            if (other == Kind::Release) break;
            if (other != Kind::Press) continue;
            erase(index);
            erase(j);
            r.removed = true;
            r.selection = std::max(index - 2, 0);
            return r;
        }
        break;
    case Kind::RepeatStart:
        break;
    }
    r.selection = index;
    r.error = "Macro Content Error";
    return r;
}

int insert(std::vector<FireLine>& lines, int index, Insert choice, int value, int x, int y) {
    FireLine line;
    bool after = false;
    switch (choice) {
    case Insert::DelayBefore:
    case Insert::DelayAfter:
        line = {Kind::Delay, std::clamp(value, 1, 0xFFFF)};
        after = choice == Insert::DelayAfter;
        break;
    case Insert::MoveBefore:
    case Insert::MoveAfter:
        line = {Kind::Move, 0, std::clamp(x, -128, 127), std::clamp(y, -128, 127)};
        after = choice == Insert::MoveAfter;
        break;
    case Insert::RepeatStartBefore:
        line = {Kind::RepeatStart, std::clamp(value, 0, 255)};
        break;
    case Insert::RepeatStopAfter:
        line = {Kind::RepeatStop};
        after = true;
        break;
    }
    int at = lines.empty() ? 0 : std::clamp(index, 0, static_cast<int>(lines.size()) - 1) + (after ? 1 : 0);
    lines.insert(lines.begin() + at, line);
    return at;
}

} // namespace fire_lines

void FireMacroRecorder::start(Mode mode, int fixedDelayMs, std::size_t byteLimit) {
    mode_ = mode;
    fixed_ = std::clamp(fixedDelayMs, 1, 0xFFFF);
    limit_ = byteLimit;
    bytes_ = 0;
    last_.reset();
    lines_.clear();
    full_ = false;
}

bool FireMacroRecorder::feed(const InputEvent& e) {
    if (full_) return true;
    if (e.isKey() || e.button != InputEvent::Button::Left || e.onOwnControls) return false;
    std::optional<FireLine> delay;
    if (last_ && mode_ != Mode::None) {
        const auto elapsed = e.timeMs >= *last_ ? e.timeMs - *last_ : 0;
        const int ms =
            mode_ == Mode::Fixed ? fixed_ : static_cast<int>(std::min<std::uint64_t>(elapsed, 0xFFFF));
        delay = FireLine{Kind::Delay, std::max(ms, 1)};
    }
    const FireLine click{e.isDown() ? Kind::Press : Kind::Release};
    const std::size_t need = click.size() + (delay ? delay->size() : 0);
    if (bytes_ + need > limit_) {
        full_ = true;
        return true;
    }
    if (delay) lines_.push_back(*delay);
    lines_.push_back(click);
    bytes_ += need;
    last_ = e.timeMs;
    return false;
}

} // namespace krm
