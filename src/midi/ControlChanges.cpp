#include "midi/ControlChanges.h"

std::optional<ParameterWrite> RegisteredParameters::control(int channel, uint8_t controller, uint8_t value) {
    Choice& choice = channels_[channel & 0x0F];
    switch (controller) {
    case kControllerRpnMsb:
        choice.msb = value;
        choice.registered = true;
        break;
    case kControllerRpnLsb:
        choice.lsb = value;
        choice.registered = true;
        break;
    case kControllerNrpnMsb:
    case kControllerNrpnLsb: choice.registered = false; break;
    case kControllerDataEntry:
        if (!choice.registered || (choice.msb == kNullParameter && choice.lsb == kNullParameter)) break;
        return ParameterWrite{static_cast<uint16_t>(choice.msb << 7 | choice.lsb), value};
    default: break;
    }
    return std::nullopt;
}

void TuningProgramSelects::control(int channel, uint8_t controller, uint8_t value) {
    const std::optional<ParameterWrite> write = parameters_.control(channel, controller, value);
    if (!write) return;
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
