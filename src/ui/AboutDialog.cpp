#include "ui/AboutDialog.h"

#include <string>

#include "base/SystemLibrary.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "ui/GuardedDialogProc.h"

namespace {

HFONT titleFont = nullptr;

// version.dll, loaded at run time from the system folder only.
class VersionLibrary {
public:
    using GetFileVersionInfoSizeAFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using GetFileVersionInfoAFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using VerQueryValueAFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

    VersionLibrary() : library_("version.dll") {
        library_.lookUp(getSize, "GetFileVersionInfoSizeA");
        library_.lookUp(getInfo, "GetFileVersionInfoA");
        library_.lookUp(queryValue, "VerQueryValueA");
    }

    bool usable() const { return getSize && getInfo && queryValue; }

    GetFileVersionInfoSizeAFn getSize = nullptr;
    GetFileVersionInfoAFn getInfo = nullptr;
    VerQueryValueAFn queryValue = nullptr;

private:
    SystemLibrary library_;
};

// Fills the description, copyright and comments from the executable's own
// version block, in the language of its first translation. Any missing piece
// leaves its control empty.
void showVersionStrings(HWND dialog, const char* exePath) {
    VersionLibrary version;
    if (!version.usable()) return;
    DWORD ignored = 0;
    const DWORD size = version.getSize(exePath, &ignored);
    if (size == 0) return;
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
    if (!block) return;
    void* data = reinterpret_cast<void*>(block);
    if (version.getInfo(exePath, 0, size, data) == 1) {
        DWORD* translation = nullptr;
        UINT length = 0;
        if (version.queryValue(data, "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length) &&
            translation && length >= sizeof(DWORD)) {
            char prefix[64];
            wsprintfA(prefix, "\\StringFileInfo\\%04X%04X\\", LOWORD(*translation), HIWORD(*translation));
            for (int id : {IDC_ABOUT_DESCRIPTION, IDC_ABOUT_COPYRIGHT, IDC_ABOUT_COMMENTS}) {
                const std::string key = prefix + loadResourceString(static_cast<UINT>(id));
                char* text = nullptr;
                UINT textLength = 0;
                if (version.queryValue(data, key.c_str(), reinterpret_cast<void**>(&text), &textLength) && text)
                    SetDlgItemTextA(dialog, id, text);
            }
        }
    }
    GlobalFree(block);
}

void makeTitleFont(HWND dialog) {
    HWND title = GetDlgItem(dialog, IDC_ABOUT_DESCRIPTION);
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(title, WM_GETFONT, 0, 0));
    LOGFONTA font = {};
    if (!dialogFont || !GetObjectA(dialogFont, sizeof font, &font)) return;
    font.lfHeight = 14;
    font.lfWeight = FW_BOLD;
    titleFont = CreateFontIndirectA(&font);
    if (titleFont) SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), FALSE);
}

std::string executablePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(appInstance, path, MAX_PATH);
    return path;
}

void onInitDialog(HWND dialog) {
    const std::string path = executablePath();
    SetDlgItemTextA(dialog, IDC_ABOUT_PATH, path.c_str());
    SetDlgItemTextA(dialog, IDC_ABOUT_MAIL, loadResourceString(IDS_MAIL_ADDRESS).c_str());
    SetDlgItemTextA(dialog, IDC_ABOUT_WEB, loadResourceString(IDS_WEB_ADDRESS).c_str());
    showVersionStrings(dialog, path.c_str());
    makeTitleFont(dialog);
    centerWindow(nullptr, dialog);
}

void onCommand(HWND dialog, int id) {
    switch (id) {
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_ABOUT_MAIL:
        shellOpen(("mailto:" + loadResourceString(IDS_MAIL_ADDRESS)).c_str(), dialog);
        break;
    case IDC_ABOUT_WEB: {
        const std::string question = loadResourceString(IDS_CONFIRM_OPEN_WEB);
        const std::string caption = loadResourceString(IDS_CONFIRM_CAPTION);
        if (centeredMessageBox(dialog, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES)
            shellOpen(loadResourceString(IDS_WEB_ADDRESS).c_str(), dialog);
        break;
    }
    case IDC_ABOUT_REVEAL: {
        // Explorer shows the program's folder with the program selected.
        const std::string parameters = "/e, /select, " + executablePath();
        shellOpen("Explorer", dialog, parameters.c_str());
        break;
    }
    default:
        break;
    }
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog);
        return TRUE;
    case WM_DESTROY:
        if (titleFont) DeleteObject(titleFont);
        titleFont = nullptr;
        return FALSE;
    case WM_COMMAND:
        onCommand(dialog, LOWORD(wParam));
        return LOWORD(wParam) == IDCANCEL ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return guardedDialogCall<handleMessage>(dialog, message, wParam, lParam);
}
