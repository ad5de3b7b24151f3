// The texts of windows and controls, in UTF-8, through the wide calls: the
// ANSI ones would lose every character outside the system's code page.
#pragma once

#include <windows.h>

#include <string>

void setWindowText(HWND window, const std::string& text);
void setItemText(HWND dialog, int id, const std::string& text);
std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);

// Combo box entries: CB_ADDSTRING, CB_INSERTSTRING and CB_GETLBTEXT ("" for
// no such entry).
void addComboItem(HWND combo, const std::string& text);
void insertComboItem(HWND combo, int index, const std::string& text);
std::string comboItem(HWND combo, int index);
