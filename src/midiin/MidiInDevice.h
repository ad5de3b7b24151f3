// The MIDI input devices of the system: a seam over winmm on Windows, and
// over RtMidi elsewhere (the ALSA sequencer and JACK on Linux, CoreMIDI on
// macOS). The system hands each message over on a thread of its own (a
// driver's callback, JACK's process thread); the device only queues it
// there and wakes its consumer, which takes the messages on its own thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midiout/MidiOutDevice.h"

// The failure of an input device that the system closed on its own (a
// keyboard unplugged): winmm's MIM_CLOSE, which carries no code. Outside the
// range of the system's codes, as kMidiTimedOut is.
constexpr MidiError kMidiDeviceGone = 0x7FFF0002;

// Told when a message (or a failure) is waiting. Called on the system's
// input thread, where nothing may wait: it must return at once, allocate
// nothing and take no lock that is held for longer than a few instructions.
class MidiInWake {
public:
    virtual void wake() noexcept = 0;

protected:
    ~MidiInWake() = default;
};

// One whole message as it arrived: a channel message, a system common
// message (F1-F6), a real-time one (F8-FF but the timing traffic that
// isTimingTraffic names, which is passed by), or a SysEx from F0 to F7.
struct MidiInMessage {
    std::vector<uint8_t> bytes;
    int64_t timeUs = 0;  // when it arrived, from the device's start
};

// Messages the device let go, since it was opened.
struct MidiInLosses {
    uint64_t overflowed = 0;  // arrived while the queue was full
    uint64_t damaged = 0;     // arrived damaged or cut short (a SysEx without its end)
    bool operator==(const MidiInLosses& other) const {
        return overflowed == other.overflowed && damaged == other.damaged;
    }
};

// One open input device; destroying it stops it, takes back whatever the
// system still holds of it and closes it.
class MidiInDevice {
public:
    virtual ~MidiInDevice() = default;
    // Begins delivering: from now on `wake` is told of every message and of
    // a failure, until stop() or destruction; it must outlive that.
    virtual MidiError start(MidiInWake& wake) = 0;
    // No message arrives once it returns; those waiting stay to be received.
    virtual MidiError stop() = 0;
    // The consumer (one thread): takes the oldest whole message waiting into
    // `message`; false when none waits.
    virtual bool receive(MidiInMessage& message) = 0;
    virtual MidiInLosses losses() const = 0;
    // 0 while the device works; else the system's code for why it stopped
    // delivering (kMidiDeviceGone when it went away). Messages that arrived
    // before stay to be received.
    virtual MidiError failure() const = 0;
    // The system's own text for the failure, where it gave one (RtMidi's);
    // empty where its code says it all.
    virtual std::string failureText() const = 0;
};

class MidiInSystem {
public:
    virtual ~MidiInSystem() = default;
    // The input devices, named as the output side names its devices.
    virtual MidiDeviceList listDevices() = 0;
    // Opens device number `index` of the last listing; null with `error` set.
    virtual std::unique_ptr<MidiInDevice> open(unsigned index, MidiError& error) = 0;
    // The system's text for a code (UTF-8); empty when it has none.
    virtual std::string errorText(MidiError error) = 0;
};

// winmm on Windows (loaded at run time from System32), RtMidi elsewhere.
MidiInSystem& platformMidiIn();
