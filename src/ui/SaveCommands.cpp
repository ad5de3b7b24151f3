#include "ui/SaveCommands.h"

#include <optional>
#include <string>
#include <utility>

#include "base/FileReplacement.h"
#include "output/SysexSmf.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/MessageBoxes.h"
#include "ui/FileDialog.h"
#include "ui/KeyboardLine.h"

namespace {

enum class SaveKind { MidiFile, Binary, Text };

struct SaveCommand {
    SaveKind kind;
    UINT title;
    UINT filter;
    const char* defaultExtension;
};

// The bytes of one save; the MIDI file image is built into `image`, a
// synthesizer's file named by `path` into `text`.
bool bytesToSave(SaveKind kind, const std::string& path, ByteBuffer& image, std::string& text, const void*& bytes,
                 std::size_t& count) {
    switch (kind) {
    case SaveKind::MidiFile:
        count = buildTuningSmf(sysexBuffer, sysexLength, sysexBuffer + sysexLength, channelMessageLength,
                               sysexEventDivision, sysexEventDelta, image);
        bytes = image.data();
        return count != 0;
    case SaveKind::Binary:  // the SysEx alone: a .syx holds no channel messages
        bytes = sysexBuffer;
        count = sysexLength;
        return true;
    case SaveKind::Text:
        if (std::optional<std::string> synth = keyboardFileText(path)) {
            text = std::move(*synth);
            bytes = text.data();
            count = text.size();
            return true;
        }
        bytes = sysexText.data();
        count = sysexText.size();
        return true;
    }
    return false;
}

void runSaveCommand(const SaveCommand& command) {
    // Greyed commands can still arrive where accelerators ignore the menu state.
    if (sysexText.empty()) return;

    // Centres the save-file dialog, its overwrite prompt and any error box.
    CenteringScope scope(GetCurrentThreadId());
    std::string path;
    // A keyboard tuning also goes as the files software synthesizers read.
    const UINT filter = command.kind == SaveKind::Text && holdsKeyboardFiles() ? IDS_FILTER_TEXT_KEYS : command.filter;
    if (!chooseFile(FileDialogKind::Save, mainWindow, command.title, filter, command.defaultExtension, path))
        return;

    ByteBuffer image;
    std::string text;
    const void* bytes = nullptr;
    std::size_t count = 0;
    if (!bytesToSave(command.kind, path, image, text, bytes, count)) {
        reportSystemError(mainWindow, ERROR_NOT_ENOUGH_MEMORY);
        return;
    }
    // Written beside the target and moved over it only when complete, so a
    // failure leaves the file the user chose to replace as it was.
    if (const SystemError error = writeFileReplacing(path, bytes, count))
        reportSystemError(mainWindow, error);
}

}  // namespace

void saveAsSmf() { runSaveCommand({SaveKind::MidiFile, IDS_TITLE_SAVE_SMF, IDS_FILTER_SMF, "mid"}); }
void saveAsBinary() { runSaveCommand({SaveKind::Binary, IDS_TITLE_SAVE_BINARY, IDS_FILTER_BINARY, "syx"}); }
void saveAsText() { runSaveCommand({SaveKind::Text, IDS_TITLE_SAVE_TEXT, IDS_FILTER_TEXT, "txt"}); }
