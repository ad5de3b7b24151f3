// The play-through worker between a fake input and a fake output: messages
// through the processor in order, and every way it ends (stop, the output or
// the input failing, a device that will not open) ending the notes through
// the processor before the devices close, with the events that say so.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "FakeMidiIn.h"
#include "FakeMidiOut.h"
#include "TestBytes.h"
#include "play/PassThroughProcessor.h"
#include "play/PlayThrough.h"

namespace {

class EventLog {
public:
    PlayThrough::Listener listener() {
        return [this](const PlayEvent& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }
    void waitFor(PlayEvent::Kind kind) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] {
            for (const PlayEvent& event : events_)
                if (event.kind == kind) return true;
            return false;
        });
    }
    std::vector<PlayEvent::Kind> kinds() const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<PlayEvent::Kind> kinds;
        for (const PlayEvent& event : events_) kinds.push_back(event.kind);
        return kinds;
    }
    PlayEvent first(PlayEvent::Kind kind) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const PlayEvent& event : events_)
            if (event.kind == kind) return event;
        return {};
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PlayEvent> events_;
};

// Declared in destruction order: the worker stops before the systems go.
struct Rig {
    FakeClock clock;
    FakeMidiOut out{clock};
    FakeMidiIn in;
    PassThroughProcessor processor;
    EventLog log;
    std::unique_ptr<PlayThrough> play;

    void start() { play = std::make_unique<PlayThrough>(in, 1, out, 0, processor, log.listener()); }
    void startAndWait() {
        start();
        in.waitUntilStarted();
    }
    // What arrives once the input has stopped is not delivered.
    void feed(const std::vector<std::string>& messages) {
        for (const std::string& message : messages) in.deliver(hexBytes(message));
    }
    std::vector<Bytes> delivered() const {
        std::vector<Bytes> bytes;
        for (const DeliveredMessage& message : out.delivered()) bytes.push_back(message.bytes);
        return bytes;
    }
};

using Kind = PlayEvent::Kind;

// The index of `call` in `calls`, or the size when it is not there.
std::size_t indexOf(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) - calls.begin();
}

TEST(PlayThrough, messagesGoThroughInOrderAndStopEndsTheNotesBeforeTheDevicesClose) {
    Rig rig;
    rig.in.sysexBufferSize = 4;  // the SysEx below takes three of them
    rig.startAndWait();
    rig.feed({"90 3C 64", "B0 40 7F", "F0 41 10 42 12 40 00 7F 00 41 F7", "91 40 50", "E1 00 48",
              "80 3C 40", "D1 30", "92 43 70", "92 43 00"});
    rig.play->stop();
    EXPECT_TRUE(messagesAre({"90 3C 64", "B0 40 7F", "F0 41 10 42 12 40 00 7F 00 41 F7", "91 40 50", "E1 00 48",
                          "80 3C 40", "D1 30", "92 43 70", "92 43 00",
                          // the processor's stop: E4 on channel 2 still sounds, the pedal is down
                          "81 40 40", "B0 40 00"},
                         rig.delivered()));
    // The input stopped first; the stop messages were sent before the
    // output closed, and the input closed last.
    const std::vector<std::string> outCalls = rig.out.calls();
    EXPECT_EQ((std::vector<std::string>{"open 0", "unprepare", "reset", "close"}), outCalls);
    EXPECT_LT(rig.out.delivered().back().callsBefore, indexOf(outCalls, "close"));
    EXPECT_EQ((std::vector<std::string>{"open 1", "start", "stop", "close"}), rig.in.calls());
    EXPECT_EQ((std::vector<Kind>{Kind::Started, Kind::Stopped}), rig.log.kinds());
    const PlayEvent stopped = rig.log.first(Kind::Stopped);
    EXPECT_FALSE(stopped.failed);
    EXPECT_EQ(9u, stopped.received);
    EXPECT_EQ(11u, stopped.sent);
}

TEST(PlayThrough, anOutputThatFailsMidStreamEndsPlayAndTheStopMessagesAreTried) {
    Rig rig;
    rig.out.failSendsAfter(2, kMidiNoDriver);
    rig.startAndWait();
    rig.feed({"90 3C 64", "90 40 64", "90 43 64", "90 48 64"});
    const PlayEvent stopped = rig.play->waitUntilStopped();
    EXPECT_TRUE(stopped.failed);
    EXPECT_EQ(PlayFailure::Device::Output, stopped.failure.device);
    EXPECT_EQ(PlayFailure::Step::Send, stopped.failure.step);
    EXPECT_EQ(kMidiNoDriver, stopped.failure.code);
    EXPECT_EQ("fake error 6", stopped.failure.text);
    EXPECT_TRUE(messagesAre({"90 3C 64", "90 40 64"}, rig.delivered()));
    // The third note was refused; the fourth never went; the stop's note
    // offs for the three the processor passed on were tried.
    EXPECT_TRUE(messagesAre({"90 43 64", "80 3C 40", "80 40 40", "80 43 40"}, rig.out.refused()));
    EXPECT_EQ((std::vector<Kind>{Kind::Started, Kind::Failed, Kind::Stopped}), rig.log.kinds());
    EXPECT_EQ((std::vector<std::string>{"open 0", "reset", "close"}), rig.out.calls());
    EXPECT_EQ("close", rig.in.calls().back());
}

