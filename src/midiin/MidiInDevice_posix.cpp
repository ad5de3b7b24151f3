// The MIDI systems RtMidi was built with (the ALSA sequencer and JACK on
// Linux, CoreMIDI on macOS) behind MidiInBackend.
#include <atomic>

#include "midiin/MidiBackendIn.h"
#include "midiout/RtMidiClient_posix.h"

namespace {

// RtMidi calls back on a thread of its own (ALSA's) or in JACK's process
// cycle; the callback only hands the message to the receiver, which queues
// it. RtMidi's reports outside a call of ours (none are known to come, but
// its error callback is the only way one would) are the port's failure.
class RtMidiInPort final : public MidiBackendInPort {
public:
    RtMidiInPort(RtMidiClient<RtMidiIn> client, unsigned port, MidiBackendReceiver& receiver)
        : client_(std::move(client)), port_(port), receiver_(receiver) {
        client_.midi->setErrorCallback(&RtMidiInPort::report, this);
        client_.midi->setCallback(&RtMidiInPort::deliver, this);
        // SysEx matter (a keyboard's reset); the clock and active sensing
        // do not.
        client_.midi->ignoreTypes(false, true, true);
    }
    RtMidiInPort(const RtMidiInPort&) = delete;
    RtMidiInPort& operator=(const RtMidiInPort&) = delete;

    bool connect(std::string& error) {
        Call call(*this);
        client_.midi->openPort(port_, "in");
        return client_.succeeded(error);
    }
    bool start(std::string& error) override {
        if (!client_.midi->isPortOpen() && !connect(error)) return false;
        delivering_.store(true, std::memory_order_release);
        return true;
    }
    bool stop(std::string& error) override {
        delivering_.store(false, std::memory_order_release);
        // Closing the port is what waits for RtMidi's thread to let go.
        Call call(*this);
        client_.midi->closePort();
        return client_.succeeded(error);
    }

private:
    // While a call of ours runs, RtMidi's reports are that call's outcome.
    struct Call {
        explicit Call(RtMidiInPort& port) : port(port) {
            port.client_.begin();
            port.inCall_.store(true, std::memory_order_release);
        }
        ~Call() { port.inCall_.store(false, std::memory_order_release); }
        RtMidiInPort& port;
    };

    static void deliver(double, std::vector<unsigned char>* message, void* self) {
        auto& port = *static_cast<RtMidiInPort*>(self);
        if (port.delivering_.load(std::memory_order_acquire) && !message->empty())
            port.receiver_.received(message->data(), message->size());
    }
    static void report(RtMidiError::Type type, const std::string& text, void* self) {
        auto& port = *static_cast<RtMidiInPort*>(self);
        if (port.inCall_.load(std::memory_order_acquire)) {
            RtMidiReport::receive(type, text, &port.client_.report);
        } else if (type != RtMidiError::DEBUG_WARNING && type != RtMidiError::WARNING) {
            RtMidiReport report;
            RtMidiReport::receive(type, text, &report);
            port.receiver_.failed(report.message());
        }
    }

    RtMidiClient<RtMidiIn> client_;
    unsigned port_;
    MidiBackendReceiver& receiver_;
    std::atomic<bool> delivering_{false};
    std::atomic<bool> inCall_{false};
};

class RtMidiInBackend final : public MidiInBackend {
public:
    explicit RtMidiInBackend(RtMidi::Api api) : api_(api) {}

    std::string name() const override { return RtMidi::getApiDisplayName(api_); }
    bool listPorts(std::vector<std::string>& names, std::string& error) override {
        RtMidiClient<RtMidiIn> client;
        return client.start(api_, error) && client.listPorts(names, error);
    }
    std::unique_ptr<MidiBackendInPort> open(unsigned port, MidiBackendReceiver& receiver,
                                            std::string& error) override {
        RtMidiClient<RtMidiIn> client;
        if (!client.start(api_, error)) return nullptr;
        auto opened = std::make_unique<RtMidiInPort>(std::move(client), port, receiver);
        if (!opened->connect(error)) return nullptr;
        return opened;
    }

private:
    RtMidi::Api api_;
};

std::vector<std::unique_ptr<MidiInBackend>> compiledBackends() {
    std::vector<std::unique_ptr<MidiInBackend>> backends;
    for (RtMidi::Api api : compiledRtMidiApis()) backends.push_back(std::make_unique<RtMidiInBackend>(api));
    return backends;
}

}  // namespace

MidiInSystem& platformMidiIn() {
    static MidiBackendIn system(compiledBackends());
    return system;
}
