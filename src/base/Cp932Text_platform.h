// The platform's code page 932 converters behind Cp932Text
// (Cp932Text_win.cpp: the system's code page tables; Cp932Text_posix.cpp:
// iconv's CP932).
#pragma once

#include <string>
#include <string_view>

// False when some character has no code, not even a look-alike's.
bool encodeCp932(std::string_view utf8, std::string& cp932);
std::string decodeCp932(std::string_view cp932);
