#include "ui/FileDialog.h"

#include <commdlg.h>

#include "base/PathText.h"
#include "base/SystemLibrary.h"
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
    BOOL(WINAPI* getSaveFileName)(OPENFILENAMEA*) = nullptr;
    BOOL(WINAPI* getOpenFileName)(OPENFILENAMEA*) = nullptr;
    DWORD(WINAPI* extendedError)() = nullptr;

    CommonDialogs() {
        library.lookUp(getSaveFileName, "GetSaveFileNameA");
        library.lookUp(getOpenFileName, "GetOpenFileNameA");
        library.lookUp(extendedError, "CommDlgExtendedError");
    }
};

const CommonDialogs& commonDialogs() {
    static const CommonDialogs* const dialogs = new CommonDialogs;
    return *dialogs;
}

}  // namespace

bool buildFileFilter(UINT stringId, ByteBuffer& filter) {
    std::string text;
    if (!loadResourceString(text, stringId, appInstance)) return false;
    for (char& c : text)
        if (c == '\n') c = '\0';
    ByteBuffer built;
    if (!built.append(text.data(), static_cast<uint32_t>(text.size())) || !built.append('\0'))
        return false;
    filter = std::move(built);
    return true;
}

bool chooseFile(FileDialogKind kind, HWND owner, UINT title, UINT filter,
                const char* defaultExtension, std::string& path, const std::string& proposedPath) {
    ByteBuffer filterText;
    const bool hasFilter = buildFileFilter(filter, filterText);
    const std::string titleText = loadResourceString(title);
    char chosen[MAX_PATH] = "";
    const std::string initialFolder = proposedPath.empty() ? std::string() : folderOf(proposedPath, isSystemLeadByte);
    if (!proposedPath.empty()) lstrcpynA(chosen, fileNameOf(proposedPath).c_str(), MAX_PATH);

    OPENFILENAMEA dialog = {};
    // The layout without the three trailing members (pvReserved, dwReserved,
    // FlagsEx): 76 bytes in a 32-bit build, 136 in a 64-bit one.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = hasFilter ? reinterpret_cast<const char*>(filterText.data()) : "";
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = titleText.c_str();
    if (!initialFolder.empty()) dialog.lpstrInitialDir = initialFolder.c_str();
    if (kind == FileDialogKind::Save) {
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        dialog.lpstrDefExt = defaultExtension;
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
    path = chosen;
    return true;
}

bool chooseFileToOpen(HWND owner, UINT title, UINT filter, std::string& path) {
    CenteringScope scope(GetCurrentThreadId());
    return chooseFile(FileDialogKind::Open, owner, title, filter, nullptr, path);
}
