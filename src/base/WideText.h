// UTF-8, the program's text, to and from the UTF-16 of the wide Win32 calls
// (Windows only). Invalid UTF-8 becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);
