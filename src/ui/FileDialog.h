// The system's common file dialogs as the program uses them: title and filter
// from the string table; no suggested name and no initial folder, but where
// a command proposes a file.
#pragma once

#include <windows.h>

#include <string>

// The string-table filter with every line feed turned into NUL, so it ends in
// the two NULs the file dialogs need. False, `filter` untouched, when the
// string is missing or empty.
bool buildFileFilter(UINT stringId, std::wstring& filter);

enum class FileDialogKind { Open, Save };

// Shows the open-file dialog (an existing file) or the save-file dialog (with
// the overwrite question; `defaultExtension` completes a name typed without
// one). Paths are UTF-8. True, with `path` set, when the user chose a file. Cancel is false
// and silent; a dialog that failed is false and reported with its code. The
// caller holds the CenteringScope, so that it can also cover what follows.
// `proposedPath`, when given, opens the dialog in its folder with its name.
bool chooseFile(FileDialogKind kind, HWND owner, UINT title, UINT filter,
                const char* defaultExtension, std::string& path,
                const std::string& proposedPath = std::string());

// The open-file dialog centred over `owner`, as the open commands use it.
bool chooseFileToOpen(HWND owner, UINT title, UINT filter, std::string& path);
