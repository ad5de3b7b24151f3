#include "midiout/MidiBackendPorts.h"

#include <utility>

MidiBackendPorts::MidiBackendPorts(std::vector<MidiPortSource*> sources) : sources_(std::move(sources)) {}

MidiDeviceList MidiBackendPorts::listDevices() {
    MidiDeviceList list;
    list.available = true;
    std::vector<Listed> listed;
    std::size_t offering = 0;
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        MidiSystemState state;
        state.name = sources_[s]->name();
        std::vector<std::string> ports;
        state.reached = sources_[s]->listPorts(ports, state.error);
        if (!state.reached) ports.clear();
        offering += ports.empty() ? 0 : 1;
        for (unsigned p = 0; p < ports.size(); ++p) listed.push_back({s, p, ports[p]});
        list.systems.push_back(std::move(state));
    }
    for (const Listed& port : listed)
        list.names.push_back(offering > 1 ? list.systems[port.source].name + ": " + port.name
                                          : port.name);
    std::lock_guard<std::mutex> lock(mutex_);
    listed_ = std::move(listed);
    everListed_ = true;
    return list;
}

bool MidiBackendPorts::find(unsigned index, std::size_t& source, unsigned& port, MidiError& error) {
    bool listed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        listed = everListed_;
    }
    if (!listed) listDevices();
    Listed wanted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (index >= listed_.size()) {
            error = kMidiBadDeviceId;
            return false;
        }
        wanted = listed_[index];
    }
    std::vector<std::string> ports;
    std::string text;
    if (!sources_[wanted.source]->listPorts(ports, text)) {
        error = codeFor(text);
        return false;
    }
    // Another program may have come or gone since the list was shown; the
    // user chose the port by its name.
    if (wanted.port >= ports.size() || ports[wanted.port] != wanted.name) {
        wanted.port = 0;
        while (wanted.port < ports.size() && ports[wanted.port] != wanted.name) ++wanted.port;
        if (wanted.port == ports.size()) {
            error = kMidiBadDeviceId;
            return false;
        }
    }
    source = wanted.source;
    port = wanted.port;
    error = 0;
    return true;
}

std::string MidiBackendPorts::errorText(MidiError error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (error < kMidiBackendErrorBase || error - kMidiBackendErrorBase >= errorTexts_.size())
        return {};
    return errorTexts_[error - kMidiBackendErrorBase];
}

MidiError MidiBackendPorts::codeFor(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t i = 0;
    while (i < errorTexts_.size() && errorTexts_[i] != text) ++i;
    if (i == errorTexts_.size()) errorTexts_.push_back(text);
    return kMidiBackendErrorBase + static_cast<MidiError>(i);
}
