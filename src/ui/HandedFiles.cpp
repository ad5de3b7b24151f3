#include "ui/HandedFiles.h"

#include <shellapi.h>

#include <cstdint>

#include "base/SystemLibrary.h"
#include "base/WideText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "tuning/OpenedFiles.h"
#include "ui/OpenCommand.h"
#include "ui/SongCommand.h"
#include "ui/TuningReports.h"

namespace {

// shell32 is loaded when a file is first dropped, not imported, as for
// ShellExecute: it would slow every start.
struct DropFunctions {
    SystemLibrary library{"shell32.dll"};
    UINT(WINAPI* queryFile)(HDROP, UINT, LPWSTR, UINT) = nullptr;
    void(WINAPI* finish)(HDROP) = nullptr;

    DropFunctions() {
        library.lookUp(queryFile, "DragQueryFileW");
        library.lookUp(finish, "DragFinish");
    }
};

// A MIDI file is read once, as large as a song may be, to tell a song from
// a tuning file.
void openMidiFile(const std::string& path) {
    std::string bytes;
    if (!loadSong(path, bytes)) return;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (fileRoleOf(path, data, bytes.size()) == FileRole::Song)
        runSongCommandWith(path, bytes);
    else
        openTuningBytes(TuningFileKind::Mid, data, bytes.size(), path);
}

}  // namespace

void openHandedFile(const std::string& path) {
    if (roleNeedsBytes(path))
        openMidiFile(path);
    else if (fileRoleOf(path, nullptr, 0) != FileRole::Unsupported)
        openTuningFileAt(path);
    else
        showReadError(mainWindow, loadResourceString(IDS_UNSUPPORTED_KIND) + "\n\n" + path);
}

void openDroppedFile(HDROP drop) {
    static const DropFunctions* const functions = new DropFunctions;
    if (!functions->queryFile || !functions->finish) {
        reportSystemError(mainWindow, functions->library.loaded() ? ERROR_PROC_NOT_FOUND : functions->library.loadError());
        return;
    }
    wchar_t path[MAX_PATH] = L"";
    const UINT length = functions->queryFile(drop, 0, path, MAX_PATH);
    // The drop is released before anything modal runs.
    functions->finish(drop);
    if (length != 0) openHandedFile(utf8FromWide(path));
}
