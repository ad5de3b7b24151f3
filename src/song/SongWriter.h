// The bytes of a changed song: each track either copied as it is or written
// again with events inserted, removed and moved later, every event that is
// not changed keeping its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/SmfReader.h"

// One message of a listing to insert (a whole SysEx, F0 to F7, or a channel
// message), written as its own event.
struct Insertion {
    uint64_t tick;       // in the written song
    uint32_t firstFree;  // it goes after event firstFree - 1 (its anchor), never before
    const uint8_t* message;
    std::size_t size;
};

// The order insertions are written in: by tick, then by anchor.
inline bool insertsBefore(const Insertion& a, const Insertion& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.firstFree < b.firstFree;
}

struct TrackEdits {
    std::vector<Insertion> insertions;  // by tick, then anchor, then in message order
    std::vector<uint32_t> removed;      // event indices, ascending
    // Events from `firstMoved` on (the anchor track), or at `movedFromTick`
    // and later (every other track), move `shift` ticks later.
    uint64_t shift = 0;
    uint32_t firstMoved = kNoEvent;
    uint64_t movedFromTick = 0;

    bool moves(const TrackEvent& event) const {
        if (shift == 0) return false;
        return firstMoved != kNoEvent ? event.index >= firstMoved : event.tick >= movedFromTick;
    }
};

// Writes the song in `layout` with `edits` (one per track; a track with no
// edit is copied) into `out`. A RIFF wrapper gets its sizes and padding
// made right. Fails only when a moved event's delta time would pass four
// bytes (TimeTooLarge); the track scan found every other trouble before.
SmfFault writeEditedSong(const uint8_t* file, std::size_t size, const SmfLayout& layout,
                              const std::vector<TrackEdits>& edits, std::vector<uint8_t>& out);
