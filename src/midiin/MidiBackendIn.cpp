#include "midiin/MidiBackendIn.h"

#include <atomic>
#include <chrono>
#include <utility>

#include "midiin/QueuedMidiIn.h"

namespace {

int64_t steadyUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class BackendInDevice final : public PooledMidiIn, public MidiBackendReceiver {
public:
    explicit BackendInDevice(MidiBackendPorts& ports)
        : PooledMidiIn(MidiBackendIn::kQueuedMessages, MidiBackendIn::kSysexBuffers,
                       MidiBackendIn::kSysexBufferSize),
          ports_(ports) {}
    ~BackendInDevice() override {
        // The port goes first: its thread must not hand anything to a
        // device being destroyed.
        port_.reset();
    }
    BackendInDevice(const BackendInDevice&) = delete;
    BackendInDevice& operator=(const BackendInDevice&) = delete;

    void adopt(std::unique_ptr<MidiBackendInPort> port) { port_ = std::move(port); }

    MidiError stop() override {
        std::string text;
        return port_->stop(text) ? 0 : ports_.codeFor(text);
    }
    void received(const uint8_t* bytes, std::size_t size) noexcept override {
        pushWhole(bytes, size, steadyUs() - startUs_.load(std::memory_order_relaxed));
    }
    void failed(const std::string& text) override { fail(ports_.codeFor(text), text); }

private:
    MidiError startSystem() override {
        startUs_.store(steadyUs(), std::memory_order_relaxed);
        std::string text;
        return port_->start(text) ? 0 : ports_.codeFor(text);
    }

    MidiBackendPorts& ports_;
    std::unique_ptr<MidiBackendInPort> port_;
    std::atomic<int64_t> startUs_{0};
};
}  // namespace

MidiBackendIn::MidiBackendIn(std::vector<std::unique_ptr<MidiInBackend>> backends)
    : backends_(std::move(backends)), ports_(portSources(backends_)) {}

MidiDeviceList MidiBackendIn::listDevices() { return ports_.listDevices(); }

std::unique_ptr<MidiInDevice> MidiBackendIn::open(unsigned index, MidiError& error) {
    std::size_t backend = 0;
    unsigned number = 0;
    if (!ports_.find(index, backend, number, error)) return nullptr;
    auto device = std::make_unique<BackendInDevice>(ports_);
    std::string text;
    std::unique_ptr<MidiBackendInPort> port = backends_[backend]->open(number, *device, text);
    if (!port) {
        error = ports_.codeFor(text);
        return nullptr;
    }
    device->adopt(std::move(port));
    error = 0;
    return device;
}

std::string MidiBackendIn::errorText(MidiError error) { return ports_.errorText(error); }
