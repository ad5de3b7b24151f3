// The main window's template shown by a program that does nothing else: the
// same window class, common controls and resources as Velmarin.exe, but no
// settings, no initialisation and no listing. Against it the benchmark tells
// the template's own start-up cost from the program's.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK templateDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        DestroyWindow(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(nullptr, "#32770", &windowClass)) return 0;
    windowClass.cbWndExtra |= DLGWINDOWEXTRA;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.lpszClassName = "VelmarinWnd";
    if (!RegisterClassA(&windowClass)) return 0;
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, templateDialogProc, 0);
    if (!dialog) return 0;
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
