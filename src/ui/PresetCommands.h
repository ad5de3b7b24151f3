// The preset controls of the main window: the list, pick, save and delete.
// Changes stay in memory until the window closes.
#pragma once

#include <windows.h>

// Adds every preset name, in file order, to the preset list.
void fillPresetList();
// Makes the picked preset the window's tuning (its offsets in the twelve
// edits), with one refresh, and the name a bulk dump carries.
void pickPreset();
// Stores the current offsets under the typed name; asks before overwriting.
void savePreset();
// Deletes the picked preset after asking.
void deletePreset();
