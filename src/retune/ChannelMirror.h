// What a receiver sounds on each of its sixteen channels, followed from
// every channel message sent to it: the keys held down (a count each: a key
// struck twice sounds twice), the keys held on by the sustain pedal (64) or
// caught by the sostenuto pedal (66), the pitch bend, and since when a
// channel has been silent. The engine learns from it which channel is free
// to be bent, and what a stop must silence.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "midi/StatusBytes.h"

class ChannelMirror {
public:
    struct Channel {
        std::array<uint16_t, 128> down{};
        std::array<bool, 128> sustained{};  // released while the sustain pedal was down
        std::array<bool, 128> caught{};     // down when the sostenuto pedal went down
        bool sustain = false;
        bool sostenuto = false;
        uint16_t bend = kPitchBendCenter;
        int sounding = 0;  // keys sounding
        uint64_t silentSince = 0;
        bool carriedNotes = false;  // a note-on since the mirror was cleared

        bool sounds(int key) const { return down[key] != 0 || sustained[key] || caught[key]; }
    };

    // Follows one whole channel message; `now` is the caller's clock, which
    // never goes back. Other messages are passed over.
    void follow(const uint8_t* message, std::size_t size, uint64_t now);
    // A reset of the receiver (GS Reset, XG System On, GM System On): the
    // pedals up and the bends centred. The keys sound on until their note-offs.
    void reset();
    // As the receiver is at power-on.
    void clear();
    // MPE: the pedals and the channel mode messages on `manager` act on every
    // channel of `zone` (bit n: channel n + 1) as well.
    void setZone(int manager, uint16_t zone);

    const Channel& operator[](int channel) const { return channels_[channel]; }
    uint32_t notesSounding() const { return notesSounding_; }
    uint32_t channelsSounding() const { return channelsSounding_; }

private:
    void control(int channel, uint8_t controller, uint8_t value, uint64_t now);
    void release(int channel, int key, uint64_t now);
    // Brings the counts in step after key `key` of `channel` changed, given
    // whether it sounded before.
    void settle(int channel, int key, bool before, uint64_t now);
    void settleAll(int channel, uint64_t now);

    std::array<Channel, 16> channels_{};
    uint32_t notesSounding_ = 0;
    uint32_t channelsSounding_ = 0;
    int manager_ = -1;
    uint16_t zone_ = 0;
};
