// Ticks of a MIDI file turned into time and back, through its division and
// its tempo changes.
#pragma once

#include <cstdint>
#include <vector>

struct TempoChange {
    uint64_t tick;
    uint32_t microsecondsPerQuarter;  // 0 is no tempo and is ignored
};

class TempoMap {
public:
    // `division` must be usable (isUsableDivision). With ticks per quarter note the tempo is
    // 120 beats a minute until the first change; changes at one tick take
    // effect in the order given, so the last one holds. `changes` must be in
    // order of ticks. An SMPTE division ignores them.
    TempoMap(uint16_t division, const std::vector<TempoChange>& changes);

    double microsecondsAt(uint64_t tick) const;
    // The first tick whose time is `microseconds` or later.
    uint64_t firstTickAtOrAfter(double microseconds) const;

private:
    struct Segment {
        uint64_t tick;
        double startMicroseconds;
        double microsecondsPerTick;
    };
    std::vector<Segment> segments_;  // the first begins at tick 0
};
