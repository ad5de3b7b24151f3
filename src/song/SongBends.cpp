#include "song/SongBends.h"

#include <algorithm>
#include <cmath>

#include "midi/SongScan.h"
#include "midi/TempoMap.h"
#include "midi/TrackMerge.h"
#include "retune/RetuneEngine.h"
#include "song/SongWriter.h"

namespace {

// The engine's messages placed in the song: each goes before the event the
// engine was given, or after it once that event has passed with its own
// bytes; an event that does not pass is taken out. A set-up's messages go
// where it is placed.
class SongEdits final : public MidiSink {
public:
    SongEdits(std::size_t tracks, std::size_t events) : removed_(tracks) {
        pending_.reserve(events);
        messages_.reserve(3 * events);
    }
    void placeAt(const SongPosition& where) {
        at_ = where;
        around_ = false;
    }
    void placeAround(uint32_t track, const TrackEvent& event) {
        at_ = {event.tick, track, event.index};
        around_ = true;
        passed_ = false;
    }
    // After the engine has had the event.
    void closeEvent() {
        if (around_ && !passed_) removed_[at_.track].push_back(at_.index);
        around_ = false;
    }
    void send(const uint8_t* message, std::size_t size) override {
        pending_.push_back({at_, static_cast<uint32_t>(messages_.size()), static_cast<uint8_t>(size)});
        messages_.insert(messages_.end(), message, message + size);
    }
    void pass(const uint8_t*, std::size_t) override {
        passed_ = true;
        ++at_.index;  // what follows goes after the event
    }

    // Into `edits`, whose removals are in ascending order after.
    void moveInto(std::vector<TrackEdits>& edits) const {
        for (std::size_t t = 0; t < edits.size(); ++t) {
            std::vector<uint32_t>& removed = edits[t].removed;
            removed.insert(removed.end(), removed_[t].begin(), removed_[t].end());
            std::sort(removed.begin(), removed.end());
        }
        std::vector<std::size_t> counts(edits.size());
        for (const Pending& p : pending_) ++counts[p.at.track];
        for (std::size_t t = 0; t < edits.size(); ++t) edits[t].insertions.reserve(counts[t]);
        for (const Pending& p : pending_)
            edits[p.at.track].insertions.push_back({p.at.tick, p.at.index, messages_.data() + p.offset, p.size});
        // Made in the order they sound, so in order already; the sort is a guard.
        for (TrackEdits& track : edits)
            if (!std::is_sorted(track.insertions.begin(), track.insertions.end(), insertsBefore))
                std::stable_sort(track.insertions.begin(), track.insertions.end(), insertsBefore);
    }

private:
    struct Pending {
        SongPosition at;  // its index: the first event the message comes after
        uint32_t offset;
        uint8_t size;
    };
    SongPosition at_;
    bool around_ = false;
    bool passed_ = false;
    std::vector<Pending> pending_;
    std::vector<uint8_t> messages_;
    std::vector<std::vector<uint32_t>> removed_;
};

// What the song's retuned channels need, from the scan.
struct RetunedUse {
    uint16_t channels = 0;
    uint64_t firstNote = kNoTick;
    std::size_t events = 0;
    double widestBendRangeCents = kDefaultBendRangeCents;
    std::array<bool, 128> keysPlayed{};
};

RetunedUse retunedUse(const SongScan& scan, uint16_t retuned) {
    RetunedUse use;
    use.channels = retuned;
    for (int c = 0; c < 16; ++c) {
        if (!(retuned & (1u << c))) continue;
        const ChannelUse& channel = scan.channels[c];
        use.firstNote = std::min(use.firstNote, channel.firstNoteTick);
        use.events += channel.events;
        use.widestBendRangeCents = std::max(use.widestBendRangeCents, channel.widestBendRangeCents);
        for (int key = 0; key < 128; ++key) use.keysPlayed[key] = use.keysPlayed[key] || channel.keysPlayed[key];
    }
    return use;
}

// As wide as the song's own widest range and the widest bend of a key it plays.
int rangeFor(const RetunedUse& use, const SongBendOptions& options, const KeyPlan& plan) {
    if (options.bendRange != 0) return std::clamp(options.bendRange, kMinBendRange, kMaxBendRange);
    double widest = 0;
    for (int key = 0; key < 128; ++key)
        if (use.keysPlayed[key]) widest = std::max(widest, std::abs(plan.cents[key]));
    const double cents = use.widestBendRangeCents + widest;
    return std::clamp(static_cast<int>(std::ceil(cents / 100 - 1e-9)), kMinBendRange, kMaxBendRange);
}

// Where the range is set again: a reset gap after every reset, and at the
// start of a song that sets itself up with none. Each point's index is the
// first event it comes after.
std::vector<SongPosition> rangePoints(const SongScan& scan, uint64_t firstNote, const TempoMap& map,
                                      const SongBendOptions& options, SongBendSummary& summary) {
    std::vector<SongPosition> points;
    if (scan.resets.empty() || scan.resets.front().at.tick > firstNote) points.push_back({0, 0, 0});
    for (const SongMark& reset : scan.resets) {
        const double us = map.microsecondsAt(reset.at.tick) + 1000.0 * options.resetGapMs;
        points.push_back({std::max(reset.at.tick, map.firstTickAtOrAfter(us)), reset.at.track, reset.at.index + 1});
        if (firstNote != kNoTick && reset.at.tick > firstNote) ++summary.laterResets;
    }
    std::stable_sort(points.begin(), points.end(), soundsBefore);
    return points;
}

// The song's events through the engine in the order they sound: each set-up
// point, each reset, each event of a retuned channel.
void playThrough(const uint8_t* song, const SmfLayout& layout, const SongScan& scan,
                 const std::vector<SongPosition>& points, uint16_t own, const TempoMap& map, RetuneEngine& engine,
                 SongEdits& edits, SongBendSummary& summary) {
    TrackMerge order(song, layout);
    uint32_t track;
    TrackEvent event;
    std::size_t nextPoint = 0;
    std::size_t nextReset = 0;
    bool inGap = false;  // between a reset and the range set again
    const auto setUp = [&](const SongPosition& point) {
        edits.placeAt(point);
        engine.setUp(edits);
        inGap = false;
    };
    while (order.next(track, event)) {
        const SongPosition here{event.tick, track, event.index};
        while (nextPoint < points.size() && !soundsBefore(here, points[nextPoint])) setUp(points[nextPoint++]);
        if (event.isSysex()) {
            if (nextReset < scan.resets.size() && scan.resets[nextReset].at.track == track &&
                scan.resets[nextReset].at.index == event.index) {
                ++nextReset;
                engine.receiverReset();
                inGap = true;
            }
            continue;
        }
        if (!event.isChannelMessage() || !(own & (1u << event.channel()))) continue;
        const uint8_t message[3] = {event.status, song[event.dataOffset],
                                    event.dataLength > 1 ? song[event.dataOffset + 1] : uint8_t{0}};
        const bool noteOn = event.isNoteOn(song);
        const uint32_t offBefore = noteOn ? engine.statistics().offPitchNotes : 0;
        edits.placeAround(track, event);
        engine.process(message, 1 + event.dataLength, event.tick, edits);
        edits.closeEvent();
        if (!noteOn) continue;
        summary.retunedChannels |= static_cast<uint16_t>(1u << event.channel());
        if (inGap) ++summary.gapNotes;
        if (offBefore == 0 && engine.statistics().offPitchNotes != 0) {
            summary.offPitch.firstMs = map.microsecondsAt(event.tick) / 1000;
            summary.offPitch.firstChannel = event.channel();
        }
    }
    while (nextPoint < points.size()) setUp(points[nextPoint++]);
    const RetuneStatistics statistics = engine.statistics();
    summary.offPitch.notes = statistics.offPitchNotes;
    summary.offPitch.largestCents = statistics.largestMissCents;
    summary.clippedBends = statistics.clippedBends;
    summary.borrowedChannels = engine.channelsCarryingNotes() & ~own;
}

}  // namespace

