#include "midiout/MidiDeviceLookup.h"

MidiDeviceMatch findDeviceByName(const std::vector<std::string>& names,
                                 const std::string& remembered) {
    MidiDeviceMatch match;
    if (remembered.empty()) return match;
    match.status = MidiDeviceMatch::Status::Missing;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == remembered) {
            match.status = MidiDeviceMatch::Status::Found;
            match.index = static_cast<unsigned>(i);
            break;
        }
    }
    return match;
}

MidiDeviceMatch findDeviceByArgument(const std::vector<std::string>& names,
                                     const std::string& argument) {
    MidiDeviceMatch match;
    match.status = MidiDeviceMatch::Status::Missing;
    if (argument.empty()) return match;
    if (argument.find_first_not_of("0123456789") != std::string::npos)
        return findDeviceByName(names, argument);
    // Digits beyond any device count cannot name a device; stop before they
    // overflow.
    unsigned long long number = 0;
    for (char digit : argument) {
        number = number * 10 + static_cast<unsigned>(digit - '0');
        if (number >= names.size()) return match;
    }
    match.status = MidiDeviceMatch::Status::Found;
    match.index = static_cast<unsigned>(number);
    return match;
}
