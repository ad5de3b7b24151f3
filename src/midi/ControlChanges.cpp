#include "midi/ControlChanges.h"

#include <algorithm>
#include <cmath>

uint8_t* appendCoarseTuning(uint8_t* out, int channel, int32_t semitones) {
    const int32_t held = std::clamp(semitones, kLowestCoarseTuning, kHighestCoarseTuning);
    const uint8_t status = static_cast<uint8_t>(kControlChange | (channel & 0x0F));
    const uint8_t controllers[5][2] = {
        {kControllerRpnMsb, 0}, {kControllerRpnLsb, kRpnCoarseTuning},
        {kControllerDataEntry, static_cast<uint8_t>(kCoarseTuningNone + held)},
        {kControllerRpnMsb, kNullParameter}, {kControllerRpnLsb, kNullParameter},
    };
    for (const auto& controller : controllers) {
        *out++ = status;
        *out++ = controller[0];
        *out++ = controller[1];
    }
    return out;
}

double bendRangeAfterDataEntry(double rangeCents, uint8_t controller, uint8_t value) {
    return controller == kControllerDataEntry ? value * 100.0 : std::floor(rangeCents / 100.0) * 100.0 + value;
}

std::optional<ParameterWrite> RegisteredParameters::control(int channel, uint8_t controller, uint8_t value) {
    ParameterChoice& choice = channels_[channel & 0x0F];
    choice.control(controller, value);
    if (controller != kControllerDataEntry && controller != kControllerDataEntryLsb) return std::nullopt;
    const int32_t parameter = choice.chosen();
    if (parameter < 0 || parameter >= 1 << 14) return std::nullopt;
    return ParameterWrite{static_cast<uint16_t>(parameter), value, controller == kControllerDataEntryLsb};
}

void TuningProgramSelects::control(int channel, uint8_t controller, uint8_t value) {
    const std::optional<ParameterWrite> write = parameters_.control(channel, controller, value);
    if (!write || write->leastSignificant) return;
    Selection& selection = channels_[channel & 0x0F];
    if (write->parameter == kRpnTuningProgram) {
        selection.selected = true;
        selection.program = write->value;
    } else if (write->parameter == kRpnTuningBank) {
        selection.bank = write->value;
    }
}

uint16_t TuningProgramSelects::channelsSelecting(uint8_t program, uint8_t bank) const {
    uint16_t channels = 0;
    for (int n = 0; n < 16; ++n)
        if (channels_[n].selected && channels_[n].program == program && channels_[n].bank == bank)
            channels |= static_cast<uint16_t>(1u << n);
    return channels;
}

void ChannelTunings::control(int channel, uint8_t controller, uint8_t value) {
    const std::optional<ParameterWrite> write = parameters_.control(channel, controller, value);
    if (!write) return;
    Tuning& tuning = channels_[channel & 0x0F];
    if (write->parameter == kRpnCoarseTuning && !write->leastSignificant) {
        tuning.tuned = true;
        tuning.coarse = write->value;
    } else if (write->parameter == kRpnFineTuning) {
        tuning.tuned = true;
        if (write->leastSignificant) {
            tuning.fineLsb = write->value;
        } else {
            // MIDI 1.0: a new MSB sets the LSB to 0; an LSB may follow it.
            tuning.fineMsb = write->value;
            tuning.fineLsb = 0;
        }
    }
}

uint16_t ChannelTunings::tunedChannels() const {
    uint16_t channels = 0;
    for (int n = 0; n < 16; ++n)
        if (channels_[n].tuned) channels |= static_cast<uint16_t>(1u << n);
    return channels;
}

double ChannelTunings::cents(int channel) const {
    const Tuning& tuning = channels_[channel & 0x0F];
    const int fine = (tuning.fineMsb << 7 | tuning.fineLsb) - 8192;
    return (int{tuning.coarse} - kCoarseTuningNone) * 100.0 + fine * 100.0 / 8192.0;
}
