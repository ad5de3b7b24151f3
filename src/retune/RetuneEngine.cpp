#include "retune/RetuneEngine.h"

#include <cstring>

#include "midi/MessageSplit.h"
#include "midi/SysexMessages.h"
#include "sysex/MtsForms.h"

static_assert(sizeof(TuningListing::bytes) <= kMaxRetuneListingBytes, "a listing must fit the engine");

namespace {

class NoSink : public MidiSink {
public:
    void send(const uint8_t*, std::size_t) override {}
};

// A listing as a receiver takes it, one unit at a time: a SysEx alone, or a
// run of channel messages, which selects a parameter before it sets it and
// so goes whole (the player may have selected another in between). Messages
// cut short are passed over, as they are never sent.
struct ListingUnit {
    std::size_t begin, end;  // begin == the listing's size: no unit left
};

ListingUnit nextUnit(const uint8_t* bytes, std::size_t size, std::size_t at) {
    while (at < size) {
        const MessageExtent extent = listedMessageExtent(bytes, size, at);
        if (!extent.startsMessage || !extent.complete) {
            at = extent.end;
            continue;
        }
        std::size_t end = extent.end;
        if (bytes[at] != kSysexStart) {
            while (end < size && isChannelStatus(bytes[end])) {
                const MessageExtent next = listedMessageExtent(bytes, size, end);
                if (!next.complete) break;
                end = next.end;
            }
        }
        return {at, end};
    }
    return {size, size};
}

// Two listings of the same units, unit for unit the same size: the same
// form and parts with other values, so that a unit the same in both holds
// what the receiver has already.
bool sameUnits(const uint8_t* a, std::size_t aSize, const uint8_t* b, std::size_t bSize) {
    ListingUnit x = nextUnit(a, aSize, 0), y = nextUnit(b, bSize, 0);
    for (; x.begin < aSize && y.begin < bSize; x = nextUnit(a, aSize, x.end), y = nextUnit(b, bSize, y.end))
        if (x.end - x.begin != y.end - y.begin) return false;
    return x.begin == aSize && y.begin == bSize;
}

}  // namespace

RetuneEngine::RetuneEngine(const RetuneOptions& options, const RetuneTuning& tuning)
    : options_(options), out_(mirror_), plan_(planKeys(tuning)), bends_(options_, statistics_),
      mpe_(options_, statistics_) {
    if (options_.method == RetuneMethod::Mpe) mirror_.setZone(MpeZone::kManager, mpe_.zone());
    NoSink nowhere;  // nothing is sent before the start
    out_.begin(nowhere, 0);
    bends_.setPlan(plan_, out_);
    mpe_.setPlan(plan_);
}

bool RetuneEngine::setListing(const uint8_t* listing, std::size_t size, MidiSink& out) {
    if (size > listing_.size()) return false;
    if (started_ && options_.method == RetuneMethod::TuningMessages) {
        out_.begin(out, lastTime_);
        sendChanges(listing, size);
        publish();
    }
    if (size != 0) std::memcpy(listing_.data(), listing, size);
    listingSize_ = size;
    return true;
}

// As live sending does, only what changes the receiver: of a listing made
// of the same units as the one sent, the units that differ; of any other
// (another form, other parts), all of it.
void RetuneEngine::sendChanges(const uint8_t* next, std::size_t size) {
    const bool all = !sameUnits(listing_.data(), listingSize_, next, size);
    ListingUnit held = nextUnit(listing_.data(), listingSize_, 0);
    for (ListingUnit unit = nextUnit(next, size, 0); unit.begin < size;
         unit = nextUnit(next, size, unit.end), held = nextUnit(listing_.data(), listingSize_, held.end)) {
        const std::size_t length = unit.end - unit.begin;
        if (!all && std::memcmp(next + unit.begin, listing_.data() + held.begin, length) == 0) continue;
        forEachListedMessage(next + unit.begin, length, CutMessages::Drop,
                             [&](const ListedMessage& message) { out_.send(next + unit.begin + message.offset, message.size); });
    }
}

void RetuneEngine::setTuning(const RetuneTuning& tuning, MidiSink& out) {
    plan_ = planKeys(tuning);
    out_.begin(out, lastTime_);
    bends_.setPlan(plan_, out_);
    mpe_.setPlan(plan_);
    publish();
}

void RetuneEngine::sendListing() {
    forEachListedMessage(listing_.data(), listingSize_, CutMessages::Drop,
                         [&](const ListedMessage& message) { out_.send(listing_.data() + message.offset, message.size); });
}

