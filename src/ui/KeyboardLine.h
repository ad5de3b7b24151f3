// The main window while it holds a keyboard tuning: the twelve edits greyed
// and, between the part boxes and the listing, a line naming the scale and
// the map (and saying so when the chosen format cannot send it).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Whether the window's tuning is a keyboard tuning a scale laid on the keys,
// which also goes as the files software synthesizers read.
bool holdsKeyboardFiles();
// That tuning as a .scl, .kbm or .tun file named `path`; nothing for any
// other name, or while holdsKeyboardFiles is false.
std::optional<std::string> keyboardFileText(const std::string& path);

// Once, from the main dialog's WM_INITDIALOG: the hidden line, in the
// dialog's font.
void createKeyboardLine(HWND dialog);
// Follows currentTuning: greys or enables the edits and their up-downs,
// shows or hides the line. `carried`: the chosen format and form send the
// tuning.
void showKeyboardLine(bool carried);
