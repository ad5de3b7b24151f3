// Bytes written as hex text in tests, and the dump shown on a failure. The
// dump is made here, not with the program's listing formatter under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// "F0 41 10" -> {F0, 41, 10}; "40*12" repeats a byte twelve times.
Bytes hexBytes(const std::string& text);
// The same bytes in a string, as files are read.
std::string hexString(const std::string& text);

// Each byte as two hex digits separated by spaces.
std::string dumpBytes(const uint8_t* bytes, std::size_t count);
inline std::string dumpBytes(const Bytes& bytes) { return dumpBytes(bytes.data(), bytes.size()); }
