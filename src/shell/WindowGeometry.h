#pragma once

namespace krm {

// Offset that centres an extent inside another, truncating toward zero like the window placement
// always has (a window wider than the screen starts left of it).
constexpr int centredOffset(int outer, int inner) {
    return (outer - inner) / 2;
}

} // namespace krm
