// The MIDI output devices of the system: a seam over winmm on Windows, and
// over RtMidi elsewhere (the ALSA sequencer and JACK on Linux, CoreMIDI on
// macOS). The sending engine reaches devices only through these interfaces,
// so tests put a fake device behind them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The system's MIDI result code (MMRESULT on Windows); 0 means success.
using MidiError = uint32_t;

// What waitDone returns when the device did not report completion in time.
// Outside the range of the system's codes.
constexpr MidiError kMidiTimedOut = 0x7FFF0001;

// Platform-independent names for the system codes that the core and the
// front ends tell apart. They equal the winmm values (MMSYSERR_*).
constexpr MidiError kMidiBadDeviceId = 2;
constexpr MidiError kMidiNotEnabled = 3;
constexpr MidiError kMidiAllocated = 4;
constexpr MidiError kMidiNoDriver = 6;
constexpr MidiError kMidiStillPlaying = 65;  // MIDIERR_STILLPLAYING

// One of the MIDI systems a device list draws on where there are several
// (through RtMidi: the ALSA sequencer and JACK).
struct MidiSystemState {
    std::string name;   // the system's own name, as RtMidi gives it ("ALSA", "Jack")
    bool reached = false;
    std::string error;  // the system's text for why it could not be reached
};

struct MidiDeviceList {
    // False where the platform has no MIDI output (or winmm cannot be
    // loaded): the front ends say so instead of showing an empty list.
    bool available = false;
    // Device names in device order, the index being the device number.
    // UTF-8 on every system.
    std::vector<std::string> names;
    // The systems behind the list, in the order their ports are numbered;
    // empty where there is one system of its own (winmm).
    std::vector<MidiSystemState> systems;
};

// One open output device. Holds at most one long message at a time.
// Destroying a device that is still open resets, unprepares and closes it;
// destroying one whose header could not be unprepared frees a header the
// driver may still use, so the engine never does.
class MidiOutDevice {
public:
    virtual ~MidiOutDevice() = default;
    // Copies `bytes` (one whole SysEx message), prepares a header for them
    // and hands it to the device. On an error nothing stays prepared.
    virtual MidiError sendLong(const uint8_t* bytes, std::size_t count) = 0;
    // Hands one short message (a channel message, status 80-EF and its one
    // or two data bytes, or a system common or real-time one that a
    // keyboard played through sends) to the device, which takes it at once:
    // no header, nothing to wait for. The long message, if any, must be done
    // first.
    virtual MidiError sendShort(const uint8_t* bytes, std::size_t count) = 0;
    // Waits until the device reports the message done, at most `timeoutMs`;
    // kMidiTimedOut when it did not. The header stays prepared. Through
    // RtMidi, which reports nothing, done is the message's time on a MIDI
    // cable after it was handed over (MidiBackendOut).
    virtual MidiError waitDone(uint32_t timeoutMs) = 0;
    // Unprepares the header of the last message; 0 when none is prepared.
    virtual MidiError unprepare() = 0;
    // Stops output and returns a pending message to its owner, marked done.
    virtual MidiError reset() = 0;
    // Closes the device; the object is unusable afterwards. On an error the
    // device stays open, and reset, unprepare and close may be tried again.
    virtual MidiError close() = 0;
};

class MidiOutSystem {
public:
    virtual ~MidiOutSystem() = default;
    virtual MidiDeviceList listDevices() = 0;
    // Opens device number `index`; null with `error` set on failure.
    virtual std::unique_ptr<MidiOutDevice> open(unsigned index, MidiError& error) = 0;
    // The system's text for a MIDI error code (UTF-8);
    // empty when it has none.
    virtual std::string errorText(MidiError error) = 0;
};

// winmm on Windows (loaded at run time from System32), RtMidi elsewhere.
MidiOutSystem& platformMidiOut();
