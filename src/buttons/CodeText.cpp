#include "buttons/CodeText.h"

namespace krm {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
} // namespace

std::string hex2(unsigned value) {
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

std::string hex4(unsigned value) {
    return hex2(value >> 8) + hex2(value);
}

} // namespace krm
