#include "ui/AboutDialog.h"

#include <string>
#include <vector>

#include "base/SystemLibrary.h"
#include "base/WideText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "ui/GuardedDialogProc.h"

namespace {

HFONT titleFont = nullptr;

// version.dll, loaded at run time from the system folder only.
class VersionLibrary {
public:
    using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

    VersionLibrary() : library_("version.dll") { library_.lookUp(queryValue, "VerQueryValueW"); }

    VerQueryValueWFn queryValue = nullptr;

private:
    SystemLibrary library_;
};

// Fills the description, copyright and comments from the executable's own
// version block in the interface's language, in the language of its first
// translation. Any missing piece leaves its control empty.
void showVersionStrings(HWND dialog) {
    VersionLibrary version;
    DWORD size = 0;
    const void* resource = findUiResource(RT_VERSION, VS_VERSION_INFO, &size);
    if (!version.queryValue || !resource) return;
    // A copy, as GetFileVersionInfo would give: the resource is read-only.
    std::vector<char> data(static_cast<const char*>(resource), static_cast<const char*>(resource) + size);
    DWORD* translation = nullptr;
    UINT length = 0;
    if (!version.queryValue(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                            &length) ||
        !translation || length < sizeof(DWORD))
        return;
    wchar_t prefix[64];
    wsprintfW(prefix, L"\\StringFileInfo\\%04X%04X\\", LOWORD(*translation), HIWORD(*translation));
    for (int id : {IDC_ABOUT_DESCRIPTION, IDC_ABOUT_COPYRIGHT, IDC_ABOUT_COMMENTS}) {
        const std::wstring key = prefix + wideFromUtf8(loadResourceString(static_cast<UINT>(id)));
        wchar_t* text = nullptr;
        UINT textLength = 0;
        if (version.queryValue(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &textLength) && text)
            SetDlgItemTextW(dialog, id, text);
    }
}

void makeTitleFont(HWND dialog) {
    HWND title = GetDlgItem(dialog, IDC_ABOUT_DESCRIPTION);
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(title, WM_GETFONT, 0, 0));
    LOGFONTW font = {};
    if (!dialogFont || !GetObjectW(dialogFont, sizeof font, &font)) return;
    font.lfHeight = 14;
    font.lfWeight = FW_BOLD;
    titleFont = CreateFontIndirectW(&font);
    if (titleFont) SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), FALSE);
}

void onInitDialog(HWND dialog) {
    setItemText(dialog, IDC_ABOUT_PATH, executablePath());
    setItemText(dialog, IDC_ABOUT_MAIL, loadResourceString(IDS_MAIL_ADDRESS));
    setItemText(dialog, IDC_ABOUT_WEB, loadResourceString(IDS_WEB_ADDRESS));
    showVersionStrings(dialog);
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
