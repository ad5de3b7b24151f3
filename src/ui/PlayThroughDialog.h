// Tools → Play through: a modeless dialog that plays the musician's keyboard
// (a MIDI input) through the retuning engine to a synthesizer (a MIDI
// output) in the window's tuning, which every change of it reaches at once.
// Whatever ends playing (Stop, closing the dialog or the window, the
// session's end, a device that fails) ends every sounding note through the
// engine before the devices close.
#pragma once

#include <windows.h>

// The menu item and its accelerator: opens the dialog, or brings it forward.
void showPlayThroughDialog(HWND owner);

// The message loop's: true when `message` was the dialog's keyboard input.
bool isPlayThroughDialogMessage(MSG& message);

// tuningChanged's, and refreshSysexView's for a change of the format, the
// form or the parts: while playing, the engine takes currentTuning for the
// notes to come and, by tuning messages, the listing the window shows (only
// what changed reaches it, so both calling for one edit hand it over once).
void retunePlayThrough();

// The window goes or the Windows session ends: playing stops, and the
// dialog goes.
void endPlayThrough();
