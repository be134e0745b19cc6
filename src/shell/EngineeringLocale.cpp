#include "shell/EngineeringLocale.h"

#include <cstdlib>

namespace krm {

int captionColumnForLocaleId(int localeId) {
    return localeId == kLocaleChinesePrc ? 2 : 0;
}

int localeIdFromName(std::string_view localeName) {
    std::string_view base = localeName.substr(0, localeName.find_first_of(".@"));
    return base == "zh_CN" ? kLocaleChinesePrc : 0;
}

std::string messagesLocaleName(const EnvironmentLookup& getenv) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (value && *value) return value;
    }
    return {};
}

int engineeringCaptionColumn() {
    static const int kColumn = captionColumnForLocaleId(
        localeIdFromName(messagesLocaleName([](const char* n) { return std::getenv(n); })));
    return kColumn;
}

std::string_view engineeringFontFamily(int column) {
    return column == 0 ? "DejaVu Sans" : "WenQuanYi Micro Hei";
}

} // namespace krm
