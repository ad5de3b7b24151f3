#include "ui/ExactMarks.h"

#include <array>

#include "base/WideText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Resources.h"

namespace {

// Whether each mark is shown now. Every refresh asks for the marks again;
// under Wine GetDlgItem fetches the dialog's whole list of controls from the
// server each time, and showing a shown control goes there again, so only a
// change reaches the controls.
std::array<bool, 12> marksShown = {};

}  // namespace

void createExactMarks(HWND dialog) {
    marksShown = {};
    const std::wstring mark = wideFromUtf8(loadResourceString(IDS_EXACT_MARK));
    const LPARAM font = SendMessageA(dialog, WM_GETFONT, 0, 0);
    for (int k = 0; k < 12; ++k) {
        // In the offset group's margin, left of the note's name: dialog units
        // of the template's rows (18 apart from 45).
        RECT place{7, 45 + 18 * k, 13, 45 + 18 * k + 12};
        MapDialogRect(dialog, &place);
        const HWND control = CreateWindowExW(
            0, L"Static", mark.c_str(), WS_CHILD | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, place.left, place.top,
            place.right - place.left, place.bottom - place.top, dialog,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EXACT_MARK_FIRST + k)), appInstance, nullptr);
        SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    }
}

void showExactMarks() {
    if (!mainWindow) return;
    const bool fractions = offsetRange(static_cast<TuningFormat>(midiFormat), static_cast<MtsForm>(mtsForm)).fractions;
    for (int k = 0; k < 12; ++k) {
        const bool shown = fractions && !currentTuning.onKeys() && currentTuning.twelve.exactHundredths[k];
        if (shown == marksShown[k]) continue;
        ShowWindow(GetDlgItem(mainWindow, IDC_EXACT_MARK_FIRST + k), shown ? SW_SHOWNA : SW_HIDE);
        marksShown[k] = shown;
    }
}
