// The main window: a modeless dialog from template 101.
#pragma once

#include <windows.h>

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes Preset.ini, then the six [AppSetting] keys into Velmarin.ini.
void saveSettings();
