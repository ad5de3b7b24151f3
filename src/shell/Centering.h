// Centring of secondary windows over their owners, inside the work area of
// the owner's monitor.
#pragma once

#include <windows.h>

// While at least one scope is open, every dialog box of the thread (message
// boxes and common dialogs included) is centred as it receives
// WM_INITDIALOG, before it is first shown.
class CenteringScope {
public:
    explicit CenteringScope(DWORD threadId);
    virtual ~CenteringScope();
    CenteringScope(const CenteringScope&) = delete;
    CenteringScope& operator=(const CenteringScope&) = delete;
};

// Centres `window` over `reference` (null: its parent when it is a child,
// else its owner) and clamps it into the work area. A hidden or minimised
// reference is ignored; a child is centred in its parent's client area.
void centerWindow(HWND reference, HWND window);
