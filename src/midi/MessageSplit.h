// The grammar of a listing: the bytes the window lists, a .syx or .txt file
// holds and a device is sent. A listing is a run of whole messages, each
// with its own status byte (no running status: a device takes them one by
// one): SysEx from F0 to the next F7 with only data bytes between, and
// channel messages (80-EF) with their one or two data bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "midi/StatusBytes.h"

struct ListedMessage {
    std::size_t offset;
    std::size_t size;  // up to and including F7 for a whole SysEx
    bool complete;     // false for a message cut short (kept only when asked)

    bool isSysex(const uint8_t* listing) const { return listing[offset] == kSysexStart; }
};

enum class CutMessages {
    Drop,  // what is sent or written needs whole messages only
    Keep,  // a reader reports a cut tuning message instead of passing over it
};

// Cuts `bytes` into its messages, in order. A SysEx that another status byte
// or the end interrupts, and a channel message short of its data, are cut
// short: left out, or kept as far as they go with `complete` false. Bytes
// that start no message (stray data bytes, F1-FF outside a SysEx) are passed
// over.
std::vector<ListedMessage> splitListing(const uint8_t* bytes, std::size_t size, CutMessages cut);

// The same without a list: `visit(const ListedMessage&)` for each message,
// for the writers that run on every keystroke.
template <class Visit>
void forEachListedMessage(const uint8_t* bytes, std::size_t size, CutMessages cut, Visit&& visit);

// How far the message that begins at `at` goes: its end, and whether it is
// whole. Not a message start: end at + 1, not complete.
struct MessageExtent {
    std::size_t end;
    bool complete;
    bool startsMessage;
};
inline MessageExtent listedMessageExtent(const uint8_t* bytes, std::size_t size, std::size_t at);

// One whole message as a device sends it, alone: a SysEx from F0 to its F7
// with only data bytes between, or a status byte (a channel or system
// message, F7 aside) followed by exactly the data bytes it has.
inline bool isWholeMessage(const uint8_t* message, std::size_t size);

// The first byte at or after `from` with bit 7 set, or `size`; eight bytes
// at a time, so that a long SysEx costs little and no input costs more than
// one pass.
inline std::size_t nextStatusByte(const uint8_t* bytes, std::size_t from, std::size_t size) {
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    std::size_t at = from;
    for (; size - at >= 8; at += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        if (const uint64_t high = word & kHighBits) {
#if (defined(__GNUC__) || defined(__clang__)) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            return at + static_cast<std::size_t>(__builtin_ctzll(high)) / 8;
#else
            break;
#endif
        }
    }
    while (at < size && isDataByte(bytes[at])) ++at;
    return at;
}

// Inline: the listing's writers and readers run on every keystroke and every
// save, and an XG list of all parts is 192 messages.
inline MessageExtent listedMessageExtent(const uint8_t* bytes, std::size_t size, std::size_t at) {
    const uint8_t status = bytes[at];
    if (status == kSysexStart) {
        const std::size_t end = nextStatusByte(bytes, at + 1, size);
        const bool complete = end < size && bytes[end] == kSysexEnd;
        return {complete ? end + 1 : end, complete, true};
    }
    if (isChannelStatus(status)) {
        const std::size_t last = at + channelDataBytes(status);
        std::size_t end = at + 1;
        while (end <= last && end < size && isDataByte(bytes[end])) ++end;
        return {end, end == last + 1, true};
    }
    return {at + 1, false, false};
}

inline bool isWholeMessage(const uint8_t* message, std::size_t size) {
    if (size == 0) return false;
    const uint8_t status = message[0];
    if (status == kSysexStart) return nextStatusByte(message, 1, size) == size - 1 && message[size - 1] == kSysexEnd;
    if (isDataByte(status) || status == kSysexEnd || size != shortMessageSize(status)) return false;
    for (std::size_t i = 1; i < size; ++i)
        if (!isDataByte(message[i])) return false;
    return true;
}

template <class Visit>
void forEachListedMessage(const uint8_t* bytes, std::size_t size, CutMessages cut, Visit&& visit) {
    for (std::size_t at = 0; at < size;) {
        const MessageExtent extent = listedMessageExtent(bytes, size, at);
        if (extent.startsMessage && (extent.complete || cut == CutMessages::Keep))
            visit(ListedMessage{at, extent.end - at, extent.complete});
        at = extent.end;
    }
}
