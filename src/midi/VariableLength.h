// The numbers of a MIDI file: variable-length quantities (delta times and
// event lengths) and the fixed-size integers of the chunk headers, written
// big-endian in a Standard MIDI File and little-endian in its RIFF wrapper.
#pragma once

#include <cstddef>
#include <cstdint>

// Seven bits a byte, most significant group first, bit 7 set on every byte
// but the last; at most four bytes, so values up to 0FFFFFFF.
constexpr uint32_t kLargestVariableLength = 0x0FFFFFFF;
constexpr std::size_t kMaxVariableLengthBytes = 4;

// Bytes of the variable-length quantity of `value` (at most
// kLargestVariableLength): 1 to 4. Inline: the writers call it for every event.
inline uint32_t vlqLength(uint32_t value) {
    return value < 0x80 ? 1 : value < 0x4000 ? 2 : value < 0x200000 ? 3 : 4;
}

// Writes the quantity of `value` (at most kLargestVariableLength) at `out`,
// which has room for vlqLength(value) bytes; returns that count.
inline uint32_t encodeVariableLength(uint32_t value, uint8_t* out) {
    const uint32_t length = vlqLength(value);
    for (uint32_t i = 0, shift = 7 * (length - 1); i < length; ++i, shift -= 7)
        out[i] = static_cast<uint8_t>((shift != 0 ? 0x80 : 0) | ((value >> shift) & 0x7F));
    return length;
}

enum class VariableLengthStatus { Read, CutShort, TooLong };

struct VariableLengthRead {
    VariableLengthStatus status = VariableLengthStatus::CutShort;
    uint32_t value = 0;
    std::size_t length = 0;  // bytes taken, when read
};

// Reads the quantity that begins at `at`, not past `end`. A form longer than
// it need be (80 00) reads as its value. CutShort when `end` comes before its
// last byte; TooLong when a fourth byte still has bit 7 set. Inline: the
// reader calls it for every event of a song.
inline VariableLengthRead decodeVariableLength(const uint8_t* at, const uint8_t* end) {
    VariableLengthRead read;
    for (std::size_t i = 0; i < kMaxVariableLengthBytes; ++i) {
        if (at + i >= end) return read;
        read.value = read.value << 7 | (at[i] & 0x7F);
        if (!(at[i] & 0x80)) {
            read.status = VariableLengthStatus::Read;
            read.length = i + 1;
            return read;
        }
    }
    read.status = VariableLengthStatus::TooLong;
    return read;
}

inline uint16_t readBigEndian16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }
inline uint32_t readBigEndian32(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}
inline uint32_t readLittleEndian32(const uint8_t* at) {
    return uint32_t{at[3]} << 24 | uint32_t{at[2]} << 16 | uint32_t{at[1]} << 8 | at[0];
}
inline void writeBigEndian16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}
inline void writeBigEndian32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}
inline void writeLittleEndian32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
