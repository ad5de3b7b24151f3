#include "sysex/HexListing.h"

std::string formatHexListing(const uint8_t* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
        if (byte != 0xF7)
            text += ' ';
        else if (i + 1 < count)
            text += "\r\n";
    }
    return text;
}
