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
    if (size != 0) std::memcpy(listing_.data(), listing, size);
    listingSize_ = size;
    if (started_ && options_.method == RetuneMethod::TuningMessages) {
        out_.begin(out, lastTime_);
        sendListing();
        publish();
    }
    return true;
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
