// Where MIDI goes one whole message at a time: a channel message with its
// status byte, another short message, or a SysEx from F0 to F7. The
// retuning engine sends into one, and a play-through's processor
// (play/MidiProcessor.h) into the output device through one.
#pragma once

#include <cstddef>
#include <cstdint>

class MidiSink {
public:
    virtual void send(const uint8_t* message, std::size_t size) = 0;
    // A message that came in, going out as it came. A live output sends it
    // like any other; a song keeps its event's own bytes instead of writing
    // the message again.
    virtual void pass(const uint8_t* message, std::size_t size) { send(message, size); }

protected:
    ~MidiSink() = default;
};
