#include "shell/LanguageSlots.h"

namespace krm {

namespace {
// Every range filled here starts at 100 or above, so the number has its three digits already.
std::string id(int n) {
    return "Str" + std::to_string(n);
}

template <std::size_t N> void fill(std::array<std::string, N>& slots, const TextSource& texts, int first) {
    for (std::size_t i = 0; i < N; ++i) slots[i] = texts.text(id(first + static_cast<int>(i)));
}
} // namespace

void LanguageSlots::refresh(const TextSource& texts) {
    noDevice = texts.text("Str022");
    fill(messages, texts, 100);
    fill(writeFailures, texts, 108);
    fill(writeFailuresWithoutPage, texts, 944);
    userDefined = texts.text("Str205");
    leftClick = texts.text("Str210");
    middleClick = texts.text("Str212");
    backward = texts.text("Str213");
    forward = texts.text("Str214");
    fill(dpiKeys, texts, 221);
    fill(fireKeys, texts, 231);
    fill(profileKeys, texts, 251);
    aimKey = texts.text("Str260");
    ledMode = texts.text("Str261");
    fireMacroKey = texts.text("Str265");
    leftKeyRules = {texts.text("Str294"), texts.text("Str295")};
    fill(dpiValues, texts, 300);
    record = texts.text("Str400");
    stop = texts.text("Str401");
    ok = texts.text("Str420");
    insert = texts.text("Str421");
    noMacroSelected = texts.text("Str430");
    fill(gunNames, texts, 600);
    fill(mcuLedModes, texts, 815);
    fill(rgbLedModes, texts, 859);
    title = texts.text("Title");
    fontName = texts.text("FontName");
}

const std::string& LanguageSlots::withoutPage(const std::string& message) const {
    for (std::size_t i = 0; i < writeFailuresWithoutPage.size(); ++i)
        if (message == writeFailures[i] && !writeFailuresWithoutPage[i].empty())
            return writeFailuresWithoutPage[i];
    return message;
}

} // namespace krm
