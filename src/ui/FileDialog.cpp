#include "ui/FileDialog.h"

#include <commdlg.h>

#include "base/PathText.h"
#include "base/SystemLibrary.h"
#include "base/WideText.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "song/SongNames.h"

namespace {

// comdlg32 is loaded when a file dialog is first asked for, not imported:
// with shell32 and the printing libraries it brings, loading it took a tenth
// of the program's start-up under Wine. It stays loaded until the process
// ends, as an imported library would.
struct CommonDialogs {
    SystemLibrary library{"comdlg32.dll"};
    BOOL(WINAPI* getSaveFileName)(OPENFILENAMEW*) = nullptr;
    BOOL(WINAPI* getOpenFileName)(OPENFILENAMEW*) = nullptr;
    DWORD(WINAPI* extendedError)() = nullptr;

    CommonDialogs() {
        library.lookUp(getSaveFileName, "GetSaveFileNameW");
        library.lookUp(getOpenFileName, "GetOpenFileNameW");
        library.lookUp(extendedError, "CommDlgExtendedError");
    }
};

const CommonDialogs& commonDialogs() {
    static const CommonDialogs* const dialogs = new CommonDialogs;
    return *dialogs;
}

}  // namespace

bool buildFileFilter(UINT stringId, std::wstring& filter) {
    std::string text;
    if (!loadResourceString(text, stringId, appInstance)) return false;
    filter = wideFromUtf8(text);
    for (wchar_t& c : filter)
        if (c == L'\n') c = L'\0';
    // The string's own NUL ends the list.
    return true;
}

bool chooseFile(FileDialogKind kind, HWND owner, UINT title, UINT filter,
                const char* defaultExtension, std::string& path, const std::string& proposedPath) {
    std::wstring filterText;
    const bool hasFilter = buildFileFilter(filter, filterText);
    const std::wstring titleText = wideFromUtf8(loadResourceString(title));
    wchar_t chosen[MAX_PATH] = L"";
    const std::wstring initialFolder =
        proposedPath.empty() ? std::wstring() : wideFromUtf8(folderOf(proposedPath, isSystemLeadByte));
    if (!proposedPath.empty()) lstrcpynW(chosen, wideFromUtf8(fileNameOf(proposedPath)).c_str(), MAX_PATH);
    const std::wstring extension = defaultExtension ? wideFromUtf8(defaultExtension) : std::wstring();

    OPENFILENAMEW dialog = {};
    // The layout without the three trailing members (pvReserved, dwReserved,
    // FlagsEx): 76 bytes in a 32-bit build, 136 in a 64-bit one.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = hasFilter ? filterText.c_str() : L"";
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = titleText.c_str();
    if (!initialFolder.empty()) dialog.lpstrInitialDir = initialFolder.c_str();
    if (kind == FileDialogKind::Save) {
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (defaultExtension) dialog.lpstrDefExt = extension.c_str();
    } else {
        dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    }

    const CommonDialogs& dialogs = commonDialogs();
    const auto show = kind == FileDialogKind::Save ? dialogs.getSaveFileName : dialogs.getOpenFileName;
    if (!show || !dialogs.extendedError) {
        reportSystemError(owner, dialogs.library.loaded() ? ERROR_PROC_NOT_FOUND : dialogs.library.loadError());
        return false;
    }
    if (!show(&dialog)) {
        // 0 is Cancel; anything else is a dialog that failed.
        if (const DWORD code = dialogs.extendedError()) reportErrorCode(owner, code);
        return false;
    }
    path = utf8FromWide(chosen);
    return true;
}

bool chooseFileToOpen(HWND owner, UINT title, UINT filter, std::string& path) {
    CenteringScope scope(GetCurrentThreadId());
    return chooseFile(FileDialogKind::Open, owner, title, filter, nullptr, path);
}
