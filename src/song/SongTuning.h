// Writes a tuning into an existing song so that it plays in tune: after the
// reset that sets the song up, a reset gap later, with the music moved on
// where a note would sound before the tuning has arrived; again after every
// reset in the middle of the song; and without the tuning messages the song
// held for its set-up. Everything else stays byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/SmfReader.h"
#include "midi/SysexMessages.h"

constexpr uint32_t kDefaultResetGapMs = 100;  // Roland asks for 50 ms after a GS Reset at least
constexpr uint32_t kDefaultMessageGapMs = 0;
constexpr uint32_t kMaxSongGapMs = 1000;
// The largest song read: far beyond any real one, small enough to hold twice.
constexpr std::size_t kMaxSongFileBytes = 64 * 1024 * 1024;

struct SongTuningOptions {
    uint32_t resetGapMs = kDefaultResetGapMs;      // from a reset to the first message
    uint32_t messageGapMs = kDefaultMessageGapMs;  // between two messages
    bool keepOldTuning = false;  // keep the song's own set-up tuning messages
    // Bit n: MIDI channel n + 1 receives the tuning (a GS or XG part n + 1
    // listens on channel n + 1 after a reset). Only for the gap warning.
    uint16_t tunedChannels = 0;
};

struct SongReset {
    SysexKind kind;  // one of the resets
    uint32_t track;  // 0-based MTrk chunk
    uint64_t tick;
    double ms;       // in the song as it was read
    bool setUp;      // at or before the first note
};

// Notes on a tuned channel that sound after a reset in the middle of the
// song and before its tuning has arrived again.
struct SongGapWarning {
    double resetMs;  // the reset's time as SongReset::ms gives it
    uint32_t notes;
};

struct SongSummary {
    bool wrapped = false;
    uint16_t format = 0;
    uint32_t tracks = 0;  // MTrk chunks
    uint16_t division = 0;
    bool hasNotes = false;
    std::vector<SongReset> resets;  // in the order they sound
    // The set-up point: the last reset at or before the first note (its
    // index in `resets`), or tick 0 after the tick-0 meta events of the first
    // track that come before its first note, when there is none (afterReset
    // false).
    bool afterReset = false;
    std::size_t setUpReset = 0;
    uint32_t tuningTrack = 0;
    uint32_t messages = 0;  // written at the set-up point
    uint64_t firstTuningTick = 0;
    double firstTuningMs = 0;
    uint64_t shiftTicks = 0;  // how far the music moved
    double shiftMs = 0;
    uint32_t removedTuning = 0;  // the song's own set-up tuning messages taken out
    uint32_t keptTuning = 0;     // ... kept because the options said so
    uint32_t laterTuning = 0;    // tuning messages after the first note, kept
    uint32_t retunedResets = 0;  // resets after the first note, the tuning written again after each
    std::vector<SongGapWarning> gapWarnings;
};

struct SongTuningResult {
    SmfFault error;
    SongSummary summary;
    std::size_t smfBegin = 0;  // where the MIDI file itself lies in the song read
    std::size_t smfSize = 0;
    std::vector<uint8_t> bytes;  // the new file; empty on an error
    bool ok() const { return error.ok(); }
};

// Reads `song` and writes `listing` into it (its whole messages, each its
// own event: SysEx or channel messages). A damaged song
// is refused with the byte offset and what is wrong, and nothing is written.
// An empty listing inserts nothing and moves nothing; with keepOldTuning the
// bytes then come back unchanged.
SongTuningResult tuneSong(const uint8_t* song, std::size_t size, const uint8_t* listing,
                          std::size_t listingSize, const SongTuningOptions& options);
