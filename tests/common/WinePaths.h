// Paths handed over by the Linux build to a Windows program under Wine.
#pragma once

#include <string>

// UTF-8 <-> UTF-16 for the wide Win32 calls (Windows only).
std::wstring widen(const std::string& utf8Text);
std::string utf8(const std::wstring& text);

// True inside Wine, whose ntdll exports wine_get_version.
bool runningOnWine();

// A path as the build gives it, a Unix path under Wine, as a Windows path:
// Wine maps the Unix root to drive Z:. Any other path is kept as it is.
std::string windowsPath(const std::string& path);
