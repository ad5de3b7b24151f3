// Where windows stand on the screen, as the tests expect them (Windows only).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

inline RECT workArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// A window centred by the system (DS_CENTER), which may round either way.
inline ::testing::AssertionResult centredIn(const RECT& window, const RECT& area) {
    const LONG dx = (window.left + window.right) - (area.left + area.right);
    const LONG dy = (window.top + window.bottom) - (area.top + area.bottom);
    if (dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "window (" << window.left << ", " << window.top << ", "
                                         << window.right << ", " << window.bottom << ") is not centred in ("
                                         << area.left << ", " << area.top << ", " << area.right << ", "
                                         << area.bottom << ")";
}

// A window that the program centred over its owner: integer halves of the
// owner's edges and of the window's own size.
inline ::testing::AssertionResult centredOver(const RECT& window, const RECT& owner) {
    const LONG x = (owner.left + owner.right) / 2 - (window.right - window.left) / 2;
    const LONG y = (owner.top + owner.bottom) / 2 - (window.bottom - window.top) / 2;
    if (window.left == x && window.top == y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "window at (" << window.left << ", " << window.top << "), size "
                                         << window.right - window.left << " x " << window.bottom - window.top
                                         << "; centred over (" << owner.left << ", " << owner.top << ", "
                                         << owner.right << ", " << owner.bottom << ") it would be at (" << x
                                         << ", " << y << ")";
}
