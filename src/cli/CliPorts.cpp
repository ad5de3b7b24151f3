#include "cli/CliPorts.h"

#include "cli/CliArguments.h"
#include "midiin/MidiInDevice.h"
#include "midiout/MidiDeviceLookup.h"

namespace {

const char kProgram[] = "velmarin-cli: ";

const char* directionWord(PortDirection direction) { return direction == PortDirection::Output ? "output" : "input"; }

bool sayIfUnavailable(const MidiDeviceList& devices, PortDirection direction, std::ostream& err) {
    if (devices.available) return false;
    err << kProgram << "this system has no MIDI " << directionWord(direction) << " implementation\n";
    return true;
}

void sayWhyNoPorts(const MidiDeviceList& devices, PortDirection direction, std::ostream& err) {
    if (!devices.names.empty() || devices.systems.empty()) return;
    const char* const word = directionWord(direction);
    err << kProgram << "no MIDI " << word << " ports";
    const char* separator = ": ";
    for (const MidiSystemState& system : devices.systems) {
        err << separator << system.name << ": ";
        if (system.reached || system.error.empty())
            err << (system.reached ? std::string("no ") + word + " ports" : "not reached");
        else
            err << system.error;
        separator = "; ";
    }
    err << '\n';
}

}  // namespace

int listPorts(const MidiDeviceList& devices, PortDirection direction, std::ostream& out, std::ostream& err) {
    if (sayIfUnavailable(devices, direction, err)) return kExitBadInput;
    for (std::size_t i = 0; i < devices.names.size(); ++i) out << i << '\t' << devices.names[i] << '\n';
    sayWhyNoPorts(devices, direction, err);
    return kExitSuccess;
}

std::optional<CliPort> findPort(const MidiDeviceList& devices, PortDirection direction, const char* option,
                                const std::string& argument, std::ostream& err) {
    if (sayIfUnavailable(devices, direction, err)) return std::nullopt;
    const MidiDeviceMatch match = findDeviceByArgument(devices.names, argument);
    if (match.status != MidiDeviceMatch::Status::Found) {
        err << kProgram << option << ' ' << argument << ": no such MIDI " << directionWord(direction)
            << " device (velmarin-cli ports" << (direction == PortDirection::Input ? " --inputs" : "")
            << " lists them)\n";
        sayWhyNoPorts(devices, direction, err);
        return std::nullopt;
    }
    return CliPort{match.index, devices.names[match.index]};
}

std::string deviceFaultText(MidiError code, const std::string& text) {
    // The core's own code, which no system has words for.
    if (code == kMidiDeviceGone) return "the device went away";
    if (!text.empty()) return text;
    if (code == kMidiBadDeviceId) return "the port is no longer offered";
    return "error " + std::to_string(code);
}
