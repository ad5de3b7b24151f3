#include "ui/OptionsDialog.h"

#include <commctrl.h>

#include "resource.h"
#include "settings/AppSettings.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "ui/GuardedDialogProc.h"

namespace {

// The number in an edit brought into its range; text that is no number, or
// is below the range, gives the lower bound.
int32_t clampedEditValue(HWND dialog, int id, int32_t lowest, int32_t highest) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    if (!translated || value < lowest) return lowest;
    return value > highest ? highest : value;
}

int32_t lowestOf(int id) { return id == IDC_DIVISION_EDIT ? kMinDivision : kMinDelta; }
int32_t highestOf(int id) { return id == IDC_DIVISION_EDIT ? kMaxDivision : kMaxDelta; }

// Rewrites the edit only when its text is not already a number in range.
void correctEdit(HWND dialog, int id) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    const int32_t corrected = clampedEditValue(dialog, id, lowestOf(id), highestOf(id));
    if (!translated || value != corrected) SetDlgItemInt(dialog, id, static_cast<UINT>(corrected), TRUE);
}

void onInitDialog(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_DIVISION_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kMaxDivision, kMinDivision));
    SendDlgItemMessageA(dialog, IDC_DELTA_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kMaxDelta, kMinDelta));
    SetDlgItemInt(dialog, IDC_DIVISION_EDIT, static_cast<UINT>(sysexEventDivision), TRUE);
    SetDlgItemInt(dialog, IDC_DELTA_EDIT, static_cast<UINT>(sysexEventDelta), TRUE);
    SendDlgItemMessageA(dialog, IDC_DIVISION_EDIT, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageA(dialog, IDC_DELTA_EDIT, EM_LIMITTEXT, 5, 0);
    centerWindow(nullptr, dialog);
}

INT_PTR onCommand(HWND dialog, int id, int notification) {
    switch (id) {
    case IDC_DIVISION_EDIT:
    case IDC_DELTA_EDIT:
        if (notification != EN_KILLFOCUS) return FALSE;
        correctEdit(dialog, id);
        return TRUE;
    case IDC_RESET_DEFAULTS:
        SetDlgItemInt(dialog, IDC_DIVISION_EDIT, kDefaultDivision, TRUE);
        SetDlgItemInt(dialog, IDC_DELTA_EDIT, kDefaultDelta, TRUE);
        return FALSE;
    case IDOK:
        sysexEventDivision = clampedEditValue(dialog, IDC_DIVISION_EDIT, kMinDivision, kMaxDivision);
        sysexEventDelta = clampedEditValue(dialog, IDC_DELTA_EDIT, kMinDelta, kMaxDelta);
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return guardedDialogCall<handleMessage>(dialog, message, wParam, lParam);
}
