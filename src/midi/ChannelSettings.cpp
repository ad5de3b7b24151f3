#include "midi/ChannelSettings.h"

#include <algorithm>

void ChannelSettings::reset() {
    controllers.fill(kUnset);
    program = pressure = kUnset;
    bend = kPitchBendCenter;
    rangeCents = kDefaultBendRangeCents;
    choice = ParameterChoice{};
    parameterCount = 0;
}

bool ChannelSettings::control(uint8_t controller, uint8_t value) {
    const bool dataEntry = controller == kControllerDataEntry || controller == kControllerDataEntryLsb;
    if (dataEntry && choice.choosesBendRange()) {
        rangeCents = bendRangeAfterDataEntry(rangeCents, controller, value);
        return true;
    }
    choice.control(controller, value);
    if (dataEntry && choice.chosen() >= 0) {
        const int32_t number = choice.chosen();
        Parameter* const end = parameters.data() + parameterCount;
        Parameter* it = std::find_if(parameters.data(), end, [&](const Parameter& p) { return p.number == number; });
        if (it == end) {
            if (parameterCount == kParameterSlots) return false;
            *it = {number, kUnset, kUnset};
            ++parameterCount;
        }
        if (controller == kControllerDataEntry) {
            // MIDI 1.0: a new MSB sets the LSB to 0, which the MSB alone gives again.
            it->msb = value;
            it->lsb = kUnset;
        } else {
            it->lsb = value;
        }
    }
    if (controller < kFirstChannelMode && !isParameterController(controller)) controllers[controller] = value;
    if (controller == kResetAllControllers) {
        for (int c = 1; c < kFirstChannelMode; ++c)
            if (c != kControllerVolume && c != kControllerPan && c != kControllerBankLsb) controllers[c] = kUnset;
        pressure = kUnset;
        bend = kPitchBendCenter;
        choice = ParameterChoice{};
    }
    return false;
}
