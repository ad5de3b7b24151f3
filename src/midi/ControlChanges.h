// Controllers as a receiver follows them: registered parameters chosen by
// controllers 101 and 100 and set through data entry (6), among them the
// tuning program (3) and tuning bank (4) that the key-based forms of the
// MIDI Tuning Standard retune.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

constexpr uint8_t kControlChange = 0xB0;
constexpr bool isControlChange(uint8_t status) { return (status & 0xF0) == kControlChange; }
constexpr uint8_t kControllerBankMsb = 0;
constexpr uint8_t kControllerDataEntry = 6;
constexpr uint8_t kControllerVolume = 7;
constexpr uint8_t kControllerBalance = 8;
constexpr uint8_t kControllerPan = 10;
constexpr uint8_t kControllerExpression = 11;
constexpr uint8_t kControllerBankLsb = 32;
constexpr uint8_t kControllerDataEntryLsb = 38;
constexpr uint8_t kControllerSustain = 64;  // 64 and above: down
constexpr uint8_t kControllerSostenuto = 66;  // holds the keys down when it went down
constexpr uint8_t kControllerDataIncrement = 96;
constexpr uint8_t kControllerDataDecrement = 97;
// 120-127 are channel mode messages, not controllers that hold a value.
constexpr uint8_t kFirstChannelMode = 120;
constexpr uint8_t kAllSoundOff = 120;
constexpr uint8_t kResetAllControllers = 121;
constexpr uint8_t kAllNotesOff = 123;
constexpr bool isPedalDown(uint8_t value) { return value >= 64; }
// What a receiver holds after a reset, for the controllers whose value is
// not 0 then (General MIDI's recommended practice).
constexpr uint8_t controllerDefault(uint8_t controller) {
    return controller == kControllerVolume ? 100
         : controller == kControllerBalance || controller == kControllerPan ? 64
         : controller == kControllerExpression ? 127
                                               : 0;
}
constexpr uint8_t kControllerNrpnLsb = 98;
constexpr uint8_t kControllerNrpnMsb = 99;
constexpr uint8_t kControllerRpnLsb = 100;
constexpr uint8_t kControllerRpnMsb = 101;
constexpr uint8_t kNullParameter = 0x7F;  // 7F 7F: no parameter chosen

constexpr uint16_t kRpnPitchBendRange = 0;  // data entry: semitones, its LSB cents
// General MIDI's range, and the one every reset restores.
constexpr double kDefaultBendRangeCents = 200;
// Fine tuning (1): a 14-bit value, 8192 = none, 8192 steps per 100 cents.
// Coarse tuning (2): data entry MSB 64 + semitones, the LSB unused.
constexpr uint16_t kRpnFineTuning = 1;
constexpr uint16_t kRpnCoarseTuning = 2;
constexpr uint8_t kCoarseTuningNone = 64;
constexpr int32_t kLowestCoarseTuning = -64;
constexpr int32_t kHighestCoarseTuning = 63;
constexpr uint16_t kRpnTuningProgram = 3;
constexpr uint16_t kRpnTuningBank = 4;

// The controllers that choose a parameter or write the one chosen: data
// entry (6, 38), increment and decrement (96, 97), the non-registered and
// registered parameter numbers (98-101).
constexpr bool isParameterController(uint8_t c) {
    return c == kControllerDataEntry || c == kControllerDataEntryLsb || c == kControllerDataIncrement ||
           c == kControllerDataDecrement || (c >= kControllerNrpnLsb && c <= kControllerRpnMsb);
}

// Which parameter a channel's data entry writes: the registered or the
// non-registered one whose number came last (101/100 or 99/98), or none
// while the registered null parameter is chosen.
struct ParameterChoice {
    uint8_t rpnMsb = kNullParameter, rpnLsb = kNullParameter;
    uint8_t nrpnMsb = kNullParameter, nrpnLsb = kNullParameter;
    bool nonRegistered = false;  // 99 or 98 came last

