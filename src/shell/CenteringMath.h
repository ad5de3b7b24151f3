// Where a window of a given size goes when it is centred over a reference
// rectangle and kept inside a work area. Platform-free, so the arithmetic is
// tested apart from any window.
#pragma once

#include <cstdint>

struct PlainRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct PlainPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// x = (left + right) / 2 - width / 2 (each division truncating toward zero,
// sum and size halved separately), likewise y; then clamped: a position left
// of the area goes to its left edge, otherwise one sticking out on the right
// is moved so its right edge meets the area's; the same vertically. A window
// wider than the area can therefore end up left of area.left.
PlainPoint centeredPosition(const PlainRect& reference, int32_t width, int32_t height,
                            const PlainRect& area);
