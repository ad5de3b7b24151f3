// The main window: a modeless dialog from template 101.
#pragma once

#include <windows.h>

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
