#include "base/UserFolders.h"

#include <cstdlib>

namespace krm {

std::string userConfigFolder() {
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return x;
    if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config";
    return ".";
}

} // namespace krm
