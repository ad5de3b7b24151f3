// Entry point, at the top of the window's layers: registers the main window
// class, loads both INI documents, creates the main dialog, opens a file
// named on the command line and runs the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "base/WideText.h"
#include "resource.h"
#include "settings/AppSettings.h"
#include "shell/AppState.h"
#include "shell/Resources.h"
#include "shell/UpdatesScope.h"
#include "ui/HandedFiles.h"
#include "ui/MainDialog.h"
#include "ui/MtsEspMasterCommand.h"
#include "ui/PlayThroughDialog.h"
#include "ui/TuningChanges.h"

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
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(nullptr, L"#32770", &windowClass)) return false;
    windowClass.cbWndExtra |= DLGWINDOWEXTRA;
    windowClass.hIcon = LoadIconW(appInstance, MAKEINTRESOURCEW(IDI_APP));
    windowClass.lpszClassName = L"VelmarinWnd";
    return RegisterClassW(&windowClass) != 0;
}

void runMessageLoop() {
    HACCEL accelerators = LoadAcceleratorsW(appInstance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    // GetMessage gives 0 for WM_QUIT and -1 on an error; both end the loop.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(mainWindow, accelerators, &message)) continue;
        if (isPlayThroughDialogMessage(message)) continue;
        if (IsDialogMessageW(mainWindow, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    appInstance = instance;
    restrictDllSearchToSystemFolder();
    InitCommonControls();
    presetFile.load(presetFilePath());
    settingsFile.load(settingsFilePath());
    chooseUiLanguage(readAppSettings(settingsFile).language);

    if (!registerMainWindowClass()) {
        const std::wstring text = wideFromUtf8(loadResourceString(IDS_CANNOT_CREATE_DIALOG));
        const std::wstring caption = wideFromUtf8(loadResourceString(IDS_ERROR_CAPTION));
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
        return 0;
    }

    {
        // Refreshes triggered while the dialog initialises its controls wait
        // until it is shown.
        UpdatesScope noUpdates(updatesEnabled);
        mainWindow = createDialog(IDD_MAIN, nullptr, mainDialogProc);
        if (!mainWindow) return 0;
        ShowWindow(mainWindow, SW_SHOW);
        UpdateWindow(mainWindow);
    }
    tuningChanged();
    // Once the window shows, so that loading the library holds nothing back.
    resumeMtsEspMaster();
    // "Velmarin.exe FILE", as "Open with" and file associations start it; the
    // runtime has split the wide command line by the system's rules, so the
    // name may hold any character.
    if (__argc >= 2) openHandedFile(utf8FromWide(__wargv[1]));

    runMessageLoop();
    return 0;
}
