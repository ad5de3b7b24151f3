#include "ui/ListingLook.h"

#include <string>

#include "resource.h"
#include "shell/Resources.h"

HFONT makeListingFont(HWND control) {
    const std::string face = loadResourceString(IDS_LISTING_FONT_FACE);
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA font = {};
    if (face.empty() || !dialogFont || !GetObjectA(dialogFont, sizeof font, &font)) return nullptr;
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT listingFont = CreateFontIndirectA(&font);
    if (listingFont) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(listingFont), FALSE);
    return listingFont;
}

ListingColours ListingColours::fetch() {
    return {GetSysColorBrush(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW)};
}

INT_PTR ListingColours::paint(HDC context) const {
    SetTextColor(context, text);
    SetBkColor(context, back);
    return reinterpret_cast<INT_PTR>(brush);
}
