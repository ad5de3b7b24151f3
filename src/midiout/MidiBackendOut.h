// MIDI output over MIDI systems that take each message synchronously and
// report nothing back, as RtMidi offers them (the ALSA sequencer and JACK on
// Linux, CoreMIDI on macOS): several systems' ports in one device list, and
// a device that maps the engine's long-message steps onto a plain send.
// Platform-free; MidiOutDevice_posix.cpp puts RtMidi behind MidiBackend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midiout/MidiBackendPorts.h"
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

// One MIDI system's output side.
class MidiBackend : public MidiPortSource {
public:
    // Opens port number `port` of the system's numbering now; null with the
    // system's text on failure.
    virtual std::unique_ptr<MidiBackendPort> open(unsigned port, std::string& error) = 0;
};

// The time a message takes on a MIDI cable (31250 baud, ten bits a byte:
// 0.32 ms a byte), rounded up to whole milliseconds.
int64_t midiWireTimeMs(std::size_t messageSize);

// The device list is MidiBackendPorts' over the systems' output ports.
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
// Error codes are MidiBackendPorts' (kMidiBackendErrorBase up).
class MidiBackendOut final : public MidiOutSystem {
public:
    MidiBackendOut(std::vector<std::unique_ptr<MidiBackend>> backends, SendClock& clock);

    MidiDeviceList listDevices() override;
    // Opens the port listed as `index` by the last listing (listing first
    // when there was none). Where the system has renumbered its ports since,
    // the port of that name is opened; none of that name is kMidiBadDeviceId.
    std::unique_ptr<MidiOutDevice> open(unsigned index, MidiError& error) override;
    std::string errorText(MidiError error) override;

    static constexpr MidiError kMidiBackendErrorBase = MidiBackendPorts::kMidiBackendErrorBase;

private:
    std::vector<std::unique_ptr<MidiBackend>> backends_;
    SendClock& clock_;
    MidiBackendPorts ports_;
};
