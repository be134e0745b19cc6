#pragma once

#include <string>

namespace krm {

// The user's configuration folder: $XDG_CONFIG_HOME when it is set, else ~/.config ("." without a home).
std::string userConfigFolder();

} // namespace krm
