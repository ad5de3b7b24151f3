#include "FakeMidiIn.h"

#include "midiin/QueuedMidiIn.h"

class FakeMidiIn::Device final : public PooledMidiIn {
public:
    explicit Device(FakeMidiIn& system)
        : PooledMidiIn(system.queuedMessages, system.sysexBuffers, system.sysexBufferSize), system_(system) {}
    ~Device() override {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        if (system_.started_ == this) system_.started_ = nullptr;
        system_.calls_.push_back("close");
    }

    MidiError stop() override {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        if (system_.started_ == this) system_.started_ = nullptr;
        system_.calls_.push_back("stop");
        return 0;
    }
    // With the system's lock held, so that stop() waits for it.
    void deliver(const Bytes& message, int64_t timeUs) { pushWhole(message.data(), message.size(), timeUs); }
    void failWith(MidiError code, const std::string& text) { fail(code, text); }

private:
    MidiError startSystem() override {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        system_.calls_.push_back("start");
        if (system_.startError_ != 0) return system_.startError_;
        system_.started_ = this;
        system_.changed_.notify_all();
        return 0;
    }

    FakeMidiIn& system_;
};

MidiDeviceList FakeMidiIn::listDevices() { return {true, {"Fake Keyboard A", "Fake Keyboard B"}, {}}; }

std::unique_ptr<MidiInDevice> FakeMidiIn::open(unsigned index, MidiError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back("open " + std::to_string(index));
    error = index < 2 ? openError_ : kMidiBadDeviceId;
    if (error != 0) return nullptr;
    return std::make_unique<Device>(*this);
}

std::string FakeMidiIn::errorText(MidiError error) { return "fake input error " + std::to_string(error); }

void FakeMidiIn::failOpenWith(MidiError error) {
    std::lock_guard<std::mutex> lock(mutex_);
    openError_ = error;
}

void FakeMidiIn::failStartWith(MidiError error) {
    std::lock_guard<std::mutex> lock(mutex_);
    startError_ = error;
}

void FakeMidiIn::waitUntilStarted() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return started_ != nullptr; });
}

bool FakeMidiIn::deliver(const Bytes& message, int64_t timeUs) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!started_) return false;
    started_->deliver(message, timeUs);
    return true;
}

void FakeMidiIn::fail(MidiError code, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (started_) started_->failWith(code, text);
}

std::vector<std::string> FakeMidiIn::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}
