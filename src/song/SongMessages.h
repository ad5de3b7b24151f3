// What the song code recognises in a message: the resets that wipe a
// synthesizer's scale tuning, the scale-tuning messages a song may already
// hold, and the cutting of a listing into the messages that go into a song.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

enum class ResetKind {
    GsReset,              // F0 41 dd 42 12 40 00 7F 00 41 F7
    GsSystemMode,         // F0 41 dd 42 12 00 00 7F 0m cs F7
    XgSystemOn,           // F0 43 1n 4C 00 00 7E 00 F7
    XgAllParameterReset,  // F0 43 1n 4C 00 00 7F 00 F7
    GmSystemOn,           // F0 7E dd 09 01 F7
    GmSystemOff,          // F0 7E dd 09 02 F7
    Gm2SystemOn,          // F0 7E dd 09 03 F7
};

enum class OldTuningKind {
    Gs,                // GS scale tuning, address 40 1x 40..4B
    Xg,                // XG multi part scale tuning, address 08 pp 41..4C
    MtsScaleOctave1,   // MIDI Tuning Standard scale/octave, 1-byte form (08 08)
    MtsScaleOctave2,   // the 2-byte form (08 09)
    MtsSingleNote,     // single note tuning change (08 02, 08 07)
    MtsBulkDump,       // bulk tuning dumps (08 01, 08 04, 08 05, 08 06)
};

// `body` is a SysEx message without its F0: the bytes up to and including
// F7, as a MIDI file stores them after the length. Any device ID matches;
// a message that does not end with F7 matches nothing.
std::optional<ResetKind> recogniseReset(const uint8_t* body, std::size_t size);
std::optional<OldTuningKind> recogniseOldTuning(const uint8_t* body, std::size_t size);

// English name of a reset, as the command line prints it ("GS Reset").
const char* resetName(ResetKind kind);

// One message of a listing: `size` bytes from `offset`.
struct MessageSpan {
    std::size_t offset;
    std::size_t size;
};

// Cuts a listing into its messages: SysEx from F0 to the next F7, channel
// messages (80-EF) with their one or two data bytes. Bytes that start no
// complete message (a cut SysEx, a channel message short of its data, stray
// data bytes, other status bytes) are left out.
std::vector<MessageSpan> splitMessages(const uint8_t* bytes, std::size_t size);

// Data bytes after a channel status: 1 for program change and channel
// pressure (Cn, Dn), 2 for the others.
inline uint32_t channelDataBytes(uint8_t status) {
    return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
}
