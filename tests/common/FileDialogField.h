// The file name field of the system's open and save dialogs (Windows only).
#pragma once

#include <windows.h>

#include <dlgs.h>

// Wine puts an edit inside the combo box cmb13; the older template has the
// plain edit edt1.
inline HWND fileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13);
    if (!field) return GetDlgItem(dialog, edt1);
    for (HWND inner = field; inner; inner = GetWindow(inner, GW_CHILD)) {
        wchar_t name[16] = {};
        GetClassNameW(inner, name, 16);
        if (lstrcmpiW(name, L"Edit") == 0) return inner;
    }
    return field;
}
