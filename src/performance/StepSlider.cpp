#include "performance/StepSlider.h"

namespace krm {

int sliderStop(int position, int extent, int stops) {
    if (stops < 2) return 0;
    const int stride = extent / (stops - 1);
    const int start = -(stride / 2);
    if (position <= start) return 0;
    for (int i = 0; i < stops - 1; ++i)
        if (start + stride * i < position && position <= start + stride * (i + 1)) return i;
    return stops - 1;
}

} // namespace krm
