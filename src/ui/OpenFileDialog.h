// The system's open-file dialog, as the open commands use it.
#pragma once

#include <windows.h>

#include <string>

// Asks for an existing file with the string-table title and filter, centred
// over `owner` like every other box. False when the user cancels.
bool chooseFileToOpen(HWND owner, UINT title, UINT filter, std::string& path);
