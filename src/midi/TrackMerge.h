// The events of every track of a song, one by one in the order they sound
// (SongPosition's order), read as they are needed: a rewrite that follows
// the song as a player hears it walks it once.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/SmfReader.h"
#include "midi/SongPosition.h"

class TrackMerge {
public:
    TrackMerge(const uint8_t* file, const SmfLayout& layout);
    // The next event and its track; false after the last, or at the first
    // damage, which fault() then gives.
    bool next(uint32_t& track, TrackEvent& event);
    const SmfFault& fault() const { return fault_; }

private:
    void push(const SongPosition& head);
    void advance(uint32_t track);

    std::vector<TrackScanner> scanners_;
    std::vector<TrackEvent> heads_;  // each track's next event
    std::vector<SongPosition> heap_;  // the tracks waiting, soonest first
    SongPosition current_{};          // the track just read, kept out of the heap while it is the soonest
    bool hasCurrent_ = false;
    SmfFault fault_;
};
