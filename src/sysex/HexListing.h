// The hex text of a SysEx list, as shown in the listing and saved as .txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Every byte as "%02X"; a space after each byte but F7; CR LF after every F7
// except the last byte of the list. No trailing space, no final line end.
std::string formatHexListing(const uint8_t* bytes, std::size_t count);
