// The look of a read-only text that lists bytes or figures, shared by the
// main window's listing and the temperament dialog's preview: the
// fixed-pitch face of the string table at the dialog font's size, so that
// columns line up, and the window's colours instead of the grey that a
// read-only edit would get.
#pragma once

#include <windows.h>

// The listing face at the size of the font `control` uses now, given to
// `control` without redrawing; null, and the control keeps its font, when
// the face or the font is missing. The caller deletes it.
HFONT makeListingFont(HWND control);

struct ListingColours {
    HBRUSH brush = nullptr;
    COLORREF text = 0;
    COLORREF back = 0;

    // The system's window colours, as they are now.
    static ListingColours fetch();
    // The answer to WM_CTLCOLORSTATIC for the listing control.
    INT_PTR paint(HDC context) const;
};
