// Keeps the main window's listing and save commands in step with its inputs.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "shell/AppState.h"
#include "sysex/SysexBuilder.h"

// Offset edit `id` of `dialog` as a signed integer; empty when its text is
// not a number.
std::optional<int32_t> readScaleOffset(HWND dialog, int id);
// All twelve offset edits of `dialog`, C first.
ScaleOffsets readScaleOffsets(HWND dialog);

// Rebuilds the messages from the current inputs (currentTuning, midiFormat,
// mtsForm, midiPartOrChannel), shows their hex text and enables the three
// save buttons and menu items exactly when there is text, and the send and
// song commands with them;
// then sends the tuning if live sending is on, and hands it to a play-through
// that plays by tuning messages. The listing edit follows as
// ui/ListingEdit describes. Does nothing while updatesEnabled is 0. A change
// of the tuning comes here through tuningChanged (ui/TuningChanges.h).
void refreshSysexView();