SongBendResult bendSong(const uint8_t* song, std::size_t size, const SongBendOptions& options) {
    SongBendResult result;
    SmfLayout layout;
    SongScan scan;
    result.error = readSmfLayout(song, size, layout);
    if (result.ok()) result.error = scanSong(song, layout, scan);
    if (!result.ok()) return result;

    SongBendSummary& summary = result.summary;
    summary.wrapped = layout.wrapped;
    summary.format = layout.format;
    summary.tracks = static_cast<uint32_t>(layout.tracks.size());
    const RetuneTuning tuning{options.keyCents, options.nearestKeys};
    const RetunedUse use = retunedUse(scan, options.channels & ~kDrumChannels);
    summary.bendRange = rangeFor(use, options, planKeys(tuning));
    const TempoMap map(layout.division, scan.tempoChanges());

    std::vector<TrackEdits> edits(layout.tracks.size());
    for (const SongMark& old : scan.tunings) {
        if (old.at.tick > use.firstNote) continue;
        if (options.keepOldTuning) {
            ++summary.keptTuning;
        } else {
            ++summary.removedTuning;
            edits[old.at.track].removed.push_back(old.at.index);
        }
    }

    // The song's retuned channels carry their own notes; the channels it
    // never uses are lent to them.
    const uint16_t used = scan.usedChannels();
    RetuneOptions engineOptions;
    engineOptions.input = RetuneInput::Song;
    engineOptions.ownChannels = used & use.channels;
    engineOptions.outputChannels = ~used & ~kDrumChannels;
    engineOptions.untouchedChannels = kDrumChannels | (used & ~use.channels);
    engineOptions.bendRange = summary.bendRange;
    engineOptions.setUpWhenAsked = true;
    RetuneEngine engine(engineOptions, tuning);
    SongEdits placed(layout.tracks.size(), use.events);
    playThrough(song, layout, scan, rangePoints(scan, use.firstNote, map, options, summary),
                engineOptions.ownChannels, map, engine, placed, summary);
    placed.moveInto(edits);
    result.error = writeEditedSong(song, size, layout, edits, result.bytes);
    return result;
}
