// A Standard MIDI File read for changing it in place: where its chunks lie
// (inside a RIFF RMID wrapper or not) and its track events one by one, each
// with the byte range it occupies, so that whatever is not changed can be
// written back byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SongError {
    None,
    NotMidiFile,     // no MThd chunk of six bytes or more where the song begins
    Format2,         // format 2: independent patterns, not one song
    BadDivision,     // 0 ticks per quarter note, or an SMPTE rate that does not exist
    NoTrack,         // no MTrk chunk to write into
    ChunkPastEnd,    // a chunk's length runs past the end of the file or its RIFF chunk
    NumberTooLong,   // a variable-length number of more than four bytes
    EventPastTrack,  // an event, or the length it gives, runs past the end of its track
    NoRunningStatus, // a data byte where a status byte is due
    StrayStatus,     // a status byte that has no place in a MIDI file (F1-F6, F8-FE)
    TimeTooLarge,    // a moved event would need a delta time beyond four bytes
};

struct SongReadError {
    SongError kind = SongError::None;
    std::size_t byteOffset = 0;  // in the file, RIFF wrapper included
    std::string message;         // English, without the offset
    bool ok() const { return kind == SongError::None; }
};

// The English text of each kind, as SongReadError::message holds it.
const char* songErrorText(SongError kind);

struct TrackChunk {
    std::size_t headerOffset;  // "MTrk"
    std::size_t bodyBegin;
    std::size_t bodyEnd;
};

struct SongLayout {
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
// Chunks other than MThd and MTrk, and fewer than eight bytes after the last
// chunk, are left where they are. The track events are not read here.
SongReadError readSongLayout(const uint8_t* file, std::size_t size, SongLayout& layout);

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
    std::size_t dataOffset;   // F0, F7 and FF events: the first byte after the length
    uint32_t dataLength;

    bool isNoteOn(const uint8_t* file) const {
        return (status & 0xF0) == 0x90 && file[end - 1] != 0;
    }
    bool isEndOfTrack() const { return status == 0xFF && metaType == 0x2F; }
};

// Reads one track's events in order. Running status survives meta and SysEx
// events, as lenient readers allow. Reading stops after End of Track: what
// follows it in the chunk is the track's tail, kept as it is.
class TrackScanner {
public:
    TrackScanner(const uint8_t* file, const TrackChunk& chunk);
    // The next event; false at the end, with `error` set when the track is
    // damaged there.
    bool next(TrackEvent& event, SongReadError& error);
    // Where the bytes after End of Track begin (the chunk's end without one).
    std::size_t tailOffset() const { return position_; }

private:
    bool readNumber(uint32_t& value, SongReadError& error);
    bool fail(SongError kind, std::size_t offset, SongReadError& error);

    const uint8_t* file_;
    std::size_t position_;
    std::size_t end_;
    uint64_t tick_ = 0;
    uint32_t index_ = 0;
    uint8_t runningStatus_ = 0;
    bool ended_ = false;
};
