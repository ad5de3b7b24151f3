// The options dialog: the timing of the MIDI file output.
#pragma once

#include <windows.h>

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
