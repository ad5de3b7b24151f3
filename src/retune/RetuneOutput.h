// The one way out of the engine's methods: every message goes to the sink
// and, a channel message, through the mirror of what the receiver sounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "midi/ControlChanges.h"
#include "midi/StatusBytes.h"
#include "retune/ChannelMirror.h"
#include "midi/MidiSink.h"

class RetuneOutput {
public:
    explicit RetuneOutput(ChannelMirror& mirror) : mirror_(mirror) {}

    // For one call of the engine: where its messages go, the caller's clock,
    // and the message it was given (none for a call of its own).
    void begin(MidiSink& sink, uint64_t now, const uint8_t* input = nullptr, std::size_t inputSize = 0) {
        sink_ = &sink;
        now_ = now;
        input_ = input;
        inputSize_ = inputSize;
    }
    uint64_t now() const { return now_; }
    const ChannelMirror& mirror() const { return mirror_; }

    void send(const uint8_t* message, std::size_t size) {
        mirror_.follow(message, size, now_);
        sink_->send(message, size);
    }
    void send(std::initializer_list<uint8_t> message) { send(message.begin(), message.size()); }
    void control(int channel, uint8_t controller, uint8_t value) {
        send({channelStatus(kControlChange, channel), controller, value});
    }
    void bend(int channel, uint16_t value) {
        send({channelStatus(kPitchBend, channel), pitchBendLsb(value), pitchBendMsb(value)});
    }
    // The message given, as it came.
    void passInput() {
        mirror_.follow(input_, inputSize_, now_);
        sink_->pass(input_, inputSize_);
    }

private:
    ChannelMirror& mirror_;
    MidiSink* sink_ = nullptr;
    uint64_t now_ = 0;
    const uint8_t* input_ = nullptr;
    std::size_t inputSize_ = 0;
};
