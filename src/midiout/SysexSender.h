// Sends SysEx lists to a MIDI output device on a worker thread: once on
// command, or live (only what changed since the last successful send), with
// a pause between messages, coalescing, cancel between messages, completion
// timeouts, and progress, done and error events. Platform-free; the device
// and the clock are seams.
//
// Whenever the engine lets a device go (after a failure, at the end of a
// send, on release or shutdown), it tries reset, unprepare and close a few
// times. A device that still refuses keeps its message header: it is never
// freed, and it is reported as stuck where an event can say so.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midiout/MidiOutDevice.h"
#include "midiout/SendClock.h"
#include "midiout/SysexDeviceState.h"

// The pause between messages that the front ends offer (settings range).
constexpr uint32_t kDefaultSysexPauseMs = 20;
constexpr uint32_t kMaxSysexPauseMs = 500;

// How long a device may take to report one message done before the send is
// given up: a second, or 3 ms per byte for longer messages (about ten times
// the 0.32 ms a byte takes at the MIDI rate of 3125 bytes/s). A GS message
// (22 bytes) gets the second, a GM2 bulk dump (408 bytes) 1.2 s.
uint32_t completionTimeoutMs(std::size_t messageSize);

enum class SendMode {
    // Every message of the list, whatever the device was sent before. The
    // device is closed when the send ends, unless live sending holds it.
    All,
    // Only the messages that differ from what the device holds (live mode).
    // The device stays open after the send, until release().
    Changes,
};

struct SendFailure {
    enum class Step {
        Open,     // the device could not be opened
        Send,     // preparing, handing over or unpreparing a message failed
        Timeout,  // the device did not report a message done in time
        // The device kept a message and would not close. It stays open and
        // unusable until the program ends: its message is never freed, as
        // the driver may still write to it.
        Stuck,
    };
    Step step = Step::Open;
    MidiError code = 0;  // the system's code; kMidiTimedOut for a timeout
    std::string text;    // the system's text for `code`; empty for a timeout
};

struct SendEvent {
    enum class Kind {
        Progress,   // one more message was sent
        Done,       // every planned message was sent
        Cancelled,  // stopped between messages by cancel()
        Failed,     // stopped by a device failure; see `failure`
    };
    Kind kind = Kind::Done;
    // The newest request this send carries out: a send that was busy when a
    // newer request came takes it over (coalescing) and reports its id.
    uint64_t requestId = 0;
    uint32_t sent = 0;   // messages the device finished in this send
    uint32_t total = 0;  // sent + those still planned
    int64_t elapsedMs = 0;  // since the send began
    SendFailure failure;
};

struct SendProgress {
    bool busy = false;
    uint32_t sent = 0;
    uint32_t total = 0;
    int64_t elapsedMs = 0;
};

class SysexSender {
public:
    // Called on the worker thread, never with the engine's lock held, once
    // per finished message and once at the end of every send. It may call
    // send(), cancel(), release() and progress(), but not waitUntilIdle() or
    // shutdown(). The window posts a copy of the event to itself.
    using Listener = std::function<void(const SendEvent&)>;

    // Starts the worker thread. `system`, `clock` and the listener's target
    // must outlive the sender.
    SysexSender(MidiOutSystem& system, Listener listener, SendClock& clock = steadyClock());
    // shutdown().
    ~SysexSender();
    SysexSender(const SysexSender&) = delete;
    SysexSender& operator=(const SysexSender&) = delete;

    // Queues a send of `list` (messages back to back, as buildSysexList
    // makes them, and the channel messages buildTuningMessages puts after
    // them, each channel's run sent as short messages at once; copied) to
    // device number `deviceIndex`, pausing `pauseMs` between messages. A request that was still waiting is replaced; a send
    // in progress takes the new request over between two messages and sends
    // what the new list needs from then on. Returns the request's id (from
    // 1 up; 0 after shutdown()). Never waits for the device.
    uint64_t send(SendMode mode, unsigned deviceIndex, const uint8_t* list, std::size_t length,
                  uint32_t pauseMs);

    // Drops the waiting request and stops the send in progress after the
    // message the device is playing (a cancelled event follows). The device
    // keeps what it was sent and stays open if live sending holds it.
    void cancel();

    // Live sending is over: the device is closed once no send is busy, or
    // before the next request if one comes first, which then goes to a
    // freshly opened device and sends it everything.
    void release();

    // Current send, for a front end that polls (the window's timer).
    SendProgress progress() const;

    // Blocks until no send is busy or waiting; returns the last send's final
    // event (done, cancelled or failed). For the command-line program.
    SendEvent waitUntilIdle();

    // Stops after the message in progress, then resets the device, unprepares
    // its header, closes it and joins the worker, all before returning. No
    // event is reported once it has begun. Idempotent.
    void shutdown();

private:
    struct Request {
        uint64_t id = 0;
        SendMode mode = SendMode::All;
        unsigned deviceIndex = 0;
        uint32_t pauseMs = 0;
        std::vector<uint8_t> list;
    };

    void run();
    void runSend(std::unique_lock<std::mutex>& lock);
    bool adopt(Request request, bool reopen, SendEvent& event);
    SendFailure sendOne(const uint8_t* message, std::size_t size);
    SendFailure sendChannelRun(const uint8_t* run, std::size_t size);
    SendFailure letDeviceGo(bool resetFirst);
    void pauseFor(int64_t ms);
    void report(const SendEvent& event);

    MidiOutSystem& system_;
    Listener listener_;
    SendClock& clock_;

    // Guarded by mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;  // worker: new request, cancel, release, stop
    std::condition_variable idle_;  // waitUntilIdle
    std::unique_ptr<Request> pending_;
    uint64_t lastIssued_ = 0;
    uint64_t cancelledThrough_ = 0;
    bool keepOpen_ = false;
    bool released_ = false;  // the next request goes to a freshly opened device
    bool stop_ = false;
    bool busy_ = false;
    SendProgress progress_;
    int64_t sendStartMs_ = 0;
    SendEvent lastOutcome_;

    // Worker thread only.
    std::unique_ptr<MidiOutDevice> device_;
    unsigned deviceIndex_ = 0;
    SysexDeviceState held_;
    Request current_;
    std::vector<SysexSpan> plan_;
    std::size_t nextInPlan_ = 0;
    int64_t nextMessageAtMs_ = 0;

    std::thread worker_;
};
