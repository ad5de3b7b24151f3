// The one reader of Standard MIDI Files: where a file's chunks lie (inside a
// RIFF RMID wrapper or not), and its track events one by one, each with the
// byte range it occupies, so that a writer can copy what it does not change.
// Songs, tuning files read back and files handed to the window all go
// through it, so they are accepted and refused alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/StatusBytes.h"

enum class SmfError {
    None,
    NotMidiFile,     // no MThd chunk of six bytes or more where the file begins
    Format2,         // format 2: independent patterns, not one time line
    BadDivision,     // 0 ticks per quarter note, or an SMPTE rate that does not exist
    NoTrack,         // no MTrk chunk
    ChunkPastEnd,    // a chunk's length runs past the end of the file or its RIFF chunk
    NumberTooLong,   // a variable-length number of more than four bytes
    EventPastTrack,  // an event, or the length it gives, runs past the end of its track
    NoRunningStatus, // a data byte where a status byte is due
    StrayStatus,     // a status byte that has no place in a MIDI file (F1-F6, F8-FE)
    TimeTooLarge,    // writing: a moved event would need a delta time beyond four bytes
};
constexpr int kSmfErrorCount = static_cast<int>(SmfError::TimeTooLarge) + 1;

struct SmfFault {
    SmfError kind = SmfError::None;
    std::size_t byteOffset = 0;  // in the file, RIFF wrapper included
    bool ok() const { return kind == SmfError::None; }
};

// SMPTE divisions have bit 15 set; their high byte is minus the frames a
// second and their low byte the ticks a frame.
bool isSmpteDivision(uint16_t division);
// 24, 25, 29.97 (for -29) or 30; 0 for a high byte that is no SMPTE rate.
double smpteFramesPerSecond(uint16_t division);
// True for a division a song can be timed with: ticks per quarter note 1 to
// 32767, or an SMPTE rate with at least one tick per frame.
bool isUsableDivision(uint16_t division);

struct TrackChunk {
    std::size_t headerOffset;  // "MTrk"
    std::size_t bodyBegin;
    std::size_t bodyEnd;
};

struct SmfLayout {
    bool wrapped = false;           // a RIFF RMID file
    std::size_t smfBegin = 0;       // the MThd chunk
    std::size_t smfEnd = 0;         // end of the file, or of the RIFF "data" chunk
    std::size_t riffDataHeader = 0; // wrapped: the "data" chunk's header
    uint16_t format = 0;
    uint16_t division = 0;
    std::vector<TrackChunk> tracks;  // every MTrk, in file order
};

// Finds the chunks. Refuses, with the offset of the trouble: a file without
// MThd (or a RIFF RMID file without a "data" chunk holding one), format 2, a
// division that cannot be timed, a chunk longer than what is left, no MTrk.
// RIFF sub-chunks before "data" are skipped by their sizes, padded to an
// even length. Chunks other than MThd and MTrk, and fewer than eight bytes
// after the last chunk, are left where they are. The header's track count is
// not trusted: the MTrk chunks found are the tracks.
SmfFault readSmfLayout(const uint8_t* file, std::size_t size, SmfLayout& layout);

constexpr uint32_t kNoEvent = UINT32_MAX;  // no event index

struct TrackEvent {
    uint32_t index;           // 0 for the track's first event
    uint64_t tick;            // from the start of the track
    uint32_t delta;
    std::size_t deltaOffset;  // where the delta time begins
    std::size_t offset;       // the status byte, or the first data byte under running status
    std::size_t end;          // one past the event's last byte
    uint8_t status;           // as in effect: running status resolved
    bool runningStatus;       // the status byte was left out
    uint8_t metaType;         // FF events
    std::size_t dataOffset;   // F0, F7 and FF events: the first byte after the length;
                              // channel messages: the first data byte
    uint32_t dataLength;      // ... and their count

    bool isChannelMessage() const { return isChannelStatus(status); }
    uint8_t channel() const { return status & 0x0F; }
    bool isNoteOn(const uint8_t* file) const {
        return (status & 0xF0) == 0x90 && file[end - 1] != 0;
    }
    bool isSysex() const { return status == kSysexStart; }
    bool isEndOfTrack() const { return status == kMetaEvent && metaType == kMetaEndOfTrack; }
};

// Reads one track's events in order, running status as RunningStatus
// follows it (across SysEx and meta events). Reading stops after End of
// Track: what follows it in the chunk is the track's tail, kept as it is.
class TrackScanner {
public:
    TrackScanner(const uint8_t* file, const TrackChunk& chunk);
    // The next event; false at the end, with `fault` set when the track is
    // damaged there.
    bool next(TrackEvent& event, SmfFault& fault);
    // Where the bytes after End of Track begin (the chunk's end without one).
    std::size_t tailOffset() const { return position_; }

private:
    bool readNumber(uint32_t& value, SmfFault& fault);
    bool fail(SmfError kind, std::size_t offset, SmfFault& fault);

    const uint8_t* file_;
    std::size_t position_;
    std::size_t end_;
    uint64_t tick_ = 0;
    uint32_t index_ = 0;
    RunningStatus runningStatus_;
    bool ended_ = false;
};

// Calls `visit(trackNumber, event)` for every event of every track, track by
// track; stops at the first damage and returns it.
template <class Visit>
SmfFault forEachTrackEvent(const uint8_t* file, const SmfLayout& layout, Visit&& visit) {
    for (std::size_t t = 0; t < layout.tracks.size(); ++t) {
        TrackScanner scanner(file, layout.tracks[t]);
        TrackEvent event;
        SmfFault fault;
        while (scanner.next(event, fault)) visit(static_cast<uint32_t>(t), event);
        if (!fault.ok()) return fault;
    }
    return {};
}