TEST(PlayThrough, anInputThatGoesAwayIsReportedAfterWhatItSentAndTheNotesEnd) {
    Rig rig;
    rig.startAndWait();
    rig.feed({"90 3C 64", "B0 07 64"});
    rig.in.fail(kMidiDeviceGone);
    const PlayEvent stopped = rig.play->waitUntilStopped();
    EXPECT_TRUE(stopped.failed);
    EXPECT_EQ(PlayFailure::Device::Input, stopped.failure.device);
    EXPECT_EQ(PlayFailure::Step::Receive, stopped.failure.step);
    EXPECT_EQ(kMidiDeviceGone, stopped.failure.code);
    EXPECT_TRUE(messagesAre({"90 3C 64", "B0 07 64", "80 3C 40"}, rig.delivered()));
    EXPECT_EQ("close", rig.out.calls().back());

    // The system's own text, where it gives one, is the failure's.
    Rig rtMidi;
    rtMidi.startAndWait();
    rtMidi.in.fail(MidiError{0x7FFF1000}, "JACK server shut down");
    EXPECT_EQ("JACK server shut down", rtMidi.play->waitUntilStopped().failure.text);
}

TEST(PlayThrough, aDeviceThatDoesNotOpenOrStartIsReportedAndNothingStaysOpen) {
    const struct {
        const char* name;
        MidiError inOpen, inStart, outOpen;
        PlayFailure::Device device;
        PlayFailure::Step step;
        std::vector<std::string> inCalls, outCalls;
        const char* text;
    } rows[] = {
        {"input open", kMidiAllocated, 0, 0, PlayFailure::Device::Input, PlayFailure::Step::Open, {"open 1"}, {},
         "fake input error 4"},
        {"output open", 0, 0, kMidiAllocated, PlayFailure::Device::Output, PlayFailure::Step::Open,
         {"open 1", "close"}, {"open 0"}, "fake error 4"},
        {"input start", 0, kMidiNotEnabled, 0, PlayFailure::Device::Input, PlayFailure::Step::Start,
         {"open 1", "start", "close"}, {"open 0", "reset", "close"}, "fake input error 3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        rig.in.failOpenWith(row.inOpen);
        rig.in.failStartWith(row.inStart);
        rig.out.failOpenWith(row.outOpen);
        rig.start();
        const PlayEvent stopped = rig.play->waitUntilStopped();
        EXPECT_TRUE(stopped.failed);
        EXPECT_EQ(row.device, stopped.failure.device);
        EXPECT_EQ(row.step, stopped.failure.step);
        EXPECT_EQ(row.text, stopped.failure.text);
        EXPECT_EQ((std::vector<Kind>{Kind::Failed, Kind::Stopped}), rig.log.kinds());
        EXPECT_EQ(row.inCalls, rig.in.calls());
        EXPECT_EQ(row.outCalls, rig.out.calls());
        EXPECT_EQ(0, rig.out.openDevices());
    }
}

TEST(PlayThrough, aChangeRunsOnTheWorkerBetweenMessagesAndMaySend) {
    Rig rig;
    rig.startAndWait();
    rig.feed({"90 3C 64"});
    std::mutex mutex;
    std::condition_variable ran;
    bool done = false;
    rig.play->change([&](MidiSink& out) {
        const Bytes bend = hexBytes("E0 00 50");
        out.send(bend.data(), bend.size());
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        ran.notify_all();
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        ran.wait(lock, [&] { return done; });
    }
    rig.feed({"80 3C 40"});
    rig.play->stop();
    EXPECT_TRUE(messagesAre({"90 3C 64", "E0 00 50", "80 3C 40"}, rig.delivered()));
}

TEST(PlayThrough, messagesTheQueueHadNoRoomForAreReportedAsLost) {
    Rig rig;
    rig.in.queuedMessages = 2;
    rig.startAndWait();
    // Held in the output, the worker takes nothing while five arrive.
    rig.out.holdAtMessage(0);
    rig.feed({"F0 01 F7"});
    rig.out.waitUntilHeld();
    for (int i = 0; i < 5; ++i) rig.in.deliver(hexBytes("A0 3C 10"));
    rig.out.releaseHold();
    rig.log.waitFor(Kind::Lost);
    rig.play->stop();
    EXPECT_EQ((MidiInLosses{3, 0}), rig.log.first(Kind::Lost).losses);
    EXPECT_EQ(3u, rig.delivered().size());
}

}  // namespace
