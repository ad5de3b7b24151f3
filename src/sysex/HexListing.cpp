#include "sysex/HexListing.h"

#include "midi/StatusBytes.h"

namespace {

const char kDigits[] = "0123456789ABCDEF";

void appendByte(std::string& text, uint8_t byte) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
}

}  // namespace

std::string formatHexListing(const uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        appendByte(text, byte);
        if (byte != kSysexEnd)
            text += ' ';
        else if (i + 1 < count)
            text += "\r\n";
    }
    return text;
}

std::string formatHexListing(const uint8_t* sysex, std::size_t sysexCount,
                             const uint8_t* channelMessages, std::size_t channelCount) {
    std::string text = formatHexListing(sysex, sysexCount);
    text.reserve(text.size() + channelCount * 3 + 32);
    int lineChannel = -1;
    for (std::size_t i = 0; i < channelCount; ++i) {
        const uint8_t byte = channelMessages[i];
        const bool newLine = isChannelStatus(byte) && (byte & 0x0F) != lineChannel;
        if (newLine) {
            lineChannel = byte & 0x0F;
            if (!text.empty()) text += "\r\n";
        } else {
            text += ' ';
        }
        appendByte(text, byte);
    }
    return text;
}
