// Finding an output device among the devices present now: by the name the
// settings remember, or by the "INDEX or NAME" text of a command line.
#pragma once

#include <string>
#include <vector>

struct MidiDeviceMatch {
    enum class Status {
        None,     // no device chosen (empty name)
        Found,    // `index` is the device
        Missing,  // a name or number that no present device has
    };
    Status status = Status::None;
    unsigned index = 0;
};

// Exact, byte-for-byte match of `remembered` with a present device's name;
// the first of equal names wins. A name no longer present is `missing`, never
// replaced by another device.
MidiDeviceMatch findDeviceByName(const std::vector<std::string>& names,
                                 const std::string& remembered);

// Text made only of decimal digits is a device number (0-based, as listed);
// any other text is a device name, matched as by findDeviceByName. Empty text
// is `missing`, as is a number past the last device.
MidiDeviceMatch findDeviceByArgument(const std::vector<std::string>& names,
                                     const std::string& argument);
