// What a System Exclusive message is and what it sets: the resets that wipe
// a synthesizer's tuning, the scale-tuning messages of GS, XG and the MIDI
// Tuning Standard, and the other parameter writes of GS and XG. One
// recogniser for the song code, the tuning files read back and the model of
// what a receiver holds, so that they agree on every message.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The sizes of the tuning forms, F0 to F7.
constexpr std::size_t kGsScaleTuningSize = 22;         // F0 41 dd 42 12 40 1x 40, twelve bytes, sum, F7
constexpr std::size_t kXgScaleTuningSize = 9;          // F0 43 1n 4C 08 pp 41..4C vv F7
constexpr std::size_t kMtsScaleOctave1ByteSize = 21;   // F0 7E|7F dd 08 08 ff gg hh, twelve bytes, F7
constexpr std::size_t kMtsScaleOctave2ByteSize = 33;   // ... 08 09 ff gg hh, twelve pairs, F7
constexpr std::size_t kMtsBulkDumpSize = 408;          // F0 7E dd 08 01 tt, name, 128 keys, sum, F7
constexpr std::size_t kMtsBulkDumpNameSize = 16;
constexpr std::size_t kMtsKeyCount = 128;
// F0 7F dd 08 02 tt ll, then ll times a key and its three bytes, F7.
constexpr std::size_t mtsSingleNoteSize(std::size_t keys) { return 8 + 4 * keys; }

enum class SysexKind {
    Other,
    // Resets, each matched whole; any device ID.
    GsReset,              // F0 41 dd 42 12 40 00 7F 00 41 F7
    GsSystemMode,         // F0 41 dd 42 12 00 00 7F 0m cs F7
    XgSystemOn,           // F0 43 1n 4C 00 00 7E 00 F7
    XgAllParameterReset,  // F0 43 1n 4C 00 00 7F 00 F7
    GmSystemOn,           // F0 7E dd 09 01 F7
    GmSystemOff,          // F0 7E dd 09 02 F7
    Gm2SystemOn,          // F0 7E dd 09 03 F7
    // Scale tuning, told apart by the bytes that name it, whatever the size.
    GsScaleTuning,        // GS data set (DT1) to 40 1x 40..4B: pitch classes of a part
    XgScaleTuning,        // XG parameter change to 08 pp 41..4C: one pitch class of a part
    MtsScaleOctave1Byte,  // MTS F0 7E|7F dd 08 08: channels in a map, a byte a pitch class
    MtsScaleOctave2Byte,  // ... 08 09: 14 bits a pitch class
    MtsSingleNote,        // ... 08 02: keys of a tuning program
    MtsSingleNoteBank,    // ... 08 07: keys of a tuning program in a bank
    MtsBulkDump,          // ... 08 01: the 128 keys of a tuning program, named
    MtsOtherDump,         // ... 08 04 (with bank), 08 05 and 08 06 (scale/octave dumps)
    // Other parameter writes of the two dialects.
    GsDataSet,            // F0 41 dd 42 12 aa aa aa data.. sum F7
    XgParameterChange,    // F0 43 1n 4C aa aa aa data.. F7
};

constexpr bool isReset(SysexKind kind) { return kind >= SysexKind::GsReset && kind <= SysexKind::Gm2SystemOn; }
constexpr bool isScaleTuning(SysexKind kind) {
    return kind >= SysexKind::GsScaleTuning && kind <= SysexKind::MtsOtherDump;
}

struct SysexFacts {
    SysexKind kind = SysexKind::Other;
    // The message ends with F7. A scale-tuning kind is known by its first
    // bytes even when it does not; a reset only when it does.
    bool terminated = false;
    // The size its form has: GS scale tuning from its first pitch class to
    // at most the last, one XG value, the MTS forms' sizes above. Resets and
    // Other are whole by their match.
    bool wholeSize = false;
    // GS data sets and bulk dumps carry a checksum; true where none is due.
    bool checksumOk = true;
    uint8_t deviceId = 0;
};

// `message` from its F0 on. Any device ID matches.
SysexFacts recogniseSysex(const uint8_t* message, std::size_t size);
// The same for a SysEx event of a MIDI file, whose bytes after the length
// are the message without its F0.
SysexFacts recogniseSysexEvent(const uint8_t* afterF0, std::size_t size);

// (128 - (sum mod 128)) mod 128 over the given bytes: the checksum of a GS
// data set, over its address and data.
uint8_t rolandChecksum(const uint8_t* bytes, std::size_t count);
// The exclusive or of the given bytes, in seven bits: the checksum of an MTS
// dump, over its bytes from 7E to the last key's.
uint8_t mtsChecksum(const uint8_t* bytes, std::size_t count);

// GS address block of part 1..16: parts 1-9 are 11-19, part 10 is 10,
// parts 11-16 are 1A-1F; and back (the low four bits of the block).
uint8_t gsPartBlock(int part);
int gsPartOfBlock(uint8_t block);

// Where a GS scale-tuning message writes: its part (1..16), the first pitch
// class and how many follow (its data bytes, at most up to B).
struct GsScaleTuningRange {
    int part;
    int firstPitchClass;
    int count;
};
// `message` from F0; a GsScaleTuning message with wholeSize.
GsScaleTuningRange gsScaleTuningRange(const uint8_t* message, std::size_t size);

// The channel map of an MTS scale/octave message, three bytes ff gg hh:
// channels 15-16 in bits 0-1 of ff, 8-14 in gg, 1-7 in hh. Bit n of the
// result is channel n + 1.
uint16_t mtsChannelMap(const uint8_t* threeBytes);
std::array<uint8_t, 3> mtsChannelMapBytes(uint16_t channels);

// A 14-bit value of two data bytes, most significant first.
inline uint16_t fourteenBits(uint8_t msb, uint8_t lsb) { return static_cast<uint16_t>(msb << 7 | lsb); }
// A key's tuning in the single-note and bulk forms: the semitone, then a
// 14-bit fraction of a semitone above it, as one number of 1/16384
// semitones; 7F 7F 7F is "no change".
constexpr int32_t kMtsStepsPerSemitone = 16384;
inline bool isNoChange(const uint8_t* tuning) {
    return tuning[0] == 0x7F && tuning[1] == 0x7F && tuning[2] == 0x7F;
}
inline int32_t keyTuningSteps(const uint8_t* tuning) {
    return int32_t{tuning[0]} * kMtsStepsPerSemitone + fourteenBits(tuning[1], tuning[2]);
}
