// The retuning engine as a play-through's processor: a player's keyboard
// through it to a synthesizer, retuned live (PlayThrough with this
// processor). The engine runs on the worker's thread alone; a new tuning
// from the front end's thread reaches it through the worker
// (PlayThrough::change), and its statistics may be read from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "play/MidiProcessor.h"
#include "play/PlayThrough.h"
#include "retune/RetuneEngine.h"

class RetuneProcessor final : public MidiProcessor {
public:
    // The engine's clock is its count of messages: a burst from the input
    // is one chord, whatever the system's timestamps say.
    RetuneProcessor(const RetuneOptions& options, const RetuneTuning& tuning);

    // Before the play-through starts: the listing the tuning messages
    // method sends at the start and after every reset (RetuneEngine::
    // setListing). False, with none set, for one longer than
    // kMaxRetuneListingBytes.
    bool setListing(const uint8_t* listing, std::size_t size);

    void start(MidiSink& out) override;
    void process(const uint8_t* message, std::size_t size, MidiSink& out) override;
    // Every note ends: RetuneEngine::stop.
    void stop(MidiSink& out) override;

    // From the front end's thread while `play` runs through this processor:
    // the tuning for the notes to come, set on the worker between two
    // messages; sounding notes keep their pitch until released. `listing`
    // is the tuning messages method's new listing (sent at once), empty
    // for the other methods. False, with nothing handed over, for a listing
    // longer than kMaxRetuneListingBytes.
    bool changeTuning(PlayThrough& play, const RetuneTuning& tuning, std::vector<uint8_t> listing = {});

    // Any thread, any time: the engine's figures as the worker last left them.
    RetuneStatistics statistics() const { return engine_.statistics(); }

private:
    RetuneEngine engine_;
};
