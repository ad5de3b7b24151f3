// One reading of a song, track by track, for what a rewrite must know before
// it begins: its resets, tuning messages and tempo changes in the order they
// sound, where each track's music starts, and what each channel plays. The
// song tuning and the song bends both stand on it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "midi/ControlChanges.h"
#include "midi/SmfReader.h"
#include "midi/SongPosition.h"
#include "midi/TempoMap.h"

// An event the scan picked out, with its value: a reset's SysexKind, a
// tempo's microseconds a quarter note.
struct SongMark {
    SongPosition at;
    uint32_t value = 0;
};

struct TrackOpening {
    uint64_t firstNoteTick = kNoTick;
    uint32_t firstNote = kNoEvent;  // the first note-on's event index
    // The last meta event at tick 0 before the first note-on, End of Track
    // aside: what must stay ahead of anything placed at the start.
    uint32_t lastTickZeroMeta = kNoEvent;
};

struct ChannelUse {
    uint32_t events = 0;  // channel messages
    uint64_t firstNoteTick = kNoTick;
    std::array<bool, 128> keysPlayed{};
    // The widest pitch-bend range the song sets on the channel (registered
    // parameter 0), followed within each track, as a song sets it up; never
    // below the range every reset restores.
    double widestBendRangeCents = kDefaultBendRangeCents;
};

struct SongScan {
    std::vector<TrackOpening> tracks;
    std::array<ChannelUse, 16> channels{};
    std::vector<SongMark> resets;   // whole resets: GS Reset, XG System On, GM and GM2 System On
    std::vector<SongMark> tunings;  // whole scale-tuning messages (a synthesizer ignores one without its F7)
    std::vector<SongMark> tempos;   // tempo meta events of three bytes

    // Bit n: channel n + 1 has an event in the song.
    uint16_t usedChannels() const;
    // The tempo changes in the order they sound, for a TempoMap.
    std::vector<TempoChange> tempoChanges() const;
};

// Reads every event of `layout`'s tracks once. Resets, tunings and tempos
// come out in the order they sound. Stops at the first damage and returns it.
SmfFault scanSong(const uint8_t* file, const SmfLayout& layout, SongScan& scan);
