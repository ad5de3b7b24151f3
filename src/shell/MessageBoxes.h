// Every conversation with the user outside the dialogs: centred message
// boxes, the one error channel, and handing targets to the shell.
#pragma once

#include <windows.h>

#include <string>

// The message box (UTF-8 texts) centred over `owner`; returns its result
// unchanged.
int centeredMessageBox(HWND owner, const char* text, const char* caption, UINT style);

// The system's text for a Win32 error code (base/SystemErrorText.h), or the
// "unexpected error" string when the system has none. False, with `text`
// untouched, for code 0.
bool getSystemErrorText(DWORD code, std::string& text);

// The error box: the system's text under the caption "エラー". Code 0 shows
// nothing.
void reportSystemError(HWND owner, DWORD code);

// The error box for a failure that has no system text: the unexpected-error
// text with the code on a second line, as "(0x3002)".
void reportErrorCode(HWND owner, DWORD code);

// The error box with the unexpected-error text, for a C++ exception caught
// at the Win32 boundary. Allocates nothing and never throws; while one such
// box is open, further failures are not shown again.
void reportUnexpectedError(HWND owner) noexcept;

// Opens a document or address (UTF-8) with its default program (or runs a program
// with `parameters`); a failure is reported with the thread's last error, or
// with the error the result stands for when the call set none.
void shellOpen(const char* target, HWND owner, const char* parameters = nullptr);
