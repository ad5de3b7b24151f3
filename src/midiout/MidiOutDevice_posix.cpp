// The MIDI systems RtMidi was built with (the ALSA sequencer and JACK on
// Linux, CoreMIDI on macOS) behind MidiBackend.
#include "midiout/JackMidiOut_posix.h"
#include "midiout/MidiBackendOut.h"
#include "midiout/RtMidiClient_posix.h"

namespace {

class RtMidiPort final : public MidiBackendPort {
public:
    explicit RtMidiPort(RtMidiClient<RtMidiOut> client) : client_(std::move(client)) {
        // The report moved with the client; RtMidi must call the new one.
        client_.midi->setErrorCallback(&RtMidiReport::receive, &client_.report);
    }
    bool send(const uint8_t* bytes, std::size_t count, std::string& error) override {
        client_.begin();
        client_.midi->sendMessage(bytes, count);
        return client_.succeeded(error);
    }
    bool close(std::string& error) override {
        client_.begin();
        client_.midi->closePort();
        return client_.succeeded(error);
    }

private:
    RtMidiClient<RtMidiOut> client_;
};

class RtMidiBackend final : public MidiBackend {
public:
    explicit RtMidiBackend(RtMidi::Api api) : api_(api) {}

    std::string name() const override { return RtMidi::getApiDisplayName(api_); }
    bool listPorts(std::vector<std::string>& names, std::string& error) override {
        RtMidiClient<RtMidiOut> client;
        return client.start(api_, error) && client.listPorts(names, error);
    }
    std::unique_ptr<MidiBackendPort> open(unsigned port, std::string& error) override {
#ifdef VELMARIN_JACK_OUT
        if (api_ == RtMidi::UNIX_JACK) return openJackMidiOut(port, error);
#endif
        RtMidiClient<RtMidiOut> client;
        if (!client.start(api_, error)) return nullptr;
        client.begin();
        client.midi->openPort(port, "out");
        if (!client.succeeded(error)) return nullptr;
        return std::make_unique<RtMidiPort>(std::move(client));
    }

private:
    RtMidi::Api api_;
};

std::vector<std::unique_ptr<MidiBackend>> compiledBackends() {
    std::vector<std::unique_ptr<MidiBackend>> backends;
    for (RtMidi::Api api : compiledRtMidiApis()) backends.push_back(std::make_unique<RtMidiBackend>(api));
    return backends;
}

}  // namespace

MidiOutSystem& platformMidiOut() {
    static MidiBackendOut system(compiledBackends(), steadyClock());
    return system;
}
