// Keeps the main window's listing and save commands in step with its inputs.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "shell/AppState.h"
#include "shell/UpdatesScope.h"
#include "sysex/SysexBuilder.h"

// Offset edit `id` of `dialog` as a signed integer; empty when its text is
// not a number.
std::optional<int32_t> readScaleOffset(HWND dialog, int id);
// All twelve offset edits of `dialog`, C first.
ScaleOffsets readScaleOffsets(HWND dialog);

// Rebuilds the messages from the current inputs (scaleOffsets, midiFormat,
// mtsForm, midiPartOrChannel), shows their hex text and enables the three
// save buttons and menu items exactly when there is text, and the send and
// song commands with them;
// then sends the tuning if live sending is on. The listing edit follows as
// ui/ListingEdit describes. Does nothing while updatesEnabled is 0.
void refreshSysexView();

// Runs `change` with refreshes held back, then rebuilds the listing once.
template <class Change>
void changeThenRefreshOnce(Change change) {
    {
        UpdatesScope heldBack(updatesEnabled);
        change();
    }
    refreshSysexView();
}

// Writes the twelve offsets, C..B, into the edits of the main window. Each
// edit asks for a refresh: callers wrap this in changeThenRefreshOnce.
// Forgets the exact values and the coarse tuning of the 音律 dialog.
void setOffsetEdits(const std::array<int32_t, 12>& offsets);
void forgetExactTuning();

// Follows a change of a note's edit: typing makes the note whole again.
// setOffsetEdits writes the edits before the dialog sets exact values.
void followOffsetEdit(int pitchClass);
