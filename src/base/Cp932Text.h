// Text in code page 932, Shift_JIS as Windows extends it. Preset.ini,
// Velmarin.ini and the saved .txt are byte text in this code page on every
// system, so a file written under any code page is byte for byte what a
// Japanese Windows writes; the program itself works in UTF-8.
#pragma once

#include <string>
#include <string_view>

// Replaces `cp932` with the code page 932 bytes of `utf8`. False, with
// `cp932` untouched, when a character has no code of its own in 932: one
// that would only come back as another character (U+301C, which Windows
// writes as the code of U+FF5E) counts as one 932 cannot hold.
bool cp932FromUtf8(std::string_view utf8, std::string& cp932);

// The UTF-8 text of code page 932 bytes, in the code page's own mapping
// (81 60 is U+FF5E, 81 5D is U+2010). A byte that begins no character of
// 932 becomes U+FFFD.
std::string utf8FromCp932(std::string_view cp932);
