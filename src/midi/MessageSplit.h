// The grammar of a listing: the bytes the window lists, a .syx or .txt file
// holds and a device is sent. A listing is a run of whole messages, each
// with its own status byte (no running status: a device takes them one by
// one): SysEx from F0 to the next F7 with only data bytes between, and
// channel messages (80-EF) with their one or two data bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ListedMessage {
    std::size_t offset;
    std::size_t size;  // up to and including F7 for a whole SysEx
    bool complete;     // false for a message cut short (kept only when asked)

    bool isSysex(const uint8_t* listing) const { return listing[offset] == 0xF0; }
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
MessageExtent listedMessageExtent(const uint8_t* bytes, std::size_t size, std::size_t at);

template <class Visit>
void forEachListedMessage(const uint8_t* bytes, std::size_t size, CutMessages cut, Visit&& visit) {
    for (std::size_t at = 0; at < size;) {
        const MessageExtent extent = listedMessageExtent(bytes, size, at);
        if (extent.startsMessage && (extent.complete || cut == CutMessages::Keep))
            visit(ListedMessage{at, extent.end - at, extent.complete});
        at = extent.end;
    }
}
