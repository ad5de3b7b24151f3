// A MIDI input system for the play-through worker's tests: two devices, the
// open one fed by the test's thread as a driver's thread would feed it (the
// device's own queue and SysEx buffers, so that the queue is the one the
// systems use), faults on demand, and the calls recorded. Thread-safe.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "midiin/MidiInDevice.h"

class FakeMidiIn final : public MidiInSystem {
public:
    // Room in an opened device's queue, and its SysEx buffers; set before
    // the open they are meant for.
    std::size_t queuedMessages = 64;
    unsigned sysexBuffers = 4;
    std::size_t sysexBufferSize = 16;

    MidiDeviceList listDevices() override;
    std::unique_ptr<MidiInDevice> open(unsigned index, MidiError& error) override;
    std::string errorText(MidiError error) override;

    void failOpenWith(MidiError error);
    void failStartWith(MidiError error);

    // Blocks until a device is open and started.
    void waitUntilStarted();
    // The driver's side: one whole message into the started device, at the
    // time of `timeUs`; false when no device delivers.
    bool deliver(const Bytes& message, int64_t timeUs = 0);
    // The device fails, with the system's text where it gives one.
    void fail(MidiError code, const std::string& text = std::string());

    // "open N", "start", "stop", "close" in call order.
    std::vector<std::string> calls() const;

private:
    class Device;
    friend class Device;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    MidiError openError_ = 0;
    MidiError startError_ = 0;
    Device* started_ = nullptr;
    std::vector<std::string> calls_;
};
