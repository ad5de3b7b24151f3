// The retuning engine: MIDI from a player (or a song) in, one message at a
// time, the messages that play it in tune out, by one of three methods
// (RetuneMethod). The same rules serve a live keyboard and a song rewritten
// with pitch bends. Nothing is allocated once the engine is made: its state
// lies in fixed arrays, and every message goes straight to the sink.
//
// A player's session: start(), then process() for every message that comes,
// setTuning() or setListing() whenever the tuning changes, stop() at the
// end, which leaves no note sounding. Each call sends what it must through
// the sink it is given, at once. One thread drives the engine; statistics()
// may be read from any thread at any time.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "retune/BendChannels.h"
#include "retune/ChannelMirror.h"
#include "retune/MpeZone.h"
#include "retune/RetuneOptions.h"
#include "retune/RetuneOutput.h"
#include "midi/MidiSink.h"
#include "retune/RetuneTuning.h"

// The largest listing the tuning messages method holds: a tuning's SysEx
// and channel messages as the listing builders make them (TuningListing).
constexpr std::size_t kMaxRetuneListingBytes = 4096;

class RetuneEngine {
public:
    RetuneEngine(const RetuneOptions& options, const RetuneTuning& tuning);
    RetuneEngine(const RetuneEngine&) = delete;
    RetuneEngine& operator=(const RetuneEngine&) = delete;

    // The tuning messages method: the listing to send, whole messages (SysEx
    // from F0 to F7, channel messages with their status), as the caller
    // built them; the engine does not read them. After start() it goes out
    // at once: only the messages that change what the receiver holds when
    // the form and parts are those sent before. False, with the listing
    // unchanged, for one longer than kMaxRetuneListingBytes.
    bool setListing(const uint8_t* listing, std::size_t size, MidiSink& out);
    // The tuning for the notes to come, at once; sounding notes keep their
    // pitch until released. Pitch bend: a channel whose bend must change
    // waits until it is silent; with the range left to the engine, one that
    // must widen is written at once with every bend again.
    void setTuning(const RetuneTuning& tuning, MidiSink& out);

    // The set-up: the tuning messages; the range (and null parameter) on
    // every output channel; the MPE configuration and the zone's ranges.
    void start(MidiSink& out);
    // One whole message from the player: a channel message (status and its
    // data bytes), a SysEx from F0 to F7, or a system message; anything else
    // is passed over. `time` is the caller's clock in any unit, never going
    // back; it decides which channel has been silent longest. A reset from
    // the player (GS Reset, XG System On, GM or GM2 System On) goes out,
    // then the set-up again (at once, or with setUp() under setUpWhenAsked).
    void process(const uint8_t* message, std::size_t size, uint64_t time, MidiSink& out);
    // The same with the engine's own count of messages for the clock.
    void process(const uint8_t* message, std::size_t size, MidiSink& out) {
        process(message, size, lastTime_ + 1, out);
    }
    // The set-up after a reset, once the synthesizer listens again.
    void setUp(MidiSink& out);
    // Every note sounding goes off: a note-off for each key down, then on
    // every channel that carried a note the sustain and sostenuto pedals up
    // and All Notes Off, and the bends centred. The engine is then as new,
    // start() beginning again.
    void stop(MidiSink& out);

    RetuneStatistics statistics() const;

    // For a song's driver: a reset the song holds itself (its event stays);
    // setUp() follows once its gap has passed.
    void receiverReset();
    // Bit n: channel n + 1 carried a note since the engine was made or
    // last stopped.
    uint16_t channelsCarryingNotes() const;

private:
    void sendListing();
    void sendChanges(const uint8_t* next, std::size_t size);
    void publish();

    RetuneOptions options_;
    RetuneStatistics statistics_;
    ChannelMirror mirror_;
    RetuneOutput out_;
    KeyPlan plan_;
    BendChannels bends_;
    MpeZone mpe_;
    std::array<uint8_t, kMaxRetuneListingBytes> listing_{};
    std::size_t listingSize_ = 0;
    bool started_ = false;
    uint64_t lastTime_ = 0;

    struct Published {
        std::atomic<uint32_t> notesHeld{0};
        std::atomic<uint32_t> channelsInUse{0};
        std::atomic<uint64_t> notesPlayed{0};
        std::atomic<uint32_t> offPitchNotes{0};
        std::atomic<double> largestMissCents{0};
        std::atomic<uint32_t> clippedBends{0};
    };
    Published published_;
};
