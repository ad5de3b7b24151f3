// The MIDI devices as the command line shows and names them: listed by
// `ports` (`ports --inputs`), chosen by --port and --in.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "midiout/MidiOutDevice.h"

enum class PortDirection { Output, Input };

struct CliPort {
    unsigned index = 0;
    std::string name;
};

// "NUMBER<TAB>NAME" a line for each device. kExitBadInput, after one line
// on `err`, where the platform has no MIDI of that direction; an empty list
// from several systems (RtMidi's) is no failure, and one line on `err` says
// what each system answered.
int listPorts(const MidiDeviceList& devices, PortDirection direction, std::ostream& out, std::ostream& err);

// The device `argument` (of `option`, "--port" or "--in") names, by number
// or name as listed (findDeviceByArgument); nothing, after the message on
// `err`, when there is none.
std::optional<CliPort> findPort(const MidiDeviceList& devices, PortDirection direction, const char* option,
                                const std::string& argument, std::ostream& err);

// Why a device failed, from the system's code and text: words for the
// core's kMidiDeviceGone, else the system's text where it gave one, else
// words for the codes the command line knows, else the code.
std::string deviceFaultText(MidiError code, const std::string& text);
