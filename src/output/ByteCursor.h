// Bytes written one after another into storage sized beforehand, and the
// length of a variable-length quantity: what the MIDI file writers share.
#pragma once

#include <cstdint>
#include <cstring>

// Bytes of the variable-length quantity of `value` (values up to 28 bits):
// 1 to 4. Inline: the writers call it for every event.
inline uint32_t vlqLength(uint32_t value) {
    return value < 0x80 ? 1 : value < 0x4000 ? 2 : value < 0x200000 ? 3 : 4;
}

class ByteCursor {
public:
    explicit ByteCursor(uint8_t* at) : at_(at) {}
    void bytes(const void* data, uint32_t count) {
        std::memcpy(at_, data, count);
        at_ += count;
    }
    void byte(uint8_t value) { *at_++ = value; }
    void be16(uint16_t value) {
        byte(static_cast<uint8_t>(value >> 8));
        byte(static_cast<uint8_t>(value));
    }
    void be32(uint32_t value) {
        be16(static_cast<uint16_t>(value >> 16));
        be16(static_cast<uint16_t>(value));
    }
    void vlq(uint32_t value) {
        for (uint32_t shift = 7 * (vlqLength(value) - 1); shift > 0; shift -= 7)
            byte(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
        byte(static_cast<uint8_t>(value & 0x7F));
    }

private:
    uint8_t* at_;
};
