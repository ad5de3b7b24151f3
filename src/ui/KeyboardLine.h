// The main window while it holds a keyboard tuning: the twelve edits greyed
// and, between the part boxes and the listing, a line naming the scale and
// the map (and saying so when the chosen format cannot send it).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tuning/KeyboardTuning.h"
#include "tuning/TuningExport.h"

// What the 音律 dialog laid on the keys, for the files software synthesizers
// read; it stands for the main window's tuning only while keyboardKeys is set.
struct HeldKeyboard {
    ScaleOnKeys onKeys;
    KeyboardTuning tuning;
    std::string description;
};
extern std::optional<HeldKeyboard> heldKeyboard;
// The held tuning as a .scl, .kbm or .tun file named `path`; nothing for any
// other name or while no keyboard tuning is held.
std::optional<std::string> synthFileText(const std::string& path);

// Once, from the main dialog's WM_INITDIALOG: the hidden line, in the
// dialog's font.
void createKeyboardLine(HWND dialog);
// Follows keyboardKeys: greys or enables the edits and their up-downs, shows
// or hides the line. `carried`: the chosen format and form send the tuning.
void showKeyboardLine(bool carried);
