#include "FakeMidiOut.h"

#include <utility>

int64_t FakeClock::nowMs() {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

void FakeClock::waitUntil(std::unique_lock<std::mutex>& engineLock, std::condition_variable&,
                          int64_t deadlineMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (std::function<void()> action = std::exchange(duringNextWait, nullptr)) {
        lock.unlock();
        engineLock.unlock();
        action();
        engineLock.lock();
    } else if (now_ < deadlineMs) {
        now_ = deadlineMs;
    }
}


void FakeClock::advance(int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += ms;
}

class FakeMidiOut::Device final : public MidiOutDevice {
public:
    Device(FakeMidiOut& system, unsigned index) : system_(system), index_(index) {}
    ~Device() override {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        --system_.openDevices_;
        if (prepared_) system_.calls_.push_back("freed while prepared");
    }

    MidiError sendLong(const uint8_t* bytes, std::size_t count) override {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        number_ = system_.delivered_.size();
        if (number_ == system_.failNumber_ && !system_.failInWait_) {
            system_.failNumber_ = SIZE_MAX;
            return system_.failError_;
        }
        if (const MidiError error = system_.refuseAfterCount(bytes, count)) return error;
        system_.delivered_.push_back(
            {index_, Bytes(bytes, bytes + count), system_.clock_.nowMs(), -1, system_.calls_.size()});
        prepared_ = true;
        return 0;
    }
    MidiError sendShort(const uint8_t* bytes, std::size_t count) override {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        if (const MidiError error = system_.refuseAfterCount(bytes, count)) return error;
        const int64_t now = system_.clock_.nowMs();
        system_.delivered_.push_back({index_, Bytes(bytes, bytes + count), now, now, system_.calls_.size()});
        return 0;
    }
    MidiError waitDone(uint32_t timeoutMs) override {
        std::unique_lock<std::mutex> lock(system_.mutex_);
        if (number_ == system_.failNumber_ && system_.failInWait_) {
            system_.failNumber_ = SIZE_MAX;
            return system_.failError_;
        }
        if (system_.never_) {
            system_.calls_.push_back("timeout " + std::to_string(timeoutMs));
            system_.clock_.advance(timeoutMs);
            return kMidiTimedOut;
        }
        if (number_ == system_.holdNumber_) {
            system_.held_ = true;
            system_.changed_.notify_all();
            system_.changed_.wait(lock, [this] { return system_.holdNumber_ == SIZE_MAX; });
        }
        system_.clock_.advance(system_.playMs_);
        system_.delivered_[number_].doneAtMs = system_.clock_.nowMs();
        return 0;
    }
    MidiError unprepare() override {
        if (!prepared_) return 0;
        std::lock_guard<std::mutex> lock(system_.mutex_);
        const bool refused = system_.unprepareRefusals > 0;
        system_.unprepareRefusals -= refused ? 1 : 0;
        system_.calls_.push_back(refused ? "unprepare-refused" : "unprepare");
        prepared_ = refused;
        return refused ? kMidiStillPlaying : 0;
    }
    MidiError reset() override {
        record("reset");
        return 0;
    }
    MidiError close() override {
        record("close");
        return 0;
    }

private:
    void record(const char* call) {
        std::lock_guard<std::mutex> lock(system_.mutex_);
        system_.calls_.push_back(call);
    }

    FakeMidiOut& system_;
    unsigned index_;
    std::size_t number_ = 0;
    bool prepared_ = false;
};

MidiDeviceList FakeMidiOut::listDevices() { return {true, {"Fake Synth A", "Fake Synth B"}, {}}; }

std::unique_ptr<MidiOutDevice> FakeMidiOut::open(unsigned index, MidiError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back("open " + std::to_string(index));
    error = index < 2 ? openError_ : kMidiBadDeviceId;
    if (error != 0) return nullptr;
    ++openDevices_;
    return std::make_unique<Device>(*this, index);
}

std::string FakeMidiOut::errorText(MidiError error) { return "fake error " + std::to_string(error); }

void FakeMidiOut::setPlayMs(int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    playMs_ = ms;
}

void FakeMidiOut::failOpenWith(MidiError error) {
    std::lock_guard<std::mutex> lock(mutex_);
    openError_ = error;
}

void FakeMidiOut::failMessageWith(std::size_t number, MidiError error, bool inWait) {
    std::lock_guard<std::mutex> lock(mutex_);
    failNumber_ = number;
    failError_ = error;
    failInWait_ = inWait;
}

void FakeMidiOut::neverComplete(bool never) {
    std::lock_guard<std::mutex> lock(mutex_);
    never_ = never;
}

void FakeMidiOut::failSendsAfter(std::size_t count, MidiError error) {
    std::lock_guard<std::mutex> lock(mutex_);
    failAfter_ = count;
    failAfterError_ = error;
}

MidiError FakeMidiOut::refuseAfterCount(const uint8_t* bytes, std::size_t count) {
    if (delivered_.size() < failAfter_) return 0;
    refused_.emplace_back(bytes, bytes + count);
    return failAfterError_;
}

std::vector<Bytes> FakeMidiOut::refused() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return refused_;
}

void FakeMidiOut::holdAtMessage(std::size_t number) {
    std::lock_guard<std::mutex> lock(mutex_);
    holdNumber_ = number;
    held_ = false;
}

void FakeMidiOut::waitUntilHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return held_; });
}

void FakeMidiOut::releaseHold() {
    std::lock_guard<std::mutex> lock(mutex_);
    holdNumber_ = SIZE_MAX;
    changed_.notify_all();
}

std::vector<DeliveredMessage> FakeMidiOut::delivered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return delivered_;
}

std::vector<std::string> FakeMidiOut::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

int FakeMidiOut::openDevices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return openDevices_;
}

namespace {

struct FakeBackendPort final : MidiBackendPort {
    FakeBackendPort(FakeMidiBackend& system, unsigned port) : system(system), port(port) {}
    bool send(const uint8_t* bytes, std::size_t count, std::string& error) override {
        error = system.sendRefusal;
        if (system.received.size() == system.refuseMessage) return false;
        const int64_t now = system.clock.nowMs();
        system.received.push_back({port, Bytes(bytes, bytes + count), now, now});
        return true;
    }
    bool close(std::string&) override { return true; }
    FakeMidiBackend& system;
    unsigned port;
};

}  // namespace

bool FakeMidiBackend::listPorts(std::vector<std::string>& names, std::string& error) {
    error = unreachable;
    names = ports;
    return unreachable.empty();
}

std::unique_ptr<MidiBackendPort> FakeMidiBackend::open(unsigned port, std::string& error) {
    error = openRefusal;
    if (!openRefusal.empty() || port >= ports.size()) return nullptr;
    return std::make_unique<FakeBackendPort>(*this, port);
}
