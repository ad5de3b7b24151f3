// Number text of the INI files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// As atoi in the "C" locale: skips white space (space, 09-0D), takes one
// optional sign, then decimal digits up to the first other byte. No digits
// give 0. Accumulates in 32 bits with wrap-around instead of overflowing.
int32_t parseIniInt(std::string_view text);

// "%d": "-" for negative values, no "+", no leading zeros.
std::string formatIniInt(int32_t value);

int32_t clampInt(int32_t value, int32_t lowest, int32_t highest);
