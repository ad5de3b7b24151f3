#include "ui/OpenCommand.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "base/PathText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "tuning/OpenedFiles.h"
#include "tuning/ResolveTuning.h"
#include "tuning/TuningFileReader.h"
#include "ui/FileDialog.h"
#include "ui/TemperamentDialog.h"
#include "ui/TuningChanges.h"
#include "ui/TuningReports.h"

namespace {

constexpr uint32_t kPartBits = 0xFFFF;

// Sets the format and the parts read as the user would: the format through
// the notification a choice in the list sends, so the part label follows;
// for GM2, the form too. Bits 16..31 of midiPartOrChannel are not parts and
// stay as they are; a key-based file that names no channel (a .syx) leaves
// the ticks alone.
void applyFormatAndParts(const TuningReadResult& result) {
    if (result.format == TuningFormat::GM2) mtsForm = static_cast<int32_t>(result.mtsForm);
    HWND formatCombo = GetDlgItem(mainWindow, IDC_FORMAT_COMBO);
    SendMessageA(formatCombo, CB_SETCURSEL, static_cast<WPARAM>(result.format), 0);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_FORMAT_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(formatCombo));

    if (result.parts != 0) {
        midiPartOrChannel =
            static_cast<int32_t>((static_cast<uint32_t>(midiPartOrChannel) & ~kPartBits) | result.parts);
        for (int n = 0; n < 16; ++n)
            SendMessageA(partCheckBoxes[n], BM_SETCHECK, (result.parts >> n) & 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

}  // namespace

void openTuningFile() {
    std::string path;
    if (chooseFileToOpen(mainWindow, IDS_TITLE_OPEN, IDS_FILTER_OPEN, path)) openTuningFileAt(path);
}

void openTuningFileAt(const std::string& path) {
    if (tuningFileKindFromName(path) == TuningFileKind::Scl) {
        openScalaFile(mainWindow, path);
        return;
    }
    const OpenedTuningFile opened = openTuningFile(platformFileSystem(), path);
    if (!opened.load.ok())
        showReadError(mainWindow, loadErrorText(opened.load.error, path));
    else
        showTuningRead(opened.read, path);
}

void openTuningBytes(TuningFileKind kind, const uint8_t* bytes, std::size_t size, const std::string& path) {
    showTuningRead(readTuningFile(kind, bytes, size), path);
}

void showTuningRead(const TuningReadResult& result, const std::string& path) {
    if (!result.ok()) {
        showReadError(mainWindow, tuningErrorText(result, path));
        return;
    }
    // Keys no twelve offsets hold are held as a keyboard tuning, so saving
    // again gives the file's messages; the offsets' warnings are beside the point.
    Tuning read = tuningOfFile(result, fileNameOf(path));
    TuningReadResult shown = result;
    if (read.onKeys())
        shown.warnings.erase(std::remove_if(shown.warnings.begin(), shown.warnings.end(),
                                            [](const TuningReadWarning& w) { return aboutTwelveOffsets(w.kind); }),
                             shown.warnings.end());
    changeTuningOnce([&] {
        applyFormatAndParts(result);
        setTuning(std::move(read));
    });
    const std::string warnings = tuningWarningsText(shown, path);
    if (!warnings.empty()) showReadWarning(mainWindow, warnings);
}
