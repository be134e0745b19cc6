#pragma once

namespace krm {

// The stop a position on a stepped slider falls on. A slider of `stops` stops spans `extent` units
// (its value range, or its width in pixels for a click); the stops lie `extent / (stops - 1)` apart and
// each owns the band from half a stride before it to half a stride after it. A position at or below the
// first band gives 0, one past the last band the last stop.
int sliderStop(int position, int extent, int stops);

// The DPI and sniper sliders: value range 0..1100, twelve stops at multiples of 100.
inline constexpr int kDpiSliderRange = 1100;
inline constexpr int kDpiSliderStops = 12;
inline constexpr int kDpiSliderStride = 100;

} // namespace krm