void RetuneEngine::start(MidiSink& out) {
    started_ = true;
    statistics_ = RetuneStatistics{};
    setUp(out);
}

void RetuneEngine::setUp(MidiSink& out) {
    out_.begin(out, lastTime_);
    switch (options_.method) {
    case RetuneMethod::TuningMessages: sendListing(); break;
    case RetuneMethod::PitchBend: bends_.setUp(out_); break;
    case RetuneMethod::Mpe: mpe_.setUp(out_); break;
    }
    publish();
}

void RetuneEngine::receiverReset() {
    mirror_.reset();
    bends_.receiverReset();
    mpe_.receiverReset();
}

void RetuneEngine::process(const uint8_t* message, std::size_t size, uint64_t time, MidiSink& out) {
    if (!isWholeMessage(message, size)) return;
    lastTime_ = time;
    out_.begin(out, time, message, size);
    const uint8_t status = message[0];
    if (isChannelStatus(status)) {
        const bool retuned = !(options_.untouchedChannels & (1u << channelOf(status)));
        // The synthesizer retunes it: a note played all the same.
        if (options_.method == RetuneMethod::TuningMessages && retuned && channelKind(status) == kNoteOn &&
            message[2] != 0)
            ++statistics_.notesPlayed;
        if (options_.method == RetuneMethod::TuningMessages || !retuned) out_.passInput();
        else if (options_.method == RetuneMethod::PitchBend) bends_.channelMessage(message, out_);
        else mpe_.channelMessage(message, out_);
    } else {
        out_.passInput();
        if (status == kSysexStart && isReset(recogniseSysex(message, size).kind)) {
            receiverReset();
            if (!options_.setUpWhenAsked) setUp(out);
        }
    }
    publish();
}

void RetuneEngine::stop(MidiSink& out) {
    out_.begin(out, lastTime_);
    for (int c = 0; c < 16; ++c) {
        const ChannelMirror::Channel& channel = mirror_[c];
        for (int key = 0; key < 128; ++key)
            for (int n = channel.down[key]; n > 0; --n)
                out_.send({channelStatus(kNoteOff, c), static_cast<uint8_t>(key), 0x40});
        // The pedals up wherever notes were, whatever the receiver made of
        // the resets and controllers between.
        if (channel.carriedNotes || channel.sustain) out_.control(c, kControllerSustain, 0);
        if (channel.carriedNotes || channel.sostenuto) out_.control(c, kControllerSostenuto, 0);
        if (channel.carriedNotes) out_.control(c, kAllNotesOff, 0);
        if (channel.bend != kPitchBendCenter) out_.bend(c, kPitchBendCenter);
    }
    mirror_.clear();
    bends_ = BendChannels(options_, statistics_);
    mpe_ = MpeZone(options_, statistics_);
    bends_.setPlan(plan_, out_);
    mpe_.setPlan(plan_);
    started_ = false;
    publish();
}

uint16_t RetuneEngine::channelsCarryingNotes() const {
    uint16_t channels = 0;
    for (int c = 0; c < 16; ++c)
        if (mirror_[c].carriedNotes) channels |= static_cast<uint16_t>(1u << c);
    return channels;
}

void RetuneEngine::publish() {
    constexpr auto relaxed = std::memory_order_relaxed;
    published_.notesHeld.store(mirror_.notesSounding(), relaxed);
    published_.channelsInUse.store(mirror_.channelsSounding(), relaxed);
    published_.notesPlayed.store(statistics_.notesPlayed, relaxed);
    published_.offPitchNotes.store(statistics_.offPitchNotes, relaxed);
    published_.largestMissCents.store(statistics_.largestMissCents, relaxed);
    published_.clippedBends.store(statistics_.clippedBends, relaxed);
}

RetuneStatistics RetuneEngine::statistics() const {
    constexpr auto relaxed = std::memory_order_relaxed;
    RetuneStatistics s;
    s.notesHeld = published_.notesHeld.load(relaxed);
    s.channelsInUse = published_.channelsInUse.load(relaxed);
    s.notesPlayed = published_.notesPlayed.load(relaxed);
    s.offPitchNotes = published_.offPitchNotes.load(relaxed);
    s.largestMissCents = published_.largestMissCents.load(relaxed);
    s.clippedBends = published_.clippedBends.load(relaxed);
    return s;
}
