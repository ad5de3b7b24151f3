#include "midiout/MidiBackendOut.h"

#include <condition_variable>
#include <functional>
#include <utility>

namespace {

// Called with the system's lock released.
using CodeForText = std::function<MidiError(const std::string&)>;

class BackendDevice final : public MidiOutDevice {
public:
    BackendDevice(std::unique_ptr<MidiBackendPort> port, SendClock& clock, CodeForText codeFor)
        : port_(std::move(port)), clock_(clock), codeFor_(std::move(codeFor)) {}
    ~BackendDevice() override { close(); }
    BackendDevice(const BackendDevice&) = delete;
    BackendDevice& operator=(const BackendDevice&) = delete;

    MidiError sendLong(const uint8_t* bytes, std::size_t count) override {
        const MidiError error = sendShort(bytes, count);
        if (error == 0) doneAtMs_ = clock_.nowMs() + midiWireTimeMs(count);
        return error;
    }
    MidiError sendShort(const uint8_t* bytes, std::size_t count) override {
        if (!port_) return kMidiBadDeviceId;
        std::string text;
        return port_->send(bytes, count, text) ? 0 : codeFor_(text);
    }
    MidiError waitDone(uint32_t) override {
        std::mutex mutex;
        std::condition_variable never;
        std::unique_lock<std::mutex> lock(mutex);
        while (clock_.nowMs() < doneAtMs_) clock_.waitUntil(lock, never, doneAtMs_);
        return 0;
    }
    MidiError unprepare() override { return 0; }
    MidiError reset() override { return 0; }
    MidiError close() override {
        if (!port_) return 0;
        std::string text;
        if (!port_->close(text)) return codeFor_(text);
        port_.reset();
        return 0;
    }

private:
    std::unique_ptr<MidiBackendPort> port_;
    SendClock& clock_;
    CodeForText codeFor_;
    int64_t doneAtMs_ = 0;
};

}  // namespace

int64_t midiWireTimeMs(std::size_t messageSize) {
    constexpr uint64_t kUsPerByte = 320;
    return static_cast<int64_t>((uint64_t{messageSize} * kUsPerByte + 999) / 1000);
}

MidiBackendOut::MidiBackendOut(std::vector<std::unique_ptr<MidiBackend>> backends, SendClock& clock)
    : backends_(std::move(backends)), clock_(clock), ports_(portSources(backends_)) {}

MidiDeviceList MidiBackendOut::listDevices() { return ports_.listDevices(); }

std::unique_ptr<MidiOutDevice> MidiBackendOut::open(unsigned index, MidiError& error) {
    std::size_t backend = 0;
    unsigned number = 0;
    if (!ports_.find(index, backend, number, error)) return nullptr;
    std::string text;
    std::unique_ptr<MidiBackendPort> port = backends_[backend]->open(number, text);
    if (!port) {
        error = ports_.codeFor(text);
        return nullptr;
    }
    error = 0;
    return std::make_unique<BackendDevice>(std::move(port), clock_,
                                           [this](const std::string& t) { return ports_.codeFor(t); });
}

std::string MidiBackendOut::errorText(MidiError error) { return ports_.errorText(error); }
