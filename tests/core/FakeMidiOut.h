// A MIDI output system for the engine's tests: virtual time, devices that
// record every message with the virtual times it was handed over and
// finished, and faults on demand. Thread-safe: the engine's worker calls it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "midiout/MidiBackendOut.h"
#include "midiout/MidiOutDevice.h"
#include "midiout/SendClock.h"

// Time moves only when the device plays a message or the engine waits: a
// wait returns at once with the clock at its deadline.
class FakeClock final : public SendClock {
public:
    int64_t nowMs() override;
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                   int64_t deadlineMs) override;
    void advance(int64_t ms);
    // Set before a send: run by the engine's next wait with the engine's lock
    // released, as a real wait lets others in; the wait returns early.
    std::function<void()> duringNextWait;

private:
    std::mutex mutex_;
    int64_t now_ = 0;
};

// A long message, or a short one (done as it is handed over).
struct DeliveredMessage {
    unsigned device = 0;
    Bytes bytes;
    int64_t handedAtMs = 0;
    int64_t doneAtMs = 0;
    std::size_t callsBefore = 0;  // calls() recorded when it was handed over
};

class FakeMidiOut final : public MidiOutSystem {
public:
    explicit FakeMidiOut(FakeClock& clock) : clock_(clock) {}

    MidiDeviceList listDevices() override;
    std::unique_ptr<MidiOutDevice> open(unsigned index, MidiError& error) override;
    std::string errorText(MidiError error) override;

    // Faults and timing; set before the send they are meant for.
    void setPlayMs(int64_t ms);
    void failOpenWith(MidiError error);  // 0: opens succeed again
    // The message with this delivery number (0-based over the system's
    // life) fails in sendLong, or in waitDone when `inWait`.
    void failMessageWith(std::size_t number, MidiError error, bool inWait = false);
    void neverComplete(bool never);
    // Once `count` messages have been delivered, every further one, short or
    // long, fails with `error` (a device unplugged) and goes to refused().
    void failSendsAfter(std::size_t count, MidiError error);
    std::vector<Bytes> refused() const;
    // The next this many unprepares of a prepared header fail, as when the
    // driver still holds the message (kMidiStillPlaying). Set before a send.
    int unprepareRefusals = 0;
    // The device plays message `number` until releaseHold(): the test acts
    // while the engine is certainly inside that message.
    void holdAtMessage(std::size_t number);
    void waitUntilHeld();
    void releaseHold();

    std::vector<DeliveredMessage> delivered() const;
    // "open N", "reset", "unprepare", "close" and "timeout N" (the wait the
    // engine asked for) in call order; unprepare only when a header was
    // prepared, "unprepare-refused" when it refused; "freed while prepared"
    // for a device destroyed with its header prepared.
    std::vector<std::string> calls() const;
    int openDevices() const;

private:
    class Device;
    friend class Device;
    // Called with the lock held: the error of a send past failSendsAfter.
    MidiError refuseAfterCount(const uint8_t* bytes, std::size_t count);

    FakeClock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int64_t playMs_ = 0;
    MidiError openError_ = 0;
    std::size_t failNumber_ = SIZE_MAX;
    MidiError failError_ = 0;
    bool failInWait_ = false;
    bool never_ = false;
    std::size_t failAfter_ = SIZE_MAX;
    MidiError failAfterError_ = 0;
    std::vector<Bytes> refused_;
    std::size_t holdNumber_ = SIZE_MAX;
    bool held_ = false;
    std::vector<DeliveredMessage> delivered_;
    std::vector<std::string> calls_;
    int openDevices_ = 0;
};

// A MIDI system under MidiBackendOut as RtMidi shows one: ports by name and
// failures with the system's text, set before the send they are meant for.
// `received` holds what its ports took, `device` being the port's number.
struct FakeMidiBackend final : MidiBackend {
    FakeMidiBackend(std::string name, std::vector<std::string> ports, FakeClock& clock)
        : system(std::move(name)), ports(std::move(ports)), clock(clock) {}
    std::string name() const override { return system; }
    bool listPorts(std::vector<std::string>& names, std::string& error) override;
    std::unique_ptr<MidiBackendPort> open(unsigned port, std::string& error) override;

    std::string system;
    std::vector<std::string> ports;  // may change between a listing and an open
    FakeClock& clock;
    std::string unreachable, openRefusal, sendRefusal;
    std::size_t refuseMessage = SIZE_MAX;  // 0-based over the system's life
    std::vector<DeliveredMessage> received;
};
