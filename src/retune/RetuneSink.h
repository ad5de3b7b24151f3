// Where the engine's messages go, one whole message at a time: a channel
// message with its status byte, or a SysEx from F0 to F7.
#pragma once

#include <cstddef>
#include <cstdint>

class RetuneSink {
public:
    virtual void send(const uint8_t* message, std::size_t size) = 0;
    // The message the engine was given goes out here as it came. A live
    // output sends it like any other; a song keeps its event's own bytes
    // instead of writing the message again.
    virtual void pass(const uint8_t* message, std::size_t size) { send(message, size); }

protected:
    ~RetuneSink() = default;
};
