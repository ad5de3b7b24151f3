#include "song/SongTuning.h"

#include <algorithm>
#include <limits>

#include "midi/MessageSplit.h"
#include "midi/SongScan.h"
#include "song/SongWriter.h"
#include "midi/TempoMap.h"

namespace {

constexpr uint32_t kMaxShiftRounds = 32;

// Where the tuning goes and what moves.
struct SetUp {
    uint32_t track = 0;
    uint32_t firstFree = 0;  // the first event index after the anchor
    uint64_t tick = 0;       // the anchor's tick
    uint64_t shift = 0;

    bool moves(uint32_t t, uint32_t index, uint64_t eventTick) const {
        return shift != 0 && (t == track ? index >= firstFree : eventTick >= tick);
    }
};

// The tempo map of the song as written, with the music moved by `setUp`.
TempoMap writtenTempoMap(uint16_t division, const SongScan& scan, const SetUp& setUp) {
    std::vector<TempoChange> changes;
    changes.reserve(scan.tempos.size());
    for (const SongMark& tempo : scan.tempos)
        changes.push_back({tempo.at.tick + (setUp.moves(tempo.at.track, tempo.at.index, tempo.at.tick) ? setUp.shift : 0),
                           tempo.value});
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    return TempoMap(division, changes);
}

// The ticks of `count` messages after an anchor at `anchorTick`: the first a
// reset gap later, each next one a message gap after it.
std::vector<uint64_t> messageTicks(const TempoMap& map, uint64_t anchorTick, const SongTuningOptions& options,
                                   std::size_t count) {
    std::vector<uint64_t> ticks;
    const double anchorUs = map.microsecondsAt(anchorTick);
    for (std::size_t k = 0; k < count; ++k) {
        const double us = anchorUs + 1000.0 * (options.resetGapMs + static_cast<double>(k) * options.messageGapMs);
        ticks.push_back(std::max(anchorTick, map.firstTickAtOrAfter(us)));
    }
    return ticks;
}

// The first note-on of track `t` that moves with the music.
uint64_t firstMovedNote(const uint8_t* file, const SmfLayout& layout, const SongScan& scan, const SetUp& setUp,
                        uint32_t t) {
    const TrackOpening& facts = scan.tracks[t];
    if (t != setUp.track || facts.firstNote == kNoEvent || facts.firstNote >= setUp.firstFree)
        return facts.firstNoteTick;
    // A note at the anchor's tick before the anchor: look past it.
    TrackScanner scanner(file, layout.tracks[t]);
    TrackEvent event;
    SmfFault error;
    while (scanner.next(event, error))
        if (event.index >= setUp.firstFree && event.isNoteOn(file)) return event.tick;
    return kNoTick;
}

// Moves the music until no note sounds before the last set-up message: a
// note in a track before the tuning's track must come a tick later, since
// players take a tick's tracks in order. The tempo map of the moved song
// decides the messages' ticks, so the shift is found by repeating; where
// that does not settle, a shift past the whole tuning at the set-up tempo
// always holds.
void findShift(const uint8_t* file, const SmfLayout& layout, const SongScan& scan, const SongTuningOptions& options,
               std::size_t messages, SetUp& setUp) {
    std::vector<uint64_t> firstNotes(scan.tracks.size());
    for (std::size_t t = 0; t < scan.tracks.size(); ++t)
        firstNotes[t] = firstMovedNote(file, layout, scan, setUp, static_cast<uint32_t>(t));
    const auto needed = [&](const SetUp& trial) {
        const uint64_t last = messageTicks(writtenTempoMap(layout.division, scan, trial), trial.tick, options,
                                           messages).back();
        uint64_t shift = 0;
        for (std::size_t t = 0; t < firstNotes.size(); ++t) {
            if (firstNotes[t] == kNoTick) continue;
            const uint64_t due = last + (t < setUp.track ? 1 : 0);
            if (due > firstNotes[t]) shift = std::max(shift, due - firstNotes[t]);
        }
        return shift;
    };
    for (uint32_t round = 0; round < kMaxShiftRounds; ++round) {
        const uint64_t shift = needed(setUp);
        if (shift <= setUp.shift) return;
        setUp.shift = shift;
    }
    SetUp unmoved = setUp;
    unmoved.shift = std::numeric_limits<uint64_t>::max() / 2;  // every moved tempo out of reach
    const uint64_t last = messageTicks(writtenTempoMap(layout.division, scan, unmoved), setUp.tick, options,
                                       messages).back();
    setUp.shift = std::max(setUp.shift, last - setUp.tick + 1);
}

// The listing's messages, each to be written as an event of its own.
struct ListingEvents {
    const uint8_t* listing;
    std::vector<ListedMessage> messages;
    std::size_t size() const { return messages.size(); }
    bool empty() const { return messages.empty(); }
};

void addInsertions(TrackEdits& edits, const std::vector<uint64_t>& ticks, uint32_t firstFree,
                   const ListingEvents& events) {
    for (std::size_t k = 0; k < ticks.size(); ++k) {
        const ListedMessage& message = events.messages[k];
        edits.insertions.push_back({ticks[k], firstFree, events.listing + message.offset, message.size});
    }
}

// Notes on a tuned channel that sound between a mid-song reset and the last
// message written after it: only the latest reset before a note matters.
void countGapNotes(const uint8_t* file, const SmfLayout& layout, const SetUp& setUp, const SongTuningOptions& options,
                   const std::vector<std::pair<uint64_t, uint64_t>>& gaps, std::vector<uint32_t>& notes) {
    forEachTrackEvent(file, layout, [&](uint32_t track, const TrackEvent& event) {
        if (!event.isNoteOn(file) || !(options.tunedChannels & (1u << event.channel()))) return;
        const uint64_t tick = event.tick + (setUp.moves(track, event.index, event.tick) ? setUp.shift : 0);
        const auto after = std::upper_bound(gaps.begin(), gaps.end(), tick,
                                            [](uint64_t at, const auto& gap) { return at < gap.first; });
        if (after == gaps.begin()) return;
        const auto gap = after - 1;
        if (tick < gap->second) ++notes[static_cast<std::size_t>(gap - gaps.begin())];
    });
}

// The set-up point: the last reset at or before the first note, or tick 0
// after the first track's tick-0 meta events ahead of its first note. Every reset is listed in the
// summary; those after the first note are returned.
std::vector<const SongMark*> findSetUp(const SongScan& scan, uint64_t firstNote, const TempoMap& songMap,
                                     SongSummary& summary, SetUp& setUp) {
    const uint32_t lastMeta = scan.tracks[0].lastTickZeroMeta;
    setUp.firstFree = lastMeta == kNoEvent ? 0 : lastMeta + 1;
    std::vector<const SongMark*> laterResets;
    for (const SongMark& reset : scan.resets) {
        const bool setsUp = reset.at.tick <= firstNote;
        summary.resets.push_back({static_cast<SysexKind>(reset.value), reset.at.track, reset.at.tick,
                                  songMap.microsecondsAt(reset.at.tick) / 1000, setsUp});
        if (setsUp) {
            summary.afterReset = true;
            summary.setUpReset = summary.resets.size() - 1;
            setUp = SetUp{reset.at.track, reset.at.index + 1, reset.at.tick, 0};
        } else {
            laterResets.push_back(&reset);
        }
    }
    summary.tuningTrack = setUp.track;
    return laterResets;
}

// The song's own tuning messages up to its first note go, unless kept; the
// later ones stay.
void sortOutOldTuning(const SongScan& scan, uint64_t firstNote, const SongTuningOptions& options,
                      SongSummary& summary, std::vector<TrackEdits>& edits) {
    for (const SongMark& tuning : scan.tunings) {
        if (tuning.at.tick > firstNote) {
            ++summary.laterTuning;
        } else if (options.keepOldTuning) {
            ++summary.keptTuning;
        } else {
            ++summary.removedTuning;
            edits[tuning.at.track].removed.push_back(tuning.at.index);
        }
    }
    for (TrackEdits& track : edits) std::sort(track.removed.begin(), track.removed.end());
}

// The tuning after the set-up point and again after every later reset, with
// a warning where tuned notes sound before it has arrived again.
void placeTuning(const uint8_t* song, const SmfLayout& layout, const SongScan& scan, const SetUp& setUp,
                 const std::vector<const SongMark*>& laterResets, const ListingEvents& events,
                 const SongTuningOptions& options, SongSummary& summary, std::vector<TrackEdits>& edits) {
    const TempoMap written = writtenTempoMap(layout.division, scan, setUp);
    const std::vector<uint64_t> ticks = messageTicks(written, setUp.tick, options, events.size());
    addInsertions(edits[setUp.track], ticks, setUp.firstFree, events);
    summary.firstTuningTick = ticks.front();
    summary.firstTuningMs = written.microsecondsAt(ticks.front()) / 1000;
    summary.shiftTicks = setUp.shift;
    summary.shiftMs = (written.microsecondsAt(setUp.tick + setUp.shift) - written.microsecondsAt(setUp.tick)) / 1000;

    std::vector<std::pair<uint64_t, uint64_t>> gaps;  // a reset's tick and its last message's, as written
    for (const SongMark* reset : laterResets) {
        const SongPosition& at = reset->at;
        const uint64_t tick = at.tick + (setUp.moves(at.track, at.index, at.tick) ? setUp.shift : 0);
        const std::vector<uint64_t> again = messageTicks(written, tick, options, events.size());
        addInsertions(edits[at.track], again, at.index + 1, events);
        gaps.emplace_back(tick, again.back());
    }
    summary.retunedResets = static_cast<uint32_t>(laterResets.size());
    if (!gaps.empty() && options.tunedChannels != 0) {
        std::vector<uint32_t> notes(gaps.size());
        countGapNotes(song, layout, setUp, options, gaps, notes);
        // Named by the time the list of resets gives, in the song as read.
        for (std::size_t i = 0; i < gaps.size(); ++i)
            if (notes[i] != 0)
                summary.gapWarnings.push_back({summary.resets[laterResets[i] - scan.resets.data()].ms, notes[i]});
    }
    for (TrackEdits& track : edits)
        std::stable_sort(track.insertions.begin(), track.insertions.end(), insertsBefore);
}

}  // namespace

