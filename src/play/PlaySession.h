// One play-through with the retuning engine, as a front end holds it while
// the user plays: the engine's processor and the worker that runs it, made
// together and ended together. Ending it (stop, or destroying it) ends every
// sounding note through the engine before the devices close, whatever way
// the front end goes out by.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "play/PlayThrough.h"
#include "play/RetuneProcessor.h"
#include "settings/AppSettings.h"

// The engine's options for the choices a user made: the method; pitch bend
// on the output channels chosen (none chosen: every one) at the range
// chosen, from 1 to 24 semitones (0: as wide as needed); MPE on all fifteen
// member channels at the range chosen (0: MPE's own 48); channel 10 passed
// as it comes or retuned like any other.
RetuneOptions retuneOptionsOf(const PlayChoices& choices);

class PlaySession {
public:
    // Starts playing input device `inIndex` through to output device
    // `outIndex` (see PlayThrough) in `tuning`; `listing` is what the tuning
    // messages method sends first and after every reset from the keyboard
    // (kept empty for the other methods). The listener hears every event
    // on the worker's thread. The systems must outlive the session.
    PlaySession(MidiInSystem& inSystem, unsigned inIndex, MidiOutSystem& outSystem, unsigned outIndex,
                const RetuneOptions& options, const RetuneTuning& tuning, const std::vector<uint8_t>& listing,
                PlayThrough::Listener listener);
    // stop().
    ~PlaySession();
    PlaySession(const PlaySession&) = delete;
    PlaySession& operator=(const PlaySession&) = delete;

    // New notes take `tuning` at once, sounding ones keep theirs; for the
    // tuning messages method `listing` goes out at once (ignored otherwise).
    // What the engine holds already is not handed over again.
    void changeTuning(const RetuneTuning& tuning, std::vector<uint8_t> listing);
    // Every note ends, then the devices close (PlayThrough::stop). Idempotent.
    void stop();
    // Any thread: the engine's figures now.
    RetuneStatistics statistics() const { return processor_.statistics(); }

private:
    const bool sendsListing_;
    RetuneTuning tuning_;           // as last handed over
    std::vector<uint8_t> listing_;  // the same; empty unless sendsListing_
    RetuneProcessor processor_;
    std::optional<PlayThrough> play_;  // ends before the processor it plays through
};
