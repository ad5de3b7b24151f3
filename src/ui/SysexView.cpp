#include "ui/SysexView.h"

#include "resource.h"
#include "shell/AppState.h"
#include "sysex/HexListing.h"

std::optional<int32_t> readScaleOffset(HWND dialog, int id) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    return translated ? std::optional<int32_t>(value) : std::nullopt;
}

ScaleOffsets readScaleOffsets(HWND dialog) {
    ScaleOffsets offsets;
    for (int k = 0; k < 12; ++k) offsets[k] = readScaleOffset(dialog, IDC_OFFSET_FIRST + k);
    return offsets;
}

void refreshSysexView() {
    if (updatesEnabled == 0) return;

    sysexText.clear();
    if (buildSysexList(static_cast<TuningFormat>(midiFormat), scaleOffsets,
                       static_cast<uint32_t>(midiPartOrChannel), scaleDataBytes, sysexBuffer,
                       sysexLength))
        sysexText = formatHexListing(sysexBuffer, sysexLength);

    // One SetWindowText with redrawing off, then one repaint: no flicker.
    SendMessageA(sysexEdit, WM_SETREDRAW, FALSE, 0);
    SetWindowTextA(sysexEdit, sysexText.c_str());
    SendMessageA(sysexEdit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(sysexEdit, nullptr, FALSE);

    const bool enabled = !sysexText.empty();
    for (HWND button : saveButtons) EnableWindow(button, enabled);
    for (UINT command : {IDM_SAVE_SMF, IDM_SAVE_BINARY, IDM_SAVE_TEXT})
        EnableMenuItem(mainMenu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}
