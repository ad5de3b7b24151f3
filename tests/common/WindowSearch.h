// Finding the windows of another process (Windows only).
#pragma once

#include <windows.h>

#include <vector>

// The visible top-level windows of `processId`: those owned by `owner`, or,
// with no owner, those of the window class `className` (any class when it is
// null), in Z order.
std::vector<HWND> visibleWindowsOf(DWORD processId, HWND owner, const wchar_t* className);
