// Where an event of a song lies, and the order events sound in: by tick,
// then by track (a player takes a tick's tracks in order), then by their
// place in the track.
#pragma once

#include <cstdint>

constexpr uint64_t kNoTick = UINT64_MAX;

struct SongPosition {
    uint64_t tick = 0;
    uint32_t track = 0;
    uint32_t index = 0;  // the event's, or where something placed between events goes
};

constexpr bool soundsBefore(const SongPosition& a, const SongPosition& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return a.track != b.track ? a.track < b.track : a.index < b.index;
}
