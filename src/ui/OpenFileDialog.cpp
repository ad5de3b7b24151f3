#include "ui/OpenFileDialog.h"

#include <commdlg.h>

#include "output/ByteBuffer.h"
#include "shell/Centering.h"
#include "shell/Resources.h"
#include "ui/SaveCommands.h"

bool chooseFileToOpen(HWND owner, UINT title, UINT filter, std::string& path) {
    ByteBuffer filterText;
    const bool hasFilter = buildFileFilter(filter, filterText);
    const std::string titleText = loadResourceString(title);
    char chosen[MAX_PATH] = "";

    OPENFILENAMEA dialog = {};
    // The layout without the three trailing members, as the save dialogs use.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = hasFilter ? reinterpret_cast<const char*>(filterText.data()) : "";
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = titleText.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

    CenteringScope scope(GetCurrentThreadId());
    if (!GetOpenFileNameA(&dialog)) return false;
    path = chosen;
    return true;
}
