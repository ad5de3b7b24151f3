#include "ui/KeyboardLine.h"

#include <utility>

#include "base/PathText.h"
#include "base/WideText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "tuning/TuningOutputs.h"
#include "ui/TuningReports.h"

namespace {

// What the edits and the line show now. Every refresh asks for them again;
// under Wine GetDlgItem fetches the dialog's whole list of controls from the
// server each time, greying a greyed control or showing a shown one goes
// there again and setting the same text repaints the line, so only a change
// reaches the controls.
bool editsGreyed = false;
bool lineShown = false;
std::string lineText;

// The scale as the window names it, for the line and the .tun file.
std::string heldScaleName(const TuningOrigin& origin) {
    return origin.kind == TuningOriginKind::Scala ? scaleNameText(origin.name, origin.scaleFileName) : origin.name;
}

// What laid the keys: the map opened for the scale, the scale laid linearly,
// or a file's keys as they came.
std::string heldMapName(const TuningOrigin& origin) {
    if (origin.kind != TuningOriginKind::Scala) return loadResourceString(IDS_KEYBOARD_FROM_FILE);
    return origin.mapFileName.empty() ? resourceLine(IDS_KEYBOARD_PREVIEW_LINES, 5) : origin.mapFileName;
}

}  // namespace

bool holdsKeyboardFiles() { return currentTuning.onKeys() && currentTuning.scaleOnKeys.has_value(); }

std::optional<std::string> keyboardFileText(const std::string& path) {
    if (!holdsKeyboardFiles()) return std::nullopt;
    const std::string name = fileNameOf(path);
    return synthFileText(currentTuning, synthFileKindFromName(name), name, heldScaleName(currentTuning.origin));
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
    editsGreyed = false;
    lineShown = false;
    lineText.clear();
}

void showKeyboardLine(bool carried) {
    if (!mainWindow) return;
    const bool held = currentTuning.onKeys();
    if (held != editsGreyed) {
        for (int k = 0; k < 12; ++k) {
            EnableWindow(GetDlgItem(mainWindow, IDC_OFFSET_FIRST + k), !held);
            EnableWindow(GetDlgItem(mainWindow, IDC_OFFSET_SPIN_FIRST + k), !held);
        }
        editsGreyed = held;
    }
    if (held) {
        std::string text = fillIn(loadResourceString(carried ? IDS_KEYBOARD_LINE : IDS_KEYBOARD_NOT_CARRIED),
                                  {heldScaleName(currentTuning.origin), heldMapName(currentTuning.origin)});
        if (text != lineText) {
            setItemText(mainWindow, IDC_KEYBOARD_LINE, text);
            lineText = std::move(text);
        }
    }
    if (held != lineShown) {
        ShowWindow(GetDlgItem(mainWindow, IDC_KEYBOARD_LINE), held ? SW_SHOWNA : SW_HIDE);
        lineShown = held;
    }
}
