// The pitch-bend method: each note of a retuned channel (a source) sounds on
// an output channel (a target) bent to its pitch. A target keeps its bend
// while any note sounds on it, held by a key or a pedal, so a chord needs no
// bend before each note and no sounding note is ever bent again; a note
// takes a target of its source that holds its bend, else the one silent
// longest, which first gets the source's instrument and controllers; with
// none left, the one bent nearest to it, counted off pitch. The source's own
// bends are added on every target that carries its notes, and its
// controllers, program and pressure reach them all.
#pragma once

#include <array>
#include <cstdint>

#include "midi/ChannelSettings.h"
#include "retune/RetuneOptions.h"
#include "retune/RetuneOutput.h"
#include "retune/RetuneTuning.h"

class BendChannels {
public:
    BendChannels(const RetuneOptions& options, RetuneStatistics& statistics);

    // The tuning for the notes to come. With the range left to the engine,
    // one that must widen is written at once with every bend again.
    void setPlan(const KeyPlan& plan, RetuneOutput& out);
    // The range and the bends on every target in use (a player's: on every
    // output channel), at the start and again after each reset.
    void setUp(RetuneOutput& out);
    // A reset of the receiver: every channel as it leaves it.
    void receiverReset();
    // One whole channel message of a retuned source.
    void channelMessage(const uint8_t* message, RetuneOutput& out);
    int range() const { return range_; }

private:
    struct Source {
        ChannelSettings settings;
        std::array<int8_t, 128> noteChannel;  // the target each key's last note went to
        std::array<uint8_t, 128> noteKey;     // ... and the key it sounds there
        std::array<bool, 128> noteLent;       // ... on a target another source owns
    };
    struct Target {
        int owner;               // the source whose notes it plays, or none
        double tuningCents = 0;  // the bend it holds for the tuning
        std::array<int16_t, 128> controllers;  // as given to it, or ChannelSettings::kUnset
        int16_t program = ChannelSettings::kUnset;
        bool holdsRange = false;  // since the last reset
        ParameterChoice choice;   // the parameter its data entry writes
    };

    int chooseTarget(int source, int key, const ChannelMirror& mirror);
    void borrow(int t, int source, RetuneOutput& out);
    void setController(int t, uint8_t controller, uint8_t value, RetuneOutput& out);
    void control(int t, uint8_t controller, uint8_t value, RetuneOutput& out);
    uint16_t bendValue(double cents);
    double sourceCents(int t) const;
    void sendBend(int t, bool always, RetuneOutput& out);
    void sendRange(int t, RetuneOutput& out);
    bool readyAtSetUp(int t) const;
    void changeRange(int semitones, RetuneOutput& out);
    int automaticRange() const;
    uint8_t soundingKey(const Source& source, int key) const;

    void noteOn(int source, const uint8_t* message, RetuneOutput& out);
    void noteOff(int source, const uint8_t* message, RetuneOutput& out);
    void keyPressure(int source, const uint8_t* message, RetuneOutput& out);
    void controlChange(int source, const uint8_t* message, RetuneOutput& out);
    void pitchBend(int source, const uint8_t* message, RetuneOutput& out);
    void programOrPressure(int source, const uint8_t* message, RetuneOutput& out);

    const RetuneOptions* options_;
    RetuneStatistics* statistics_;
    KeyPlan plan_{};
    double widestCents_ = 0;  // of the plan
    int range_;
    bool setUp_ = false;
    std::array<Source, 16> sources_{};
    std::array<Target, 16> targets_{};
    uint16_t free_;  // targets any source may borrow
};
