// The smallest modeless-dialog program: shows a dialog and runs a message loop.
// Built twice: as trivial_dialog with its own small template, and as
// template_dialog with Velmarin's resources (VELMARIN_MAIN_TEMPLATE), where it
// shows the main window's template with its window class and common controls
// and does nothing else. Against these the benchmark tells the template's
// start-up cost from the program's.
#include <windows.h>
#include <commctrl.h>

#ifdef VELMARIN_MAIN_TEMPLATE
#include "resource.h"
#endif

namespace {

INT_PTR CALLBACK trivialDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        DestroyWindow(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return message == WM_INITDIALOG;
}

#ifdef VELMARIN_MAIN_TEMPLATE
// As Velmarin.exe does before it creates its main window.
bool prepareMainTemplate(HINSTANCE instance) {
    InitCommonControls();
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(nullptr, "#32770", &windowClass)) return false;
    windowClass.cbWndExtra |= DLGWINDOWEXTRA;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.lpszClassName = "VelmarinWnd";
    return RegisterClassA(&windowClass) != 0;
}
constexpr int kTemplate = IDD_MAIN;
#else
bool prepareMainTemplate(HINSTANCE) { return true; }
constexpr int kTemplate = 100;
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!prepareMainTemplate(instance)) return 0;
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(kTemplate), nullptr, trivialDialogProc, 0);
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
