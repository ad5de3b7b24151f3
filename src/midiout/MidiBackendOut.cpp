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
    : backends_(std::move(backends)), clock_(clock) {}

MidiDeviceList MidiBackendOut::listDevices() {
    MidiDeviceList list;
    list.available = true;
    std::vector<Listed> listed;
    std::size_t offering = 0;
    for (std::size_t b = 0; b < backends_.size(); ++b) {
        MidiSystemState state;
        state.name = backends_[b]->name();
        std::vector<std::string> ports;
        state.reached = backends_[b]->listPorts(ports, state.error);
        if (!state.reached) ports.clear();
        offering += ports.empty() ? 0 : 1;
        for (unsigned p = 0; p < ports.size(); ++p) listed.push_back({b, p, ports[p]});
        list.systems.push_back(std::move(state));
    }
    for (const Listed& port : listed)
        list.names.push_back(offering > 1 ? list.systems[port.backend].name + ": " + port.name
                                          : port.name);
    std::lock_guard<std::mutex> lock(mutex_);
    listed_ = std::move(listed);
    everListed_ = true;
    return list;
}

std::unique_ptr<MidiOutDevice> MidiBackendOut::open(unsigned index, MidiError& error) {
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
            return nullptr;
        }
        wanted = listed_[index];
    }
    MidiBackend& backend = *backends_[wanted.backend];
    std::vector<std::string> ports;
    std::string text;
    if (!backend.listPorts(ports, text)) {
        error = codeFor(text);
        return nullptr;
    }
    // Another program may have come or gone since the list was shown; the
    // user chose the port by its name.
    if (wanted.port >= ports.size() || ports[wanted.port] != wanted.name) {
        wanted.port = 0;
        while (wanted.port < ports.size() && ports[wanted.port] != wanted.name) ++wanted.port;
        if (wanted.port == ports.size()) {
            error = kMidiBadDeviceId;
            return nullptr;
        }
    }
    std::unique_ptr<MidiBackendPort> port = backend.open(wanted.port, text);
    if (!port) {
        error = codeFor(text);
        return nullptr;
    }
    error = 0;
    return std::make_unique<BackendDevice>(std::move(port), clock_,
                                           [this](const std::string& t) { return codeFor(t); });
}

std::string MidiBackendOut::errorText(MidiError error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (error < kMidiBackendErrorBase || error - kMidiBackendErrorBase >= errorTexts_.size())
        return {};
    return errorTexts_[error - kMidiBackendErrorBase];
}

MidiError MidiBackendOut::codeFor(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t i = 0;
    while (i < errorTexts_.size() && errorTexts_[i] != text) ++i;
    if (i == errorTexts_.size()) errorTexts_.push_back(text);
    return kMidiBackendErrorBase + static_cast<MidiError>(i);
}
