#include "ui/SysexView.h"

#include <cstring>

#include "resource.h"
#include "shell/AppState.h"
#include "sysex/HexListing.h"
#include "ui/ExactMarks.h"
#include "ui/KeyboardLine.h"
#include "ui/ListingEdit.h"
#include "ui/MidiSendCommands.h"

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

void forgetExactTuning() {
    exactHundredths = {};
    coarseSemitones = 0;
    keyboardKeys.reset();
}

void followOffsetEdit(int pitchClass) { exactHundredths[pitchClass].reset(); }

void setOffsetEdits(const std::array<int32_t, 12>& offsets) {
    forgetExactTuning();
    for (int k = 0; k < 12; ++k)
        SetDlgItemInt(mainWindow, IDC_OFFSET_FIRST + k, static_cast<UINT>(offsets[k]), TRUE);
}

void refreshSysexView() {
    if (updatesEnabled == 0) return;

    const MtsOptions mts{static_cast<MtsForm>(mtsForm), 0, dumpPresetName};
    ExactOffsets exact = exactOffsets(scaleOffsets);
    for (int k = 0; k < 12; ++k)
        if (exactHundredths[k]) exact.hundredths[k] = *exactHundredths[k];
    exact.coarseSemitones = coarseSemitones;
    const auto selection = static_cast<uint32_t>(midiPartOrChannel);
    // A keyboard tuning goes in the key-based forms only; any other leaves
    // the listing empty, which the line beside it explains.
    const bool keyBased = midiFormat == static_cast<int32_t>(TuningFormat::GM2) && isKeyBasedForm(mts.form);
    const std::optional<TuningListing> listing =
        keyboardKeys ? keyBased ? buildKeyboardListing(mts, *keyboardKeys, selection) : std::nullopt
                     : buildTuningListingExact(static_cast<TuningFormat>(midiFormat), mts, exact, selection,
                                               scaleDataBytes);
    if (listing) {
        std::memcpy(sysexBuffer, listing->data(), listing->size());
        sysexLength = listing->sysexLength;
        channelMessageLength = listing->channelLength;
        sysexText = formatHexListing(*listing);
    } else {
        sysexText.clear();
    }
    showInListing(sysexText);
    showExactMarks();
    showKeyboardLine(keyBased);

    const bool enabled = !sysexText.empty();
    for (HWND button : saveButtons) EnableWindow(button, enabled);
    for (UINT command : {IDM_SAVE_SMF, IDM_SAVE_BINARY, IDM_SAVE_TEXT, IDM_APPLY_TO_SONG})
        EnableMenuItem(mainMenu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));

    EnableMenuItem(mainMenu, IDM_SEND_MIDI, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    sendListingLive();
}