    void control(uint8_t controller, uint8_t value) {
        switch (controller) {
        case kControllerRpnMsb: rpnMsb = value; nonRegistered = false; break;
        case kControllerRpnLsb: rpnLsb = value; nonRegistered = false; break;
        case kControllerNrpnMsb: nrpnMsb = value; nonRegistered = true; break;
        case kControllerNrpnLsb: nrpnLsb = value; nonRegistered = true; break;
        default: break;
        }
    }
    bool operator==(const ParameterChoice& o) const {
        return rpnMsb == o.rpnMsb && rpnLsb == o.rpnLsb && nrpnMsb == o.nrpnMsb && nrpnLsb == o.nrpnLsb &&
               nonRegistered == o.nonRegistered;
    }
    bool operator!=(const ParameterChoice& o) const { return !(*this == o); }
    bool choosesBendRange() const { return !nonRegistered && rpnMsb == 0 && rpnLsb == kRpnPitchBendRange; }
    // The parameter written: MSB << 7 | LSB, with 1 << 14 added for a
    // non-registered one; -1 for none.
    int32_t chosen() const {
        if (nonRegistered) return 1 << 14 | nrpnMsb << 7 | nrpnLsb;
        if (rpnMsb == kNullParameter && rpnLsb == kNullParameter) return -1;
        return rpnMsb << 7 | rpnLsb;
    }
};

// The pitch-bend range after a data entry on registered parameter 0: its
// MSB (6) sets the semitones and the cents to 0, as MIDI 1.0 has a
// receiver do; its LSB (38) sets the cents and keeps the semitones.
double bendRangeAfterDataEntry(double rangeCents, uint8_t controller, uint8_t value);

struct ParameterWrite {
    uint16_t parameter;  // the registered parameter: MSB << 7 | LSB
    uint8_t value;       // data entry MSB, or LSB when `leastSignificant`
    bool leastSignificant = false;
};

// Coarse tuning of `channel` (0-15) by `semitones` (held to -64..63)
// through registered parameter 2, then the null parameter: 15 bytes.
constexpr std::size_t kCoarseTuningSize = 15;
uint8_t* appendCoarseTuning(uint8_t* out, int channel, int32_t semitones);

class RegisteredParameters {
public:
    // Follows one control change on `channel` (0-15). A data entry writes the
    // registered parameter chosen last (controller 6 its MSB, 38 its LSB),
    // and is returned; none when the null
    // parameter is chosen, or a non-registered one (controllers 99 and 98)
    // was chosen after it.
    std::optional<ParameterWrite> control(int channel, uint8_t controller, uint8_t value);

private:
    std::array<ParameterChoice, 16> channels_{};
};

// The tuning program and bank each channel selects through registered
// parameters 3 and 4, as the MIDI Tuning Standard's receiver keeps them.
class TuningProgramSelects {
public:
    void control(int channel, uint8_t controller, uint8_t value);
    // Bit n: channel n + 1 selected `program` in bank `bank`.
    uint16_t channelsSelecting(uint8_t program, uint8_t bank) const;

private:
    struct Selection {
        bool selected = false;
        uint8_t program = 0;
        uint8_t bank = 0;
    };
    RegisteredParameters parameters_;
    std::array<Selection, 16> channels_{};
};

// The coarse and fine tuning each channel holds through registered
// parameters 2 and 1, in cents (a receiver's master tuning of the channel).
// A fine tuning's data entry MSB sets its LSB to 0, as MIDI 1.0 has a
// receiver do.
class ChannelTunings {
public:
    void control(int channel, uint8_t controller, uint8_t value);
    // Bit n: channel n + 1 received a coarse or fine tuning.
    uint16_t tunedChannels() const;
    // The cents of coarse and fine tuning together; 0 for an untuned channel.
    double cents(int channel) const;

private:
    struct Tuning {
        bool tuned = false;
        uint8_t coarse = kCoarseTuningNone;
        uint8_t fineMsb = 64;
        uint8_t fineLsb = 0;
    };
    RegisteredParameters parameters_;
    std::array<Tuning, 16> channels_{};
};
