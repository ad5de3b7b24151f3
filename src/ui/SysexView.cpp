#include "ui/SysexView.h"

#include <cstring>

#include "resource.h"
#include "shell/AppState.h"
#include "sysex/HexListing.h"
#include "tuning/TuningOutputs.h"
#include "ui/ExactMarks.h"
#include "ui/KeyboardLine.h"
#include "ui/ListingEdit.h"
#include "ui/MidiSendCommands.h"
#include "ui/PlayThroughDialog.h"

std::optional<int32_t> readScaleOffset(HWND dialog, int id) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    return translated ? std::optional<int32_t>(value) : std::nullopt;
}

ScaleOffsets readScaleOffsets(HWND dialog) {
    ScaleOffsets offsets;
    for (int k = 0; k < 12; ++k) offsets[k] = readScaleOffset(dialog, IDC_OFFSET_FIRST + k);
    return offsets;
}

void refreshSysexView() {
    if (updatesEnabled == 0) return;

    const auto format = static_cast<TuningFormat>(midiFormat);
    const MtsOptions mts{static_cast<MtsForm>(mtsForm), 0, dumpPresetName};
    // A keyboard tuning goes in the key-based forms only; any other leaves
    // the listing empty, which the line beside it explains.
    const bool carried = formCarries(currentTuning, format, mts.form);
    const std::optional<TuningListing> listing =
        tuningListing(currentTuning, format, mts, static_cast<uint32_t>(midiPartOrChannel));
    if (listing) {
        std::memcpy(sysexBuffer, listing->data(), listing->size());
        sysexLength = listing->sysexLength;
        channelMessageLength = listing->channelLength;
        sysexText = formatHexListing(*listing);
    } else {
        // Nothing to send: the commands that an accelerator still reaches
        // must not find the previous listing's bytes.
        sysexLength = 0;
        channelMessageLength = 0;
        sysexText.clear();
    }
    showInListing(sysexText);
    showExactMarks();
    showKeyboardLine(carried);

    const bool enabled = !sysexText.empty();
    for (HWND button : saveButtons) EnableWindow(button, enabled);
    for (UINT command : {IDM_SAVE_SMF, IDM_SAVE_BINARY, IDM_SAVE_TEXT, IDM_APPLY_TO_SONG})
        EnableMenuItem(mainMenu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));

    EnableMenuItem(mainMenu, IDM_SEND_MIDI, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    sendListingLive();
    retunePlayThrough();
}