SongTuningResult tuneSong(const uint8_t* song, std::size_t size, const uint8_t* listing, std::size_t listingSize,
                          const SongTuningOptions& options) {
    SongTuningResult result;
    SmfLayout layout;
    SongScan scan;
    result.error = readSmfLayout(song, size, layout);
    if (result.ok()) result.error = scanSong(song, layout, scan);
    if (!result.ok()) return result;
    result.smfBegin = layout.smfBegin;
    result.smfSize = layout.smfEnd - layout.smfBegin;

    SongSummary& summary = result.summary;
    summary.wrapped = layout.wrapped;
    summary.format = layout.format;
    summary.tracks = static_cast<uint32_t>(layout.tracks.size());
    summary.division = layout.division;
    uint64_t firstNote = kNoTick;
    for (const TrackOpening& track : scan.tracks) firstNote = std::min(firstNote, track.firstNoteTick);
    summary.hasNotes = firstNote != kNoTick;

    SetUp setUp;
    const std::vector<const SongMark*> laterResets =
        findSetUp(scan, firstNote, TempoMap(layout.division, scan.tempoChanges()), summary, setUp);
    const ListingEvents events{listing, splitListing(listing, listingSize, CutMessages::Drop)};
    summary.messages = static_cast<uint32_t>(events.size());
    if (!events.empty()) findShift(song, layout, scan, options, events.size(), setUp);

    std::vector<TrackEdits> edits(layout.tracks.size());
    for (std::size_t t = 0; t < edits.size(); ++t) {
        edits[t].shift = setUp.shift;
        edits[t].firstMoved = t == setUp.track ? setUp.firstFree : kNoEvent;
        edits[t].movedFromTick = setUp.tick;
    }
    sortOutOldTuning(scan, firstNote, options, summary, edits);
    if (!events.empty()) placeTuning(song, layout, scan, setUp, laterResets, events, options, summary, edits);
    result.error = writeEditedSong(song, size, layout, edits, result.bytes);
    return result;
}
