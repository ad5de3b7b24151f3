// Controls a dialog makes at run time, so that its template stays as it is.
#pragma once

#include <windows.h>

#include <string>

// A visible child of `dialog` of window class `className`, with `style` and
// `id`, at `box` in dialog units moved down by `topPixels`, showing `text`
// in the dialog's font. It follows `after` in the tab order, which a label's
// mnemonic also follows.
HWND addDialogControl(HWND dialog, HWND after, const wchar_t* className, DWORD style, int id, RECT box,
                      const std::string& text, int topPixels = 0);
