// The preset controls of the main window: the list, pick, save and delete.
// Changes stay in memory until the window closes.
#pragma once

#include <windows.h>

// Adds every preset name, in file order, to the preset list.
void fillPresetList();
// Loads the picked preset into the twelve offset edits, then refreshes once.
void pickPreset(HWND dialog);
// Stores the current offsets under the typed name; asks before overwriting.
void savePreset();
// Deletes the picked preset after asking.
void deletePreset();
