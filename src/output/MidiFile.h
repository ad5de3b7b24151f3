// A small Standard MIDI File model and its serialiser. All integers in the
// file are written big-endian, whatever the byte order of the host.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/VariableLength.h"
#include "output/ByteBuffer.h"

struct MidiEvent {
    uint32_t time = 0;  // absolute ticks from the start of the track
    // Status byte first, then everything that follows it in the file
    // (for SysEx: length VLQ and the bytes after F0; for meta: type, length, data).
    ByteBuffer bytes;
};

// Events in non-decreasing time; only ever appended.
using MidiTrack = std::vector<MidiEvent>;

class MidiFile {
public:
    virtual ~MidiFile() = default;

    uint16_t format = 0;
    uint16_t division = 0;
    std::vector<MidiTrack> tracks;
};

// Appends an event at the last event's time plus `delta`. False when memory
// runs out (the track is then unchanged).
bool addEvent(MidiTrack& track, uint32_t delta, uint8_t status, const ByteBuffer& data);
bool addEvent(MidiTrack& track, uint32_t delta, uint8_t status, const uint8_t* data,
              uint32_t count);

// Replaces the buffer's content with the variable-length quantity of `value`
// (values up to 28 bits). False when memory runs out.
bool encodeVlq(uint32_t value, ByteBuffer& out);

// Stores `word` when bit 15 is clear (ticks per quarter note) or its high byte
// is an SMPTE rate (-24, -25, -29, -30); any other word is ignored.
void setDivision(MidiFile& file, uint16_t word);

// Chunk header (8) plus every event's delta length and bytes, less one byte
// for each status byte that running status leaves out.
uint32_t trackChunkSize(const MidiTrack& track, bool runningStatus);

// Writes the whole file into `out` in one allocation. Returns the byte count,
// or 0 (with `out` empty) when memory runs out.
uint32_t serializeMidiFile(const MidiFile& file, bool runningStatus, ByteBuffer& out);
