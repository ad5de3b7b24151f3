// Every conversation with the user outside the dialogs: centred message
// boxes, the one error channel, and handing targets to the shell.
#pragma once

#include <windows.h>

#include <string>

// MessageBoxA centred over `owner`; returns its result unchanged.
int centeredMessageBox(HWND owner, const char* text, const char* caption, UINT style);

// The system's text for a Win32 error code (line break at its end kept), or
// the "unexpected error" string when the system has none. False, with `text`
// untouched, for code 0.
bool getSystemErrorText(DWORD code, std::string& text);

// The error box: the system's text under the caption "エラー". Code 0 shows
// nothing.
void reportSystemError(HWND owner, DWORD code);

// The error box with the unexpected-error text, for a C++ exception caught
// at the Win32 boundary. Allocates nothing and never throws; while one such
// box is open, further failures are not shown again.
void reportUnexpectedError(HWND owner) noexcept;

// Opens a document or address with its default program; a failure is
// reported with the thread's last error.
void shellOpen(const char* target, HWND owner);
