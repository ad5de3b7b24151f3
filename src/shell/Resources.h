// The interface's language, the resources in it, and the files that lie
// beside the executable. Texts are UTF-8 here; the wide calls take them.
#pragma once

#include <windows.h>

#include <string>

// Picks the language of every resource loaded after it, once, at start:
// `setting` is the Language key ("ja", "en", or empty for Windows' display
// language, where anything but Japanese is English).
void chooseUiLanguage(const std::string& setting);
bool englishInterface();

// Replaces `text` with string-table entry `id` in the interface's language
// (of the program's own resources: another `instance` has none); a missing
// or empty entry gives "" and false.
bool loadResourceString(std::string& text, UINT id, HINSTANCE instance);
// The same from appInstance, for callers that only want the text.
std::string loadResourceString(UINT id);

// The same into a buffer of `size` units, cut to fit; allocates nothing.
void loadWideResourceString(UINT id, wchar_t* buffer, int size) noexcept;

// The interface language's copy of a resource, else any copy; null when
// there is none. `type` is one of the RT_ numbers; `size` gets its length in
// bytes.
const void* findUiResource(LPCSTR type, UINT id, DWORD* size = nullptr) noexcept;
// Dialogs and menus from the templates in the interface's language.
INT_PTR showDialog(UINT id, HWND owner, DLGPROC procedure, LPARAM parameter = 0);
HWND createDialog(UINT id, HWND owner, DLGPROC procedure, LPARAM parameter = 0);
HMENU loadUiMenu(UINT id);

// Full paths of the files in the executable's folder, or "" when the path
// does not fit MAX_PATH (loading then finds nothing and saving writes nothing).
std::string executablePath();
std::string settingsFilePath();
std::string presetFilePath();
// The manual in the interface's language.
std::string helpFilePath();
