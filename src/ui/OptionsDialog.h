// The options dialog: the timing of the MIDI file output, the MIDI output
// device with the pause between the messages sent to it, and the gaps of the
// tuning written into a song.
#pragma once

#include <windows.h>

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
