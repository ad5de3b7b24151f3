#include "ui/ListingLook.h"

#include <string>

#include "base/WideText.h"
#include "resource.h"
#include "shell/Resources.h"

HFONT makeListingFont(HWND control) {
    const std::wstring face = wideFromUtf8(loadResourceString(IDS_LISTING_FONT_FACE));
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW font = {};
    if (face.empty() || !dialogFont || !GetObjectW(dialogFont, sizeof font, &font)) return nullptr;
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    // Where the face is missing, the columns still line up in the stand-in.
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    HFONT listingFont = CreateFontIndirectW(&font);
    if (listingFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(listingFont), FALSE);
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
