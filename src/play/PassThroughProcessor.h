// The processor that sends every message on as it came: play-through with
// no retuning, for the tests and as the plainest processor to follow.
#pragma once

#include <bitset>

#include "play/MidiProcessor.h"

class PassThroughProcessor final : public MidiProcessor {
public:
    // Sends `message` on unchanged, following the notes it starts and ends
    // and the sustain pedal on each channel.
    void process(const uint8_t* message, std::size_t size, MidiSink& out) override;
    // A note off (velocity 64) for each note still on, channel by channel
    // and key by key from the lowest, then a sustain pedal up on each
    // channel that holds it down.
    void stop(MidiSink& out) override;

private:
    std::bitset<16 * 128> sounding_;  // channel * 128 + key
    std::bitset<16> pedalDown_;
};
