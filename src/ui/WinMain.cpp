// Entry point, at the top of the window's layers: registers the main window
// class, loads both INI documents, creates the main dialog, opens a file
// named on the command line and runs the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "resource.h"
#include "shell/AppState.h"
#include "shell/Resources.h"
#include "shell/UpdatesScope.h"
#include "ui/HandedFiles.h"
#include "ui/MainDialog.h"
#include "ui/SysexView.h"

namespace {

// DLLs loaded at run time come from the system folder only, never from the
// program's folder or the current directory. The call exists on Windows 8
// and on Windows 7 with its loader update.
void restrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (!kernel32) return;
    auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The main window is a dialog whose class is a copy of the system dialog
// class under the program's own name, so it carries the program's icon.
bool registerMainWindowClass() {
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(nullptr, "#32770", &windowClass)) return false;
    windowClass.cbWndExtra |= DLGWINDOWEXTRA;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.lpszClassName = "VelmarinWnd";
    return RegisterClassA(&windowClass) != 0;
}

void runMessageLoop() {
    HACCEL accelerators = LoadAcceleratorsA(appInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG message;
    // GetMessage gives 0 for WM_QUIT and -1 on an error; both end the loop.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(mainWindow, accelerators, &message)) continue;
        if (IsDialogMessageA(mainWindow, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    appInstance = instance;
    restrictDllSearchToSystemFolder();
    InitCommonControls();

    if (!registerMainWindowClass()) {
        const std::string text = loadResourceString(IDS_CANNOT_CREATE_DIALOG);
        const std::string caption = loadResourceString(IDS_ERROR_CAPTION);
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
        return 0;
    }

    {
        // Refreshes triggered while the dialog initialises its controls wait
        // until it is shown.
        UpdatesScope noUpdates(updatesEnabled);
        presetFile.load(presetFilePath());
        settingsFile.load(settingsFilePath());

        mainWindow = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                        mainDialogProc, 0);
        if (!mainWindow) return 0;
        ShowWindow(mainWindow, SW_SHOW);
        UpdateWindow(mainWindow);
    }
    refreshSysexView();
    // "Velmarin.exe FILE", as "Open with" and file associations start it; the
    // runtime has split the command line by the system's rules, in the ANSI
    // code page the program's paths are in.
    if (__argc >= 2) openHandedFile(__argv[1]);

    runMessageLoop();
    return 0;
}
