// What stands between a player's keyboard and a synthesizer while playing
// through (PlayThrough): each message from the input goes through a
// processor, which sends what the synthesizer is to get instead. The
// retuning engine is one (RetuneProcessor); PassThroughProcessor, which
// changes nothing, is the simplest.
#pragma once

#include <cstddef>
#include <cstdint>

#include "midi/MidiSink.h"

// Called on the play-through worker's thread only, one call at a time, so
// that a processor needs no lock of its own. Its sink is the output device:
// the output takes each message before send returns (a SysEx once the
// device is done with it); a failure of the output is the worker's to
// report, and a processor sends on as if there were none.
//
// A new tuning (or any other change) reaches a processor the same way: the
// front end hands the worker a function (PlayThrough::change) that the
// worker calls on its thread between two messages, with the sink, and that
// calls the processor's own setter; the setter may send (to move notes that
// sound now to their new pitch).
class MidiProcessor {
public:
    virtual ~MidiProcessor() = default;
    // Both devices are open: send what the synthesizer needs before the
    // first message (the retuning's set-up). Called once, as the first call.
    virtual void start(MidiSink&) {}
    // One message from the input, whole, in the order they arrived.
    virtual void process(const uint8_t* message, std::size_t size, MidiSink& out) = 0;
    // Play-through ends (stopped, or a device failed): send what ends every
    // note still sounding through what this processor sent, and leaves no
    // controller (a held sustain pedal) keeping one. Called once, as the
    // last call, before the devices close; the output may have failed, and
    // the messages are tried all the same.
    virtual void stop(MidiSink& out) = 0;
};
