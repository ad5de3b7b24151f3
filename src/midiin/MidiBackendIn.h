// MIDI input over the MIDI systems RtMidi offers (the ALSA sequencer and
// JACK on Linux, CoreMIDI on macOS), which hand over whole messages: their
// input ports in one device list, as MidiBackendPorts makes it, and a device
// that queues what a port hands over. Platform-free; MidiInDevice_posix.cpp
// puts RtMidi behind MidiInBackend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midiin/MidiInDevice.h"
#include "midiout/MidiBackendPorts.h"

// Where an open port hands what arrives.
class MidiBackendReceiver {
public:
    // One whole message, on the system's input thread: a SysEx from F0 to
    // F7, or a short message.
    virtual void received(const uint8_t* bytes, std::size_t size) noexcept = 0;
    // Any thread: the port stopped working, in the system's words.
    virtual void failed(const std::string& text) = 0;

protected:
    ~MidiBackendReceiver() = default;
};

// One open input port of a MIDI system; destroying it closes it.
class MidiBackendInPort {
public:
    virtual ~MidiBackendInPort() = default;
    // Begins handing messages to the receiver; false with the system's text.
    virtual bool start(std::string& error) = 0;
    // None is handed over once it returns; false with the system's text.
    virtual bool stop(std::string& error) = 0;
};

// One MIDI system's input side.
class MidiInBackend : public MidiPortSource {
public:
    // Opens port number `port` of the system's numbering now, to hand what
    // arrives to `receiver` once started; null with the system's text.
    virtual std::unique_ptr<MidiBackendInPort> open(unsigned port, MidiBackendReceiver& receiver,
                                                    std::string& error) = 0;
};

// The device list is MidiBackendPorts' over the systems' input ports, a
// device opened from it the port of that name; error codes are
// MidiBackendPorts'. A message's time is taken from the steady clock when
// the port hands it over.
class MidiBackendIn final : public MidiInSystem {
public:
    // Room for this many messages waiting, and SysEx buffers that hold
    // 64 KiB together: a bulk dump fits one, and a player's keyboard sends
    // few others.
    static constexpr std::size_t kQueuedMessages = 4096;
    static constexpr unsigned kSysexBuffers = 32;
    static constexpr std::size_t kSysexBufferSize = 2048;

    explicit MidiBackendIn(std::vector<std::unique_ptr<MidiInBackend>> backends);

    MidiDeviceList listDevices() override;
    std::unique_ptr<MidiInDevice> open(unsigned index, MidiError& error) override;
    std::string errorText(MidiError error) override;

private:
    std::vector<std::unique_ptr<MidiInBackend>> backends_;
    MidiBackendPorts ports_;
};
