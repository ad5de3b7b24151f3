// Files handed to the window the Windows way: dropped on it, or named on the
// command line ("Open with", file associations). Each does what its kind
// asks: a Scala scale opens the temperament dialog with it; a .syx, .txt,
// or a MIDI file without notes, is opened as File -> Open opens it; a song
// (a .mid, .midi or .rmi with notes) starts the song command with it.
#pragma once

#include <windows.h>

#include <string>

void openHandedFile(const std::string& path);

// WM_DROPFILES: the first file dropped, as openHandedFile takes it.
void openDroppedFile(HDROP drop);
