#include "midi/SongScan.h"

#include <algorithm>

#include "midi/ControlChanges.h"
#include "midi/SysexMessages.h"

namespace {

bool marksBefore(const SongMark& a, const SongMark& b) { return soundsBefore(a.at, b.at); }

}  // namespace

uint16_t SongScan::usedChannels() const {
    uint16_t used = 0;
    for (int c = 0; c < 16; ++c)
        if (channels[c].events != 0) used |= static_cast<uint16_t>(1u << c);
    return used;
}

std::vector<TempoChange> SongScan::tempoChanges() const {
    std::vector<TempoChange> changes;
    changes.reserve(tempos.size());
    for (const SongMark& tempo : tempos) changes.push_back({tempo.at.tick, tempo.value});
    return changes;
}

SmfFault scanSong(const uint8_t* file, const SmfLayout& layout, SongScan& scan) {
    scan.tracks.assign(layout.tracks.size(), TrackOpening{});
    std::array<ParameterChoice, 16> choices{};
    std::array<double, 16> ranges{};
    uint32_t lastTrack = kNoEvent;
    const SmfFault fault = forEachTrackEvent(file, layout, [&](uint32_t track, const TrackEvent& event) {
        TrackOpening& opening = scan.tracks[track];
        if (track != lastTrack) {
            lastTrack = track;
            choices.fill(ParameterChoice{});
            ranges.fill(kDefaultBendRangeCents);
        }
        const SongPosition at{event.tick, track, event.index};
        if (event.isSysex()) {
            const SysexFacts sysex = recogniseSysexEvent(file + event.dataOffset, event.dataLength);
            if (isReset(sysex.kind)) scan.resets.push_back({at, static_cast<uint32_t>(sysex.kind)});
            else if (isScaleTuning(sysex.kind) && sysex.terminated) scan.tunings.push_back({at, 0});
        } else if (event.status == kMetaEvent) {
            if (event.metaType == kMetaTempo && event.dataLength == 3) {
                const uint8_t* tempo = file + event.dataOffset;
                scan.tempos.push_back({at, uint32_t{tempo[0]} << 16 | uint32_t{tempo[1]} << 8 | tempo[2]});
            }
            if (event.tick == 0 && !event.isEndOfTrack() && opening.firstNote == kNoEvent)
                opening.lastTickZeroMeta = event.index;
        } else if (event.isChannelMessage()) {
            const int c = event.channel();
            ChannelUse& use = scan.channels[c];
            ++use.events;
            const uint8_t* data = file + event.dataOffset;
            if (event.isNoteOn(file)) {
                use.firstNoteTick = std::min(use.firstNoteTick, event.tick);
                use.keysPlayed[data[0]] = true;
                if (opening.firstNote == kNoEvent) {
                    opening.firstNote = event.index;
                    opening.firstNoteTick = event.tick;
                }
            } else if (isControlChange(event.status)) {
                choices[c].control(data[0], data[1]);
                if (choices[c].choosesBendRange() &&
                    (data[0] == kControllerDataEntry || data[0] == kControllerDataEntryLsb))
                    ranges[c] = bendRangeAfterDataEntry(ranges[c], data[0], data[1]);
                use.widestBendRangeCents = std::max(use.widestBendRangeCents, ranges[c]);
            }
        }
    });
    if (!fault.ok()) return fault;
    for (auto* list : {&scan.resets, &scan.tunings, &scan.tempos}) std::sort(list->begin(), list->end(), marksBefore);
    return {};
}
