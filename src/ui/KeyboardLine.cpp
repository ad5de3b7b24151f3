#include "ui/KeyboardLine.h"

#include "base/PathText.h"
#include "base/WideText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "ui/TuningReports.h"

std::optional<HeldKeyboard> heldKeyboard;

std::optional<std::string> synthFileText(const std::string& path) {
    if (!keyboardKeys || !heldKeyboard) return std::nullopt;
    const std::string name = fileNameOf(path);
    switch (synthFileKindFromName(name)) {
    case SynthFileKind::Scl: return scalaScaleText(heldKeyboard->onKeys.scale, name);
    case SynthFileKind::Kbm: return keyboardMapText(heldKeyboard->onKeys.map, name);
    case SynthFileKind::Tun: return anaMarkTuningText(heldKeyboard->tuning, heldKeyboard->description);
    case SynthFileKind::None: break;
    }
    return std::nullopt;
}

void createKeyboardLine(HWND dialog) {
    const LPARAM font = SendMessageA(dialog, WM_GETFONT, 0, 0);
    // Dialog units: under the check-all buttons (94 + 15), above the
    // listing's label (120), as wide as the listing.
    RECT place{72, 110, 318, 119};
    MapDialogRect(dialog, &place);
    const HWND control = CreateWindowExW(0, L"Static", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS,
                                         place.left, place.top, place.right - place.left, place.bottom - place.top,
                                         dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_KEYBOARD_LINE)),
                                         appInstance, nullptr);
    SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
}

void showKeyboardLine(bool carried) {
    if (!mainWindow) return;
    const bool held = keyboardKeys.has_value();
    for (int k = 0; k < 12; ++k) {
        EnableWindow(GetDlgItem(mainWindow, IDC_OFFSET_FIRST + k), !held);
        EnableWindow(GetDlgItem(mainWindow, IDC_OFFSET_SPIN_FIRST + k), !held);
    }
    const HWND line = GetDlgItem(mainWindow, IDC_KEYBOARD_LINE);
    if (held)
        setItemText(mainWindow, IDC_KEYBOARD_LINE,
                    fillIn(loadResourceString(carried ? IDS_KEYBOARD_LINE : IDS_KEYBOARD_NOT_CARRIED),
                           {keyboardScaleName, keyboardMapName}));
    ShowWindow(line, held ? SW_SHOWNA : SW_HIDE);
}
