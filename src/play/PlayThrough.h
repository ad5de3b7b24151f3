// Plays a MIDI input through a processor to a MIDI output, live, on a
// worker thread: each message the input delivers is handed to the processor
// as soon as the input's thread wakes the worker, and what the processor
// sends goes to the output at once. Stopping, and a failure of either
// device, end every sounding note through the processor's stop before the
// devices close. Platform-free: the devices are seams, the thread the
// standard library's.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midiin/MidiInDevice.h"
#include "midiout/MidiOutDevice.h"
#include "play/MidiProcessor.h"

struct PlayFailure {
    enum class Device : uint8_t { Input, Output };
    enum class Step : uint8_t {
        Open,     // the device could not be opened
        Start,    // the input would not start delivering
        Receive,  // the input stopped delivering (kMidiDeviceGone: it went away)
        Send,     // the output refused a message
        Timeout,  // the output did not finish a SysEx in time (kMidiTimedOut)
    };
    Device device = Device::Input;
    Step step = Step::Open;
    MidiError code = 0;  // the system's code
    std::string text;    // the system's text for it; empty where it has none
};

struct PlayEvent {
    enum class Kind {
        Started,  // both devices open and the input delivering
        Lost,     // input messages were let go: see `losses`
        Failed,   // a device failed: see `failure`; Stopped follows
        Stopped,  // every note ended and both devices closed; the last event
    };
    Kind kind = Kind::Started;
    PlayFailure failure;    // Failed; Stopped after a failure
    bool failed = false;    // Stopped: ended by a failure, not by stop()
    MidiInLosses losses;    // Lost: those since the last Lost event
    uint64_t received = 0;  // Stopped: messages taken from the input
    uint64_t sent = 0;      // Stopped: messages the output took
};

class PlayThrough final : private MidiInWake {
public:
    // Called on the worker thread, never with the worker's lock held. It
    // may call change() and stop() (which then only asks for the stop).
    using Listener = std::function<void(const PlayEvent&)>;
    // Run on the worker thread between two messages (see MidiProcessor).
    using Change = std::function<void(MidiSink& out)>;

    // Starts the worker, which opens input device `inIndex` and output
    // device `outIndex`, starts the input, has the processor send its start
    // and reports Started; a device that does not open or start (or take
    // that start) is reported as Failed, then Stopped. The
    // systems, the processor and the listener's target must outlive it.
    PlayThrough(MidiInSystem& inSystem, unsigned inIndex, MidiOutSystem& outSystem, unsigned outIndex,
                MidiProcessor& processor, Listener listener);
    // stop().
    ~PlayThrough();
    PlayThrough(const PlayThrough&) = delete;
    PlayThrough& operator=(const PlayThrough&) = delete;

    // Queues `change`, run in the order given once the messages waiting
    // now are through; dropped once play-through has ended.
    void change(Change change);

    // From any thread: stops the input, plays what it delivered before,
    // sends the processor's stop, closes both devices and joins the worker,
    // all before returning (from the listener: only asks for it).
    // Idempotent.
    void stop();

    // Blocks until play-through has ended (by stop() or a failure) and
    // returns its Stopped event. For the command line's main thread.
    PlayEvent waitUntilStopped();

private:
    class OutputSink;

    void wake() noexcept override;
    void run();
    bool openDevices(PlayFailure& failure);
    // Hands every waiting message to the processor; false once the output
    // has failed.
    bool drain(OutputSink& sink);
    void reportLosses();
    void stopInput();
    void finish(OutputSink* sink, const PlayFailure* failure);
    void report(const PlayEvent& event);

    MidiInSystem& inSystem_;
    const unsigned inIndex_;
    MidiOutSystem& outSystem_;
    const unsigned outIndex_;
    MidiProcessor& processor_;
    Listener listener_;

    // Guarded by mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;   // the worker: input, a change, the stop
    std::condition_variable ended_;  // waitUntilStopped
    std::vector<Change> changes_;
    bool stopRequested_ = false;
    bool hasEnded_ = false;
    PlayEvent last_;
    std::thread::id workerId_;
    // Set by the input's thread without the lock, then the lock taken only
    // to notify: the worker holds it for no longer than a check.
    std::atomic<bool> signalled_{false};

    // Worker thread only.
    std::unique_ptr<MidiInDevice> input_;
    std::unique_ptr<MidiOutDevice> output_;
    MidiInMessage message_;
    bool inputStarted_ = false;
    MidiInLosses reported_;
    uint64_t received_ = 0;

    std::mutex joinMutex_;
    std::thread worker_;
};
