// The retuning engine wired as a play-through's processor, between a fake
// keyboard and a fake synthesizer: its start before the first message, a
// tuning changed from the test's thread while a note is held, its stop, and
// its figures read from the test's thread. The engine's rules are its own
// table's (RetuneEngineTest).
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "FakeMidiIn.h"
#include "FakeMidiOut.h"
#include "TestBytes.h"
#include "play/RetuneProcessor.h"

namespace {

// Werckmeister III's E, -9.775 cents, at a range of 2 semitones: 8192 -
// 9.775 * 8192 / 200 = 7791.6, bent 7792 (70 3C).
RetuneTuning werckmeister3() {
    return {keyCentsOfPitchClasses({0, -9.775, -7.82, -5.865, -9.775, -1.955, -11.73, -3.91, -7.82, -11.73, -3.91, -7.82}),
            false};
}


struct Rig {
    explicit Rig(const RetuneOptions& options) : processor(options, werckmeister3()) {}
    void start() {
        play = std::make_unique<PlayThrough>(in, 0, out, 0, processor, nullptr);
        in.waitUntilStarted();
    }
    // Returns once every change handed over before has run on the worker.
    void settle() {
        std::mutex mutex;
        std::condition_variable ran;
        bool done = false;
        play->change([&](MidiSink&) {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
            ran.notify_all();
        });
        std::unique_lock<std::mutex> lock(mutex);
        ran.wait(lock, [&] { return done; });
    }
    void feed(const std::vector<std::string>& messages) {
        for (const std::string& message : messages) in.deliver(hexBytes(message));
        settle();
    }
    std::vector<Bytes> delivered() const {
        std::vector<Bytes> bytes;
        for (const DeliveredMessage& message : out.delivered()) bytes.push_back(message.bytes);
        return bytes;
    }

    FakeClock clock;
    FakeMidiOut out{clock};
    FakeMidiIn in;
    RetuneProcessor processor;
    std::unique_ptr<PlayThrough> play;
};

RetuneOptions twoBendChannels() {
    RetuneOptions options;
    options.outputChannels = 0x0003;
    options.bendRange = 2;
    return options;
}

TEST(RetuneProcessor, theSetUpGoesFirstAChangedTuningLeavesTheHeldNoteAndTheStopEndsEveryNote) {
    Rig rig(twoBendChannels());
    rig.start();
    rig.feed({"90 3C 64", "90 40 64"});
    EXPECT_EQ(2u, rig.processor.statistics().notesHeld);
    EXPECT_TRUE(rig.processor.changeTuning(*rig.play, RetuneTuning{}));
    rig.settle();
    rig.feed({"80 3C 40", "90 3E 64"});
    rig.play->stop();
    EXPECT_TRUE(messagesAre({// registered parameter 0 at 2 semitones, then the null parameter
                             "B0 65 00", "B0 64 00", "B0 06 02", "B0 26 00", "B0 65 7F", "B0 64 7F",
                             "B1 65 00", "B1 64 00", "B1 06 02", "B1 26 00", "B1 65 7F", "B1 64 7F",
                             "90 3C 64", "E1 70 3C", "91 40 64",
                             // equal temperament: D unbent, E still bent on channel 2
                             "80 3C 40", "90 3E 64",
                             "80 3E 40", "B0 40 00", "B0 42 00", "B0 7B 00",
                             "81 40 40", "B1 40 00", "B1 42 00", "B1 7B 00", "E1 00 40"},
                            rig.delivered()));
    const RetuneStatistics statistics = rig.processor.statistics();
    EXPECT_EQ(3u, statistics.notesPlayed);
    EXPECT_EQ(0u, statistics.notesHeld);
}

TEST(RetuneProcessor, theListingGoesFirstAndAChangedOneAtOnce) {
    RetuneOptions options;
    options.method = RetuneMethod::TuningMessages;
    Rig rig(options);
    const Bytes listing = hexBytes("F0 7E 7F 09 01 F7 B1 07 64");
    ASSERT_TRUE(rig.processor.setListing(listing.data(), listing.size()));
    rig.start();
    rig.feed({"90 3C 64"});
    EXPECT_FALSE(rig.processor.changeTuning(*rig.play, {}, std::vector<uint8_t>(kMaxRetuneListingBytes + 1, 0x40)));
    EXPECT_TRUE(rig.processor.changeTuning(*rig.play, {}, hexBytes("F0 7E 7F 09 02 F7")));
    rig.settle();
    rig.play->stop();
    EXPECT_TRUE(messagesAre({"F0 7E 7F 09 01 F7", "B1 07 64", "90 3C 64", "F0 7E 7F 09 02 F7",
                             "80 3C 40", "B0 40 00", "B0 42 00", "B0 7B 00"},
                            rig.delivered()));
}

}  // namespace
