#include "midi/MessageSplit.h"

#include <cstring>

#include "midi/StatusBytes.h"

namespace {

// The first byte at or after `from` with bit 7 set, or `size`. Eight bytes
// at a time: the listing's writers run on every keystroke, and an XG list of
// all parts is 1728 bytes.
std::size_t nextStatusByte(const uint8_t* bytes, std::size_t from, std::size_t size) {
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    std::size_t at = from;
    for (; size - at >= 8; at += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        if (word & kHighBits) break;
    }
    while (at < size && isDataByte(bytes[at])) ++at;
    return at;
}

}  // namespace

MessageExtent listedMessageExtent(const uint8_t* bytes, std::size_t size, std::size_t at) {
    const uint8_t status = bytes[at];
    std::size_t end = at + 1;
    if (status == kSysexStart) {
        end = nextStatusByte(bytes, end, size);
        const bool complete = end < size && bytes[end] == kSysexEnd;
        return {complete ? end + 1 : end, complete, true};
    }
    if (isChannelStatus(status)) {
        const std::size_t last = at + channelDataBytes(status);
        while (end <= last && end < size && isDataByte(bytes[end])) ++end;
        return {end, end == last + 1, true};
    }
    return {end, false, false};
}

std::vector<ListedMessage> splitListing(const uint8_t* bytes, std::size_t size, CutMessages cut) {
    std::vector<ListedMessage> messages;
    forEachListedMessage(bytes, size, cut, [&](const ListedMessage& message) { messages.push_back(message); });
    return messages;
}
