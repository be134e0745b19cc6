#include "rgb/RgbMouse.h"

#include "lighting/LightingPreview.h"
#include "session/Session.h"

#include <algorithm>
#include <cstdio>

namespace krm::rgb {

namespace {

// RGB programs get the names in English, whatever language the window shows.
class EnglishTexts final : public TextSource {
public:
    explicit EnglishTexts(const LanguageTables& tables) : tables_(tables) {}
    std::string text(std::string_view id) const override { return tables_.lookup(1, id); }

private:
    const LanguageTables& tables_;
};

constexpr std::uint32_t kFullBright = 2, kHalfBright = 1;
constexpr Rgb kWhite{255, 255, 255}; // single-colour LEDs

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

std::string hex4(std::uint32_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", v & 0xFFFF);
    return text;
}

ModeInfo modeInfo(const LightingEditor& e, LedType type, const LightingMode& m) {
    ModeInfo info;
    info.name = m.name.empty() ? "Mode " + std::to_string(m.value) : m.name;
    info.value = m.value;
    info.flags = kSavesItself;
    const LightEffect effect = effectOf(type, m.value);
    const bool mcu = type == LedType::MCULED;
    PreviewInput in;
    in.type = type;
    in.mode = m.value;
    if (LightingPreview(in).animated()) {
        info.flags |= kHasSpeed;
        info.speedMin = 1;
        info.speedMax = mcu ? 8 : 10;
        info.speed = static_cast<std::uint32_t>(mcu ? e.mcuStepSegment() : e.speedLevel());
    }
    if (mcu && effect != LightEffect::Off) {
        info.flags |= kHasBrightness;
        info.brightnessMin = kHalfBright;
        info.brightnessMax = kFullBright;
        info.brightness = e.mcuFullBright() ? kFullBright : kHalfBright;
    }
    const int shown = tableColoursShown(effect);
    if (effect == LightEffect::Fixed) {
        info.flags |= kPerLedColour;
        info.colourMode = ColourMode::PerLed;
    } else if (shown > 0) {
        info.flags |= kModeColours;
        info.colourMode = ColourMode::ModeSpecific;
        info.coloursMin = 1;
        info.coloursMax = static_cast<std::uint32_t>(shown);
        for (int n = 1; n <= shown; ++n) info.colours.push_back(e.tableColour(n));
    }
    return info;
}

} // namespace

int mouseLedCount(const LightingEditor& e) {
    switch (e.type().value_or(LedType::RGB)) {
    case LedType::NT:
        return e.ntLedCount();
    case LedType::MCULED:
        return e.mcuCountIndex() ? *e.mcuCountIndex() + 4 : 1; // items "4" .. "13"
    default:
        return 1;
    }
}

MouseController describeMouse(Session& s) {
    MouseController c;
    LightingEditor& e = s.lighting();
    const LedType type = e.type().value_or(LedType::RGB);
    ControllerInfo& info = c.info;
    info.type = kDeviceTypeMouse;
    info.name = trimmed(productString(s.image().copies.vendor));
    if (info.name.empty()) info.name = "KRM gaming mouse";
    info.vendor = "KRM";
    info.description = "KRM " + s.presence().chipModel() + " gaming mouse with " + e.ledType() + " LEDs";
    info.version = s.presence().chipModel();
    const auto ids = s.imageIds();
    info.location = "USB " + hex4(ids.vendorId) + ":" + hex4(ids.productId);

    const EnglishTexts english(s.languageTables());
    const int current = e.currentMode();
    for (const LightingMode& m : e.modes(english)) {
        // The modes the lighting page offers, and the one the mouse is in even when it is not offered.
        if (m.userItem == 0 || (!m.enabled && m.value != current)) continue;
        if (m.value == current) info.activeMode = static_cast<std::int32_t>(info.modes.size());
        const ModeInfo mode = modeInfo(e, type, m);
        if (mode.colourMode == ColourMode::PerLed) c.perLedMode = static_cast<int>(info.modes.size());
        info.modes.push_back(mode);
        c.userItems.push_back(m.userItem);
    }

    const int leds = mouseLedCount(e);
    info.zones.push_back({"Mouse", leds == 1 ? kZoneSingle : kZoneLinear, static_cast<std::uint32_t>(leds)});
    const Rgb colour = e.coloursShown() ? e.tableColour(1) : kWhite;
    for (int n = 1; n <= leds; ++n) {
        info.leds.push_back(
            {leds == 1 ? "Mouse" : "LED " + std::to_string(n), static_cast<std::uint32_t>(n - 1)});
        info.colours.push_back(colour);
    }
    return c;
}

std::optional<LightingWish> wishForMode(const MouseController& c, const ModeChange& change) {
    if (change.index >= c.info.modes.size()) return std::nullopt;
    const ModeInfo& ours = c.info.modes[change.index];
    const ModeInfo& theirs = change.mode;
    LightingWish wish;
    wish.userItem = c.userItems[change.index];
    if (ours.flags & kHasSpeed)
        wish.speed = static_cast<int>(std::clamp(theirs.speed, ours.speedMin, ours.speedMax));
    if (ours.flags & kHasBrightness) wish.fullBright = theirs.brightness >= kFullBright;
    if (ours.flags & kModeColours) {
        const std::size_t n = std::min<std::size_t>(theirs.colours.size(), ours.coloursMax);
        for (std::size_t i = 0; i < n; ++i)
            wish.colours.emplace_back(static_cast<int>(i) + 1, theirs.colours[i]);
    }
    return wish;
}

std::optional<WishFailure> carryOutWish(Session& s, const LightingWish& wish) {
    LightingEditor& e = s.lighting();
    const bool mcu = e.type() == LedType::MCULED;
    auto step = [&s](const std::string& what, EditOutcome outcome) -> std::optional<WishFailure> {
        if (outcome.requests.empty() && !outcome.refused) return std::nullopt;
        EditOutcome done = s.apply(std::move(outcome));
        if (done.refused || done.writeFailed()) return WishFailure{what, std::move(done)};
        return std::nullopt;
    };
    std::optional<WishFailure> failed;
    if (wish.userItem) {
        const auto index = e.currentListIndex();
        const bool holds = index && e.modes()[static_cast<std::size_t>(*index)].userItem == *wish.userItem;
        if (!holds && (failed = step("the mode", e.chooseUserMode(*wish.userItem)))) return failed;
    }
    if (wish.speed) {
        const int speed = mcu ? e.mcuStepSegment() : e.speedLevel();
        if (speed != *wish.speed && (failed = step("the speed", mcu ? e.chooseMcuStepSegment(*wish.speed)
                                                                    : e.chooseSpeedLevel(*wish.speed))))
            return failed;
    }
    if (wish.fullBright && mcu && e.mcuFullBright() != *wish.fullBright &&
        (failed = step("the brightness", e.setMcuFullBright(*wish.fullBright))))
        return failed;
    for (const auto& [n, colour] : wish.colours) {
        if (!e.coloursShown() || e.tableColour(n) == colour) continue;
        if ((failed = step("colour " + std::to_string(n), e.pickTableColour(n, colour)))) return failed;
    }
    return std::nullopt;
}

} // namespace krm::rgb
