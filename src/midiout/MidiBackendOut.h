// MIDI output over MIDI systems that take each message synchronously and
// report nothing back, as RtMidi offers them (the ALSA sequencer and JACK on
// Linux, CoreMIDI on macOS): several systems' ports in one device list, and
// a device that maps the engine's long-message steps onto a plain send.
// Platform-free; MidiOutDevice_posix.cpp puts RtMidi behind MidiBackend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "midiout/MidiOutDevice.h"
#include "midiout/SendClock.h"

// One open output port of a MIDI system.
class MidiBackendPort {
public:
    virtual ~MidiBackendPort() = default;
    // Hands one whole message (a SysEx, or a channel message) to the system,
    // which has it when this returns. False with the system's text in
    // `error` when it was refused.
    virtual bool send(const uint8_t* bytes, std::size_t count, std::string& error) = 0;
    // False with the system's text when the port would not close; it stays
    // open, and close may be tried again.
    virtual bool close(std::string& error) = 0;
};

// One MIDI system.
class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    // The system's own name ("ALSA", "Jack", "CoreMidi").
    virtual std::string name() const = 0;
    // The output ports it offers now, in its own numbering; false with the
    // system's text when it cannot be reached (no ALSA sequencer device, no
    // JACK server running).
    virtual bool listPorts(std::vector<std::string>& names, std::string& error) = 0;
    // Opens port number `port` of the system's numbering now; null with the
    // system's text on failure.
    virtual std::unique_ptr<MidiBackendPort> open(unsigned port, std::string& error) = 0;
};

// The time a message takes on a MIDI cable (31250 baud, ten bits a byte:
// 0.32 ms a byte), rounded up to whole milliseconds.
int64_t midiWireTimeMs(std::size_t messageSize);

// The device list is the systems' ports in turn, each name led by its
// system's name and ": " when more than one system offers ports (so that a
// user tells an ALSA port from a JACK one), as is; the systems' states go
// with it.
//
// A device opened from it has no message header, and the system reports no
// completion: sendLong sends the message at once; waitDone returns once the
// message's wire time (midiWireTimeMs) has passed since it was handed over,
// so that the pause between messages runs from about the end of the message
// on a cable as it does on Windows, and never times out; unprepare has
// nothing to unprepare; reset has nothing pending to stop and sends nothing
// (the sender plays no notes that would need silencing); close closes the
// port.
//
// Error codes are kMidiBadDeviceId for a device number that no system
// offers any more, and from kMidiBackendErrorBase up one code per distinct
// text a system gave, which errorText returns.
class MidiBackendOut final : public MidiOutSystem {
public:
    MidiBackendOut(std::vector<std::unique_ptr<MidiBackend>> backends, SendClock& clock);

    MidiDeviceList listDevices() override;
    // Opens the port listed as `index` by the last listing (listing first
    // when there was none). Where the system has renumbered its ports since,
    // the port of that name is opened; none of that name is kMidiBadDeviceId.
    std::unique_ptr<MidiOutDevice> open(unsigned index, MidiError& error) override;
    std::string errorText(MidiError error) override;

    static constexpr MidiError kMidiBackendErrorBase = 0x7FFF1000;

private:
    struct Listed {
        std::size_t backend = 0;
        unsigned port = 0;
        std::string name;  // the system's own name of the port
    };
    MidiError codeFor(const std::string& text);

    std::vector<std::unique_ptr<MidiBackend>> backends_;
    SendClock& clock_;
    std::mutex mutex_;  // the list is made on one thread, devices opened on another
    std::vector<Listed> listed_;
    bool everListed_ = false;
    std::vector<std::string> errorTexts_;
};
