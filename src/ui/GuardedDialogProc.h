// No C++ exception may unwind through user32: a dialog procedure calls its
// handler through this guard; an exception is reported in the error box with
// the unexpected-error text and the message ends as "not handled".
#pragma once

#include <windows.h>

#include "shell/MessageBoxes.h"

using DialogHandler = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

template <DialogHandler handler>
INT_PTR guardedDialogCall(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return handler(dialog, message, wParam, lParam);
    } catch (...) {
        reportUnexpectedError(dialog);
        return FALSE;
    }
}
