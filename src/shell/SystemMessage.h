// The system's text for a Win32 error code.
#pragma once

#include <windows.h>

#include <string>

// The message table text of `code` (line break at its end kept) in the
// system's default language, else in any language the system has it in.
// Inserts such as "%1" are left as they are. False, with `text` untouched,
// when the system has no text for it.
bool systemMessageText(DWORD code, std::string& text);
