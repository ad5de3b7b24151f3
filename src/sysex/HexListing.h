// The hex text of a SysEx list, as shown in the listing and saved as .txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sysex/MtsForms.h"

// Every byte as "%02X"; a space after each byte but F7; CR LF after every F7
// except the last byte of the list. No trailing space, no final line end.
std::string formatHexListing(const uint8_t* bytes, std::size_t count);

// The listing of a SysEx list followed by the channel messages that go with
// it: the SysEx as above, then one line per MIDI channel holding that
// channel's messages, bytes separated by single spaces; CR LF between lines.
// Without channel messages, exactly the listing above.
std::string formatHexListing(const uint8_t* sysex, std::size_t sysexCount,
                             const uint8_t* channelMessages, std::size_t channelCount);
inline std::string formatHexListing(const TuningListing& listing) {
    return formatHexListing(listing.data(), listing.sysexLength, listing.channelMessages(), listing.channelLength);
}
