#include "ui/HandedFiles.h"

#include <shellapi.h>

#include <cstdint>

#include "base/SystemLibrary.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "song/SongTuning.h"
#include "tuning/TuningFileReader.h"
#include "ui/OpenCommand.h"
#include "ui/SongCommand.h"
#include "ui/TuningReports.h"

namespace {

// shell32 is loaded when a file is first dropped, not imported, as for
// ShellExecute: it would slow every start.
struct DropFunctions {
    SystemLibrary library{"shell32.dll"};
    UINT(WINAPI* queryFile)(HDROP, UINT, LPSTR, UINT) = nullptr;
    void(WINAPI* finish)(HDROP) = nullptr;

    DropFunctions() {
        library.lookUp(queryFile, "DragQueryFileA");
        library.lookUp(finish, "DragFinish");
    }
};

bool isSongName(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = path.substr(dot);
    return lstrcmpiA(extension.c_str(), ".mid") == 0 || lstrcmpiA(extension.c_str(), ".midi") == 0 ||
           lstrcmpiA(extension.c_str(), ".rmi") == 0;
}

// A MIDI file without notes holds a tuning, as the program saves it; one
// with notes is a song to write the tuning into.
void openMidiFile(const std::string& path) {
    std::string bytes;
    if (!loadSong(path, bytes)) return;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    SongTuningOptions readOnly;
    readOnly.keepOldTuning = true;
    const SongTuningResult read = tuneSong(data, bytes.size(), nullptr, 0, readOnly);
    if (read.ok() && read.summary.hasNotes)
        runSongCommandWith(path, bytes);
    else if (read.ok())
        openTuningBytes(TuningFileKind::Mid, data + read.smfBegin, read.smfSize, path);
    else
        openTuningBytes(TuningFileKind::Mid, data, bytes.size(), path);  // the reader names what is wrong
}

}  // namespace

void openHandedFile(const std::string& path) {
    if (isSongName(path)) {
        openMidiFile(path);
    } else if (tuningFileKindFromName(path) != TuningFileKind::Unknown) {
        openTuningFileAt(path);
    } else {
        showReadError(mainWindow, loadResourceString(IDS_UNSUPPORTED_KIND) + "\n\n" + path);
    }
}

void openDroppedFile(HDROP drop) {
    static const DropFunctions* const functions = new DropFunctions;
    if (!functions->queryFile || !functions->finish) {
        reportSystemError(mainWindow, functions->library.loaded() ? ERROR_PROC_NOT_FOUND : functions->library.loadError());
        return;
    }
    char path[MAX_PATH] = "";
    const UINT length = functions->queryFile(drop, 0, path, MAX_PATH);
    // The drop is released before anything modal runs.
    functions->finish(drop);
    if (length != 0) openHandedFile(path);
}
