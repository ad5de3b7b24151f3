// One channel as a sender has set it: its controllers, program, pressure,
// pitch bend and bend range, the parameter its data entry writes and the
// parameters written. What a rewrite needs to give another channel the same
// state, or to add the sender's bends to its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "midi/ControlChanges.h"
#include "midi/StatusBytes.h"

struct ChannelSettings {
    static constexpr int16_t kUnset = -1;
    // Parameters written and remembered; a channel seldom writes more than a
    // dozen, and the ones past this are not remembered.
    static constexpr std::size_t kParameterSlots = 64;
    struct Parameter {
        int32_t number;  // as ParameterChoice::chosen gives it
        int16_t msb;     // the data entry written (6, 38), or kUnset
        int16_t lsb;     // kUnset again after each MSB, which sets it to 0
    };

    std::array<int16_t, 128> controllers;  // below 120, the parameter controllers aside; or kUnset
    int16_t program = kUnset;
    int16_t pressure = kUnset;
    uint16_t bend = kPitchBendCenter;
    double rangeCents = kDefaultBendRangeCents;
    ParameterChoice choice;
    std::array<Parameter, kParameterSlots> parameters{};
    std::size_t parameterCount = 0;

    ChannelSettings() { reset(); }
    // As a receiver's reset leaves it: nothing set.
    void reset();
    // Follows a control change. True for a data entry on the bend range
    // (registered parameter 0), which sets `rangeCents` and nothing else.
    // Reset All Controllers (121) forgets the controllers but volume, pan
    // and bank select, the pressure and the bend, and chooses no parameter,
    // as General MIDI's recommended practice has it.
    bool control(uint8_t controller, uint8_t value);
    // The bend in cents at the channel's range.
    double bendCents() const { return (bend - double{kPitchBendCenter}) * rangeCents / kPitchBendCenter; }
};
