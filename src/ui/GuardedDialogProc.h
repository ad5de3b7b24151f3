// No C++ exception may unwind through user32: a dialog procedure calls its
// handler through this guard, and an exception ends as "not handled".
#pragma once

#include <windows.h>

using DialogHandler = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

template <DialogHandler handler>
INT_PTR guardedDialogCall(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return handler(dialog, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}
