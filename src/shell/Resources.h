// String-table access and the files that lie beside the executable.
#pragma once

#include <windows.h>

#include <string>

// Replaces `text` with string-table entry `id`; a missing or empty entry gives
// "" and false. Strings come back in the ANSI code page.
bool loadResourceString(std::string& text, UINT id, HINSTANCE instance);
// The same from appInstance, for callers that only want the text.
std::string loadResourceString(UINT id);

// Full paths of the files in the executable's folder, or "" when the path
// does not fit MAX_PATH (loading then finds nothing and saving writes nothing).
std::string settingsFilePath();
std::string presetFilePath();
std::string helpFilePath();
