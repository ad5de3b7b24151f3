// Writes a tuning into an existing song as pitch bends, for the players that
// ignore tuning messages but all honour pitch bend and its range: each note
// of a retuned channel sounds on a channel bent to its pitch, the song's
// own channel or one the song never uses, which first gets the song
// channel's instrument and controllers. The song's own bends are added to
// the tuning's; no event moves in time, and every event the rewrite does
// not need keeps its bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "midi/SmfReader.h"
#include "retune/RetuneOptions.h"
#include "retune/RetuneTuning.h"

// The synthesizer built into Windows ignores a bend range set sooner than
// about 110 ms after a reset.
constexpr uint32_t kDefaultBendResetGapMs = 120;
// kDrumChannels: channel 10, never retuned, never borrowed.

struct SongBendOptions {
    // Cents from equal temperament of every key, 0-127; hundredths welcome.
    std::array<double, 128> keyCents{};
    // Each note played on the key nearest its pitch and bent by the rest, for
    // keyboard tunings, whose keys may lie octaves from their own pitch; a
    // pitch beyond keys 0-127 is played on the end key. Otherwise every note
    // keeps its key and is bent all the way.
    bool nearestKeys = false;
    uint16_t channels = 0xFFFF & ~kDrumChannels;  // bit n: the song's channel n + 1 is retuned
    int bendRange = 0;  // semitones written, kMinBendRange..kMaxBendRange; 0: as wide as the song needs
    uint32_t resetGapMs = kDefaultBendResetGapMs;  // from a reset to the range set again
    bool keepOldTuning = false;  // keep the tuning messages the song sets itself up with
};

// Notes that found no channel bent to their pitch, every channel being in
// use, and played on the one of their channel nearest to it.
struct OffPitchNotes {
    uint32_t notes = 0;
    double largestCents = 0;
    double firstMs = 0;    // in the song
    int firstChannel = 0;  // the song's channel, 0-15
};

struct SongBendSummary {
    bool wrapped = false;
    uint16_t format = 0;
    uint32_t tracks = 0;
    int bendRange = 0;             // semitones, on every channel used
    uint16_t retunedChannels = 0;  // the song's channels whose notes were bent (bit n: channel n + 1)
    uint16_t borrowedChannels = 0; // channels the song never used that took some of their notes
    OffPitchNotes offPitch;
    uint32_t clippedBends = 0;     // bends beyond a --bend-range too narrow for them, held at its end
    uint32_t gapNotes = 0;         // notes between a reset and the range set again after it
    uint32_t laterResets = 0;      // resets after the first note, the range and bends set again after each
    uint32_t removedTuning = 0;    // the song's own set-up tuning messages taken out
    uint32_t keptTuning = 0;
};

struct SongBendResult {
    SmfFault error;
    SongBendSummary summary;
    std::vector<uint8_t> bytes;  // the new file; empty on an error
    bool ok() const { return error.ok(); }
};

// Reads `song` and writes it again with the tuning as pitch bends, the
// retuning engine (retune/RetuneEngine) deciding every note's channel and
// bend as it would for a player. A damaged song is refused with the byte
// offset and what is wrong.
SongBendResult bendSong(const uint8_t* song, std::size_t size, const SongBendOptions& options);
