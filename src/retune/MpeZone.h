// The MPE method: the synthesizer is told it has a lower zone (channel 1
// its manager, channels 2 to 1 + n its members), and each note sounds on a
// member channel of its own bent to its pitch, so that no two notes share a
// bend. The player's wheel, pedals, controllers, program and channel
// pressure go to the manager channel, which the whole zone follows; a
// note's key pressure becomes the pressure of its member channel.
#pragma once

#include <array>
#include <cstdint>

#include "midi/ChannelSettings.h"
#include "retune/RetuneOptions.h"
#include "retune/RetuneOutput.h"
#include "retune/RetuneTuning.h"

class MpeZone {
public:
    static constexpr int kManager = 0;  // channel 1

    MpeZone(const RetuneOptions& options, RetuneStatistics& statistics);
    void setPlan(const KeyPlan& plan) { plan_ = plan; }
    // The zone's configuration and the bend ranges of its channels, at the
    // start and again after each reset.
    void setUp(RetuneOutput& out);
    void receiverReset();
    void channelMessage(const uint8_t* message, RetuneOutput& out);
    // Bit n: channel n + 1 belongs to the zone, the manager with it.
    uint16_t zone() const;

private:
    int chooseMember(double need, const ChannelMirror& mirror);
    void sendRange(int channel, int semitones, int cents, RetuneOutput& out);

    RetuneStatistics* statistics_;
    KeyPlan plan_{};
    int memberCount_;
    int range_;         // semitones on the member channels
    uint16_t members_;  // the members notes may take
    ChannelSettings player_;  // the player's range, followed for the manager channel
    std::array<double, 16> memberCents_{};  // the bend each member holds for the tuning
    // Each input channel's keys: the member their last note went to, and the key it sounds there.
    std::array<std::array<int8_t, 128>, 16> noteChannel_;
    std::array<std::array<uint8_t, 128>, 16> noteKey_;
};
