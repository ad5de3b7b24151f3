// What a device holds after the messages sent to it: the last message sent
// to each parameter address. Live sending sends only the messages of a new
// listing that differ from it. Pure code, no device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One message of a SysEx list: bytes [offset, offset + size) of the list.
struct SysexSpan {
    uint32_t offset = 0;
    uint32_t size = 0;
};

// The messages of `list`, in order: each runs from an F0 to the next F7.
// Bytes outside messages and an unterminated tail are not messages.
std::vector<SysexSpan> splitSysexList(const uint8_t* list, std::size_t length);

// How many leading bytes of `message` name the parameter it sets, so that
// two messages with equal leading bytes replace each other in the device:
// GS (Roland) header and address up to the scale's first byte, 8 bytes;
// XG (Yamaha) header, part and scale-step address, 7 bytes; GM2 (universal
// non-real-time scale/octave tuning) header and channel map, 8 bytes. Any
// other message is its own address (the whole message).
std::size_t sysexAddressLength(const uint8_t* message, std::size_t size);

class SysexDeviceState {
public:
    // The messages of `list` whose bytes differ from the last message sent
    // to their address (or whose address was never sent), in list order.
    std::vector<SysexSpan> changedMessages(const uint8_t* list, std::size_t length) const;
    // The device finished `message`: it now holds it at its address.
    void recordSent(const uint8_t* message, std::size_t size);
    // Nothing is known about what the device holds.
    void clear() { held_.clear(); }
    bool empty() const { return held_.empty(); }

private:
    // Address bytes -> the whole message last sent there. The dialects'
    // addresses (7 or 8 bytes) fit the string's own buffer, so a look-up
    // allocates nothing.
    std::unordered_map<std::string, std::string> held_;
};
