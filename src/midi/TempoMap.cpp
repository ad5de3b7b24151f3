#include "midi/TempoMap.h"

#include <algorithm>
#include <cmath>

#include "midi/SmfReader.h"

namespace {

constexpr uint32_t kDefaultMicrosecondsPerQuarter = 500000;  // 120 beats a minute
// Times are doubles; a tick whose time lies within this fraction of a tick of
// the target counts as reaching it, so that exact values (100 ms at 480
// ticks per quarter note is 96 ticks) are not pushed one tick on by rounding.
constexpr double kTickTolerance = 1e-6;

}  // namespace

TempoMap::TempoMap(uint16_t division, const std::vector<TempoChange>& changes) {
    if (isSmpteDivision(division)) {
        const double ticksPerSecond = smpteFramesPerSecond(division) * (division & 0xFF);
        segments_.push_back({0, 0, 1e6 / ticksPerSecond});
        return;
    }
    const double ticksPerQuarter = division;
    segments_.push_back({0, 0, kDefaultMicrosecondsPerQuarter / ticksPerQuarter});
    for (const TempoChange& change : changes) {
        if (change.microsecondsPerQuarter == 0) continue;
        const Segment& last = segments_.back();
        const double start =
            last.startMicroseconds + static_cast<double>(change.tick - last.tick) * last.microsecondsPerTick;
        const Segment next{change.tick, start, change.microsecondsPerQuarter / ticksPerQuarter};
        if (change.tick == last.tick)
            segments_.back() = next;
        else
            segments_.push_back(next);
    }
}

double TempoMap::microsecondsAt(uint64_t tick) const {
    const auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                        [](uint64_t t, const Segment& s) { return t < s.tick; });
    const Segment& segment = *(after - 1);
    return segment.startMicroseconds + static_cast<double>(tick - segment.tick) * segment.microsecondsPerTick;
}

uint64_t TempoMap::firstTickAtOrAfter(double microseconds) const {
    if (microseconds <= 0) return 0;
    const auto after = std::upper_bound(
        segments_.begin(), segments_.end(), microseconds,
        [](double us, const Segment& s) { return us < s.startMicroseconds; });
    const Segment& segment = *(after - 1);
    const double ticks = (microseconds - segment.startMicroseconds) / segment.microsecondsPerTick;
    return segment.tick + static_cast<uint64_t>(std::max(0.0, std::ceil(ticks - kTickTolerance)));
}
