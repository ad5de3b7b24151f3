#include "shell/CenteringMath.h"

namespace {

// 64-bit intermediates keep extreme rectangles from overflowing; every
// result that fits a rectangle coordinate is the same as in 32 bits.
int32_t centeredStart(int32_t low, int32_t high, int32_t size, int32_t areaLow,
                      int32_t areaHigh) {
    int64_t start = (int64_t{low} + high) / 2 - size / 2;
    if (start < areaLow)
        start = areaLow;
    else if (start + size > areaHigh)
        start = int64_t{areaHigh} - size;
    return static_cast<int32_t>(start);
}

}  // namespace

PlainPoint centeredPosition(const PlainRect& reference, int32_t width, int32_t height,
                            const PlainRect& area) {
    return {centeredStart(reference.left, reference.right, width, area.left, area.right),
            centeredStart(reference.top, reference.bottom, height, area.top, area.bottom)};
}
