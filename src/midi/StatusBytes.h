// What each byte of the MIDI wire format is: a data byte, or a status byte
// and the data bytes that follow it; and running status, which lets a run
// of channel messages leave out their repeated status byte.
#pragma once

#include <cstdint>

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;    // on the wire; in a file also the escape event
constexpr uint8_t kMetaEvent = 0xFF;   // in a file; on the wire the system reset
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;

enum class StatusClass : uint8_t {
    Data,          // 00-7F
    Channel,       // 80-EF: note off/on, key pressure, control, program, channel pressure, pitch bend
    SysexStart,    // F0: data bytes up to F7
    SystemCommon,  // F1-F6: time code, song position, song select, tune request
    SysexEnd,      // F7
    RealTime,      // F8-FE: clock, start, continue, stop, active sensing
    MetaOrReset,   // FF: a meta event in a file, the system reset on the wire
};

constexpr StatusClass classOf(uint8_t byte) {
    if (byte < 0x80) return StatusClass::Data;
    if (byte < 0xF0) return StatusClass::Channel;
    if (byte == kSysexStart) return StatusClass::SysexStart;
    if (byte < kSysexEnd) return StatusClass::SystemCommon;
    if (byte == kSysexEnd) return StatusClass::SysexEnd;
    if (byte < kMetaEvent) return StatusClass::RealTime;
    return StatusClass::MetaOrReset;
}

constexpr bool isDataByte(uint8_t byte) { return byte < 0x80; }
constexpr bool isChannelStatus(uint8_t byte) { return byte >= 0x80 && byte <= 0xEF; }

// The kinds of channel message, in the high four bits of the status; the
// channel 0-15 in the low four.
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kKeyPressure = 0xA0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t channelKind(uint8_t status) { return status & 0xF0; }
constexpr int channelOf(uint8_t status) { return status & 0x0F; }
constexpr uint8_t channelStatus(uint8_t kind, int channel) { return static_cast<uint8_t>(kind | (channel & 0x0F)); }

// A pitch bend's 14 bits: the least significant seven first on the wire,
// 2000 hex (8192) for none.
constexpr uint16_t kPitchBendCenter = 8192;
constexpr uint16_t kPitchBendMax = 16383;
constexpr uint16_t pitchBendValue(uint8_t lsb, uint8_t msb) { return static_cast<uint16_t>(msb << 7 | lsb); }
constexpr uint8_t pitchBendLsb(uint16_t value) { return value & 0x7F; }
constexpr uint8_t pitchBendMsb(uint16_t value) { return (value >> 7) & 0x7F; }

// Data bytes after a channel status: 1 for program change and channel
// pressure (Cn, Dn), 2 for the others.
constexpr uint32_t channelDataBytes(uint8_t status) {
    return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
}

// Data bytes that follow a status byte on the wire: the channel messages'
// one or two, MIDI time code quarter frame (F1) and song select (F3) one,
// song position (F2) two; none for the others. A SysEx (F0) has as many as
// come before its F7, which this cannot tell.
constexpr uint32_t wireDataBytes(uint8_t status) {
    if (isChannelStatus(status)) return channelDataBytes(status);
    if (status == 0xF1 || status == 0xF3) return 1;
    if (status == 0xF2) return 2;
    return 0;
}

// The bytes a whole short message takes on the wire: its status and data.
constexpr uint32_t shortMessageSize(uint8_t status) { return 1 + wireDataBytes(status); }

// What a keyboard sends to keep time and to show it is connected: the MIDI
// clock (F8), time code quarter frames (F1) and active sensing (FE). They
// come many times a second and carry no note, so a live input passes them by.
constexpr bool isTimingTraffic(uint8_t status) { return status == 0xF8 || status == 0xF1 || status == 0xFE; }

// Running status as a reader of a MIDI file follows it. A channel status
// sets it; an event that begins with a data byte repeats it. The standard
// has SysEx and meta events cancel it, but sequencers have long written
// files that rely on it across them, and lenient readers (players among
// them) keep it: so does this one, and real songs stay readable. A writer
// never relies on it across an event it writes itself (see SmfWriter).
class RunningStatus {
public:
    // The status of an event whose first byte is `first`; 0 when it is a
    // data byte and no channel status came before.
    uint8_t resolve(uint8_t first) const { return isDataByte(first) ? current_ : first; }
    // After an event with status `status` (running status resolved).
    void follow(uint8_t status) {
        if (isChannelStatus(status)) current_ = status;
    }
    uint8_t current() const { return current_; }
    void reset() { current_ = 0; }

private:
    uint8_t current_ = 0;
};
