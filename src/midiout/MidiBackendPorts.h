// One device list over the ports of several MIDI systems that RtMidi offers
// side by side (the ALSA sequencer and JACK on Linux, CoreMIDI on macOS),
// for output as for input. Platform-free.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "midiout/MidiOutDevice.h"

// The ports of one MIDI system, in one direction.
class MidiPortSource {
public:
    virtual ~MidiPortSource() = default;
    // The system's own name ("ALSA", "Jack", "CoreMidi").
    virtual std::string name() const = 0;
    // The ports it offers now, in its own numbering; false with the
    // system's text when it cannot be reached (no ALSA sequencer device, no
    // JACK server running).
    virtual bool listPorts(std::vector<std::string>& names, std::string& error) = 0;
};

// The device list is the systems' ports in turn, each name led by its
// system's name and ": " when more than one system offers ports (so that a
// user tells an ALSA port from a JACK one), as is; the systems' states go
// with it.
//
// Error codes are kMidiBadDeviceId for a device number that no system
// offers any more, and from kMidiBackendErrorBase up one code per distinct
// text a system gave, which errorText returns.
class MidiBackendPorts {
public:
    static constexpr MidiError kMidiBackendErrorBase = 0x7FFF1000;

    // The sources must outlive the list.
    explicit MidiBackendPorts(std::vector<MidiPortSource*> sources);

    MidiDeviceList listDevices();
    // Where device `index` of the last listing (listing first when there
    // was none) is now: its source and the source's port number. Where the
    // system has renumbered its ports since, the port of that name; none of
    // that name is kMidiBadDeviceId.
    bool find(unsigned index, std::size_t& source, unsigned& port, MidiError& error);
    std::string errorText(MidiError error);
    MidiError codeFor(const std::string& text);

private:
    struct Listed {
        std::size_t source = 0;
        unsigned port = 0;
        std::string name;  // the system's own name of the port
    };

    std::vector<MidiPortSource*> sources_;
    std::mutex mutex_;  // the list is made on one thread, devices opened on another
    std::vector<Listed> listed_;
    bool everListed_ = false;
    std::vector<std::string> errorTexts_;
};

// The sources of a list of systems, for MidiBackendPorts.
template <class Backend>
std::vector<MidiPortSource*> portSources(const std::vector<std::unique_ptr<Backend>>& backends) {
    std::vector<MidiPortSource*> sources;
    for (const auto& backend : backends) sources.push_back(backend.get());
    return sources;
}
