#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "FakeMidiOut.h"
#include "TestBytes.h"
#include "midiout/SysexSender.h"
#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"

namespace {

const ScaleOffsets kStartOffsets = {0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12};

Bytes buildList(TuningFormat format, const ScaleOffsets& offsets, uint32_t selection) {
    ScaleDataBytes data;
    Bytes buffer(kLargestSysexList);
    uint32_t length = 0;
    buildSysexList(format, offsets, selection, data, buffer.data(), length);
    buffer.resize(length);
    return buffer;
}

// The builder's messages all have one size per dialect.
std::vector<Bytes> chunks(const Bytes& list, std::size_t size) {
    std::vector<Bytes> messages;
    for (std::size_t at = 0; at + size <= list.size(); at += size)
        messages.emplace_back(list.begin() + at, list.begin() + at + size);
    return messages;
}

std::size_t messageSize(TuningFormat format) {
    switch (format) {
    case TuningFormat::GS: return kGsMessageSize;
    case TuningFormat::XG: return kXgMessageSize;
    default: return kGm2MessageSize;
    }
}

::testing::AssertionResult deliveredExactly(const std::vector<Bytes>& expected,
                                            const std::vector<DeliveredMessage>& delivered,
                                            std::size_t from = 0) {
    if (delivered.size() - from != expected.size())
        return ::testing::AssertionFailure() << "delivered " << delivered.size() - from
                                             << " messages, expected " << expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        auto same = bytesEqual(expected[i], delivered[from + i].bytes);
        if (!same) return same << " (message " << i << ")";
    }
    return ::testing::AssertionSuccess();
}

class EventLog {
public:
    SysexSender::Listener listener() {
        return [this](const SendEvent& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
        };
    }
    std::vector<SendEvent> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<SendEvent> events_;
};

// Declared in destruction order: the sender stops before its device goes.
struct Rig {
    FakeClock clock;
    FakeMidiOut midi{clock};
    EventLog log;
    SysexSender sender{midi, log.listener(), clock};

    SendEvent sendAndWait(SendMode mode, const Bytes& list, uint32_t pauseMs = 0,
                          unsigned device = 0) {
        sender.send(mode, device, list.data(), list.size(), pauseMs);
        return sender.waitUntilIdle();
    }
};

::testing::AssertionResult endedWith(SendEvent::Kind kind, uint32_t sent, uint32_t total,
                                     const SendEvent& event) {
    if (event.kind == kind && event.sent == sent && event.total == total)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "ended as kind " << static_cast<int>(event.kind) << " with " << event.sent << "/"
           << event.total << ", expected kind " << static_cast<int>(kind) << " with " << sent
           << "/" << total;
}

// What an XG synthesizer holds after the messages it received: part and
// note to data byte.
std::map<std::pair<int, int>, int> xgScales(const std::vector<Bytes>& messages) {
    std::map<std::pair<int, int>, int> scales;
    for (const Bytes& m : messages) scales[{m[5], m[6] - 0x41}] = m[7];
    return scales;
}

TEST(SysexSender, theFirstSendSendsEveryMessageInOrder) {
    const struct {
        const char* name;
        TuningFormat format;
        uint32_t selection;
        SendMode mode;
    } rows[] = {
        {"GS parts 1, 10, 16, live", TuningFormat::GS, 0x8201, SendMode::Changes},
        {"XG all parts, live", TuningFormat::XG, 0xFFFF, SendMode::Changes},
        {"GM2 channels 1-16, live", TuningFormat::GM2, 0xFFFF, SendMode::Changes},
        {"XG part 3, once", TuningFormat::XG, 0x0004, SendMode::All},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        const Bytes list = buildList(row.format, kStartOffsets, row.selection);
        const std::vector<Bytes> expected = chunks(list, messageSize(row.format));
        const uint32_t count = static_cast<uint32_t>(expected.size());
        EXPECT_TRUE(endedWith(SendEvent::Kind::Done, count, count,
                              rig.sendAndWait(row.mode, list)));
        EXPECT_TRUE(deliveredExactly(expected, rig.midi.delivered()));
        // One progress event per message, then the done event.
        const std::vector<SendEvent> events = rig.log.events();
        ASSERT_EQ(count + 1, events.size());
        EXPECT_EQ(SendEvent::Kind::Progress, events[0].kind);
        EXPECT_EQ(1u, events[0].sent);
        EXPECT_EQ(count, events[0].total);
    }
}

TEST(SysexSender, anUnchangedListSendsNothingLiveAndEverythingOnce) {
    Rig rig;
    const Bytes list = buildList(TuningFormat::XG, kStartOffsets, 0x0003);
    rig.sendAndWait(SendMode::Changes, list);
    EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 0, 0, rig.sendAndWait(SendMode::Changes, list)));
    EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 24, 24, rig.sendAndWait(SendMode::All, list)));
    EXPECT_EQ(48u, rig.midi.delivered().size());
}

TEST(SysexSender, oneChangedOffsetInXgSendsOneMessagePerPart) {
    for (int note : {0, 4, 11}) {
        SCOPED_TRACE("note " + std::to_string(note));
        Rig rig;
        rig.sendAndWait(SendMode::Changes, buildList(TuningFormat::XG, kStartOffsets, 0xFFFF));
        ScaleOffsets changed = kStartOffsets;
        changed[note] = 37;
        const Bytes list = buildList(TuningFormat::XG, changed, 0xFFFF);
        EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 16, 16,
                              rig.sendAndWait(SendMode::Changes, list)));
        std::vector<Bytes> expected;
        const std::vector<Bytes> all = chunks(list, kXgMessageSize);
        for (int part = 0; part < 16; ++part) expected.push_back(all[part * 12 + note]);
        EXPECT_TRUE(deliveredExactly(expected, rig.midi.delivered(), 192));
    }
}

TEST(SysexSender, oneChangedOffsetResendsTheWholeGsPartAndGm2Message) {
    const struct {
        const char* name;
        TuningFormat format;
        uint32_t selection;
        std::size_t checksumAt;  // none when past the message
    } rows[] = {
        {"GS parts 1 and 10", TuningFormat::GS, 0x0201, 20},
        {"GM2 channels 1, 2, 16", TuningFormat::GM2, 0x8003, 99},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        const Bytes before = buildList(row.format, kStartOffsets, row.selection);
        rig.sendAndWait(SendMode::Changes, before);
        ScaleOffsets changed = kStartOffsets;
        changed[6] = -60;
        const Bytes after = buildList(row.format, changed, row.selection);
        const std::vector<Bytes> expected = chunks(after, messageSize(row.format));
        const uint32_t count = static_cast<uint32_t>(expected.size());
        EXPECT_TRUE(endedWith(SendEvent::Kind::Done, count, count,
                              rig.sendAndWait(SendMode::Changes, after)));
        EXPECT_TRUE(deliveredExactly(expected, rig.midi.delivered(), count));
        if (row.checksumAt < before.size()) {
            EXPECT_NE(before[row.checksumAt], after[row.checksumAt]) << "the checksum changed";
        }
    }
}

TEST(SysexSender, aBurstDuringASlowSendEndsOnTheFinalStateWithNothingStaleAfterIt) {
    Rig rig;
    rig.midi.setPlayMs(3);
    const uint32_t parts = 0x0003;
    const std::size_t heldMessage = 5;
    rig.midi.holdAtMessage(heldMessage);
    Bytes list = buildList(TuningFormat::XG, kStartOffsets, parts);
    rig.sender.send(SendMode::Changes, 0, list.data(), list.size(), 20);
    rig.midi.waitUntilHeld();

    // Fast typing: every keystroke a new state, most of them undoing others.
    ScaleOffsets offsets = kStartOffsets;
    for (int key = 0; key < 30; ++key) {
        offsets[(key * 5) % 12] = (key * 17) % 128 - 64;
        list = buildList(TuningFormat::XG, offsets, parts);
        rig.sender.send(SendMode::Changes, 0, list.data(), list.size(), 20);
    }
    rig.midi.releaseHold();
    const SendEvent end = rig.sender.waitUntilIdle();

    EXPECT_EQ(SendEvent::Kind::Done, end.kind);
    const std::vector<DeliveredMessage> delivered = rig.midi.delivered();
    std::vector<Bytes> received;
    for (const DeliveredMessage& m : delivered) received.push_back(m.bytes);
    const std::vector<Bytes> finalMessages = chunks(list, kXgMessageSize);
    EXPECT_EQ(xgScales(finalMessages), xgScales(received));

    const std::set<Bytes> finalSet(finalMessages.begin(), finalMessages.end());
    std::set<Bytes> sentAfterHold;
    for (std::size_t i = heldMessage + 1; i < delivered.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i) + ": " + dumpBytes(delivered[i].bytes));
        EXPECT_EQ(1u, finalSet.count(delivered[i].bytes)) << "a stale state was sent";
        EXPECT_TRUE(sentAfterHold.insert(delivered[i].bytes).second) << "sent twice";
    }
    EXPECT_EQ(end.sent, delivered.size());
}

TEST(SysexSender, cancelStopsBetweenMessages) {
    Rig rig;
    rig.midi.setPlayMs(3);
    rig.midi.holdAtMessage(4);
    const Bytes list = buildList(TuningFormat::XG, kStartOffsets, 0x0001);
    rig.sender.send(SendMode::All, 0, list.data(), list.size(), 20);
    rig.midi.waitUntilHeld();
    rig.sender.cancel();
    rig.midi.releaseHold();
    EXPECT_TRUE(endedWith(SendEvent::Kind::Cancelled, 5, 12, rig.sender.waitUntilIdle()));

    const std::vector<DeliveredMessage> delivered = rig.midi.delivered();
    ASSERT_EQ(5u, delivered.size());
    EXPECT_GE(delivered[4].doneAtMs, 0) << "the message in progress was finished";
    const std::vector<std::string> calls = rig.midi.calls();
    EXPECT_EQ(0, std::count(calls.begin(), calls.end(), "reset")) << "no reset on a cancel";
    EXPECT_EQ("close", calls.back()) << "a send-once closes the device when it ends";
}

TEST(SysexSender, shutdownFinishesTheMessageThenResetsClosesAndJoins) {
    for (bool duringSend : {true, false}) {
        SCOPED_TRACE(duringSend ? "during a send" : "idle, held open by live sending");
        Rig rig;
        const Bytes list = buildList(TuningFormat::XG, kStartOffsets, 0x0001);
        if (duringSend) {
            rig.midi.holdAtMessage(2);
            rig.sender.send(SendMode::Changes, 0, list.data(), list.size(), 20);
            rig.midi.waitUntilHeld();
            std::thread closing([&] { rig.sender.shutdown(); });
            // A refused request shows that shutdown has begun.
            while (rig.sender.send(SendMode::Changes, 0, list.data(), list.size(), 20) != 0)
                std::this_thread::yield();
            rig.midi.releaseHold();
            closing.join();
        } else {
            rig.sendAndWait(SendMode::Changes, list);
            rig.sender.shutdown();
        }
        EXPECT_EQ(0, rig.midi.openDevices());
        const std::vector<DeliveredMessage> delivered = rig.midi.delivered();
        ASSERT_EQ(duringSend ? 3u : 12u, delivered.size());
        EXPECT_GE(delivered.back().doneAtMs, 0) << "the last message was finished";
        const std::vector<std::string> calls = rig.midi.calls();
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ("unprepare", calls[calls.size() - 3]);
        EXPECT_EQ("reset", calls[calls.size() - 2]);
        EXPECT_EQ("close", calls.back());
        const std::vector<SendEvent> events = rig.log.events();
        if (duringSend) {
            EXPECT_EQ(2u, events.size()) << "no event once shutdown began";
        }
    }
}

enum class Fault { open, handOver, completion };

TEST(SysexSender, aDeviceFailureStopsTheSendIsReportedAndTheNextSendReopens) {
    const struct {
        const char* name;
        Fault fault;
        MidiError code;
        SendFailure::Step step;
        std::size_t delivered;  // messages the device received
        uint32_t sent;          // messages counted as sent
    } rows[] = {
        {"device held by another program", Fault::open, kMidiAllocated, SendFailure::Step::Open, 0, 0},
        {"unplugged when handing over", Fault::handOver, kMidiNoDriver, SendFailure::Step::Send, 3, 3},
        {"failure while playing", Fault::completion, kMidiNotEnabled, SendFailure::Step::Send, 4, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        const Bytes list = buildList(TuningFormat::XG, kStartOffsets, 0x0001);
        if (row.fault == Fault::open)
            rig.midi.failOpenWith(row.code);
        else
            rig.midi.failMessageWith(3, row.code, row.fault == Fault::completion);
        const SendEvent failed = rig.sendAndWait(SendMode::Changes, list);
        EXPECT_EQ(SendEvent::Kind::Failed, failed.kind);
        EXPECT_EQ(row.step, failed.failure.step);
        EXPECT_EQ(row.code, failed.failure.code);
        EXPECT_EQ("fake error " + std::to_string(row.code), failed.failure.text);
        EXPECT_EQ(row.sent, failed.sent);
        EXPECT_EQ(row.delivered, rig.midi.delivered().size());
        EXPECT_EQ(0, rig.midi.openDevices());

        // The device forgot nothing it was sent, but the engine cannot know
        // that: everything is sent again to a reopened device.
        rig.midi.failOpenWith(0);
        EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 12, 12,
                              rig.sendAndWait(SendMode::Changes, list)));
        const std::vector<std::string> calls = rig.midi.calls();
        EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "open 0"));
        EXPECT_TRUE(deliveredExactly(chunks(list, kXgMessageSize), rig.midi.delivered(),
                                     row.delivered));
    }
}

TEST(SysexSender, aDeviceThatNeverCompletesIsGivenUpAfterTheTimeout) {
    Rig rig;
    rig.midi.neverComplete(true);
    rig.midi.unprepareRefusals = 1;
    const Bytes list = buildList(TuningFormat::GS, kStartOffsets, 0x0003);
    const SendEvent failed = rig.sendAndWait(SendMode::All, list);
    EXPECT_EQ(SendEvent::Kind::Failed, failed.kind);
    EXPECT_EQ(SendFailure::Step::Timeout, failed.failure.step);
    EXPECT_EQ(kMidiTimedOut, failed.failure.code);
    EXPECT_EQ(0u, failed.sent);
    const std::vector<std::string> calls = rig.midi.calls();
    const std::vector<std::string> expected = {"open 0", "timeout 1000", "reset", "unprepare-refused",
                                               "reset", "unprepare", "close"};
    EXPECT_EQ(expected, calls);

    rig.midi.neverComplete(false);
    EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 2, 2, rig.sendAndWait(SendMode::All, list)));

    // Still holding the message after three resets: kept open, never freed.
    rig.midi.neverComplete(true);
    rig.midi.unprepareRefusals = 3;
    const SendEvent stuck = rig.sendAndWait(SendMode::All, list);
    EXPECT_EQ(SendFailure::Step::Stuck, stuck.failure.step);
    EXPECT_EQ("fake error 65", stuck.failure.text);
    EXPECT_EQ(1, rig.midi.openDevices());
}

TEST(SysexSender, completionTimeoutIsASecondOrThreeMillisecondsPerByte) {
    const std::pair<std::size_t, uint32_t> rows[] = {
        {1, 1000}, {kGsMessageSize, 1000}, {333, 1000}, {334, 1002}, {10000, 30000}};
    for (const auto& [size, timeout] : rows) EXPECT_EQ(timeout, completionTimeoutMs(size)) << size;
}

TEST(SysexSender, thePauseLiesBetweenMessagesAndNotAfterTheLast) {
    Rig rig;
    rig.midi.setPlayMs(5);
    const Bytes list = buildList(TuningFormat::XG, kStartOffsets, 0x0001);
    const SendEvent first = rig.sendAndWait(SendMode::All, list, 20);
    EXPECT_EQ(12 * 5 + 11 * 20, first.elapsedMs);
    std::vector<DeliveredMessage> delivered = rig.midi.delivered();
    for (std::size_t i = 0; i < delivered.size(); ++i)
        EXPECT_EQ(static_cast<int64_t>(i) * 25, delivered[i].handedAtMs) << "message " << i;

    // A send that follows at once still leaves the pause after the last
    // message of the previous one.
    rig.sendAndWait(SendMode::All, list, 20);
    delivered = rig.midi.delivered();
    EXPECT_EQ(delivered[11].doneAtMs + 20, delivered[12].handedAtMs);

    rig.sendAndWait(SendMode::All, list, 0);
    delivered = rig.midi.delivered();
    for (std::size_t i = 25; i < delivered.size(); ++i)
        EXPECT_EQ(delivered[i - 1].doneAtMs, delivered[i].handedAtMs) << "message " << i;

    // A request that arrives during a pause takes the send over; the pause stays.
    rig.clock.duringNextWait = [&] { rig.sender.send(SendMode::All, 0, list.data(), list.size(), 20); };
    EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 13, 13, rig.sendAndWait(SendMode::All, list, 20)));
    delivered = rig.midi.delivered();
    EXPECT_EQ(delivered[36].doneAtMs + 20, delivered[37].handedAtMs);
}

// Channel 1 of a receiver of GS and MTS scale tuning (part 1 on channel 1)
// after message `m`, decoded from the published layouts: its twelve data
// bytes, 40 being 0 cents.
void receive(std::string& channel1, const Bytes& m) {
    const bool gsPart1 = m[1] == 0x41 && m[6] == 0x11;       // F0 41 10 42 12 40 11 40 d*12 sum F7
    const bool mtsChannel1 = m[1] == 0x7E && (m[7] & 0x01);  // F0 7E 7F 08 08 ff gg hh d*12 F7
    if (gsPart1 || mtsChannel1) channel1.assign(m.begin() + 8, m.begin() + 20);
}

TEST(SysexSender, liveSendingLeavesChannel1AsTheLastStateHasIt) {
    struct Step { TuningFormat format; uint32_t selection; int offsetOfC; };  // no selection: nothing sent
    const auto gm2 = TuningFormat::GM2, gs = TuningFormat::GS;
    const struct { const char* name; std::vector<Step> steps; uint32_t lastSent; } rows[] = {
        {"GM2: every channel changed, then channel 1 alone again",
         {{gm2, 0x1, 0}, {gm2, 0xFFFF, 0}, {gm2, 0xFFFF, 10}, {gm2, 0, 10}, {gm2, 0, 0}, {gm2, 0x1, 0}}, 1},
        {"GM2: channel 1 changed alone, then the wider map again", {{gm2, 0x3, 5}, {gm2, 0x1, 0}, {gm2, 0x3, 5}}, 1},
        {"GS part 1, GM2 channel 1, GS part 1 as before", {{gs, 0x1, 10}, {gm2, 0x1, 0}, {gs, 0x1, 10}}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        uint32_t sent = 0;
        for (const Step& step : row.steps) {
            const Bytes list = buildList(step.format, {step.offsetOfC, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, step.selection);
            sent = list.empty() ? 0 : rig.sendAndWait(SendMode::Changes, list).sent;
        }
        EXPECT_EQ(row.lastSent, sent);
        std::string channel1;
        for (const DeliveredMessage& message : rig.midi.delivered()) receive(channel1, message.bytes);
        EXPECT_EQ(static_cast<char>(0x40 + row.steps.back().offsetOfC) + std::string(11, '\x40'), channel1);
    }
}

// The key-based GM2 forms: each channel's program select goes as short
// messages after the SysEx; live, a select goes again only to a channel that
// is new, the SysEx only when a key changed, and everything after a switch
// from the channel-based forms.
TEST(SysexSender, keyBasedFormsSendTheProgramSelectAsShortMessagesAndLiveOnlyWhatChanged) {
    const struct {
        const char* name;
        MtsForm form;
        uint32_t channels;
        int32_t offsetOfC;
        std::size_t longMessages;  // delivered by this step
        std::size_t shortMessages;
    } steps[] = {
        {"single note, channels 1 and 2", MtsForm::SingleNote, 0x3, 0, 2, 16},
        {"C retuned: keys in both messages, no select", MtsForm::SingleNote, 0x3, 10, 2, 0},
        {"channel 3 ticked: its select alone", MtsForm::SingleNote, 0x7, 10, 0, 8},
        {"the same keys as a bulk dump: only its name is new", MtsForm::BulkDump, 0x7, 10, 1, 0},
        {"the 1-byte scale/octave form", MtsForm::ScaleOctave1Byte, 0x7, 10, 1, 0},
        {"single note again: everything", MtsForm::SingleNote, 0x7, 10, 2, 24},
    };
    Rig rig;
    std::size_t seen = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        ScaleDataBytes data;
        Bytes list(kLargestSysexList + kLargestChannelList);
        uint32_t length = 0;
        ChannelMessageList channel;
        ASSERT_TRUE(buildTuningMessages(TuningFormat::GM2, {step.form, 0, ""}, {step.offsetOfC, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                        step.channels, data, list.data(), length, channel));
        std::copy(channel.bytes, channel.bytes + channel.length, list.begin() + length);
        list.resize(length + channel.length);
        rig.sendAndWait(SendMode::Changes, list);
        const std::vector<DeliveredMessage> delivered = rig.midi.delivered();
        const auto isShort = [](const DeliveredMessage& message) { return message.bytes.size() == 3; };
        EXPECT_EQ(step.shortMessages, std::count_if(delivered.begin() + seen, delivered.end(), isShort));
        EXPECT_EQ(step.longMessages + step.shortMessages, delivered.size() - seen);
        seen = delivered.size();
    }
    EXPECT_TRUE(bytesEqual(hexBytes("B0 65 00"), rig.midi.delivered().at(2).bytes));
}

TEST(SysexSender, anotherDeviceIsOpenedAfterTheFirstIsClosedAndGetsEverything) {
    Rig rig;
    const Bytes list = buildList(TuningFormat::GS, kStartOffsets, 0x0001);
    rig.sendAndWait(SendMode::Changes, list, 0, 0);
    EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 1, 1, rig.sendAndWait(SendMode::Changes, list, 0, 1)));
    EXPECT_EQ(1u, rig.midi.delivered()[1].device);
    const std::vector<std::string> expected = {"open 0", "unprepare", "close", "open 1",
                                               "unprepare"};
    EXPECT_EQ(expected, rig.midi.calls());
    rig.sender.release();
    EXPECT_EQ(SendEvent::Kind::Failed, rig.sendAndWait(SendMode::Changes, list, 0, 2).kind)
        << "no device 2";
    EXPECT_EQ(0, rig.midi.openDevices());

    // Released while busy, asked again at once: reopened, as the number may carry another device now.
    rig.midi.holdAtMessage(2);
    rig.sender.send(SendMode::Changes, 1, list.data(), list.size(), 0);
    rig.midi.waitUntilHeld();
    rig.sender.release();
    rig.sender.send(SendMode::Changes, 1, list.data(), list.size(), 0);
    rig.midi.releaseHold();
    EXPECT_TRUE(endedWith(SendEvent::Kind::Done, 2, 2, rig.sender.waitUntilIdle()));
}

// Live, a coarse tuning goes again only when it changes, and one the new
// tuning no longer has is taken back (B0 65 00 B0 64 02 B0 06 40, null).
TEST(SysexSender, liveACoarseTuningTheTuningDropsIsTakenBack) {
    const struct {
        const char* name;
        int32_t coarse;
        int32_t offsetOfC;
        std::size_t delivered;  // long and short messages
        const char* last;
    } steps[] = {
        {"415 Hz", -1, 0, 1 + 5, "B0 64 7F"},
        {"C retuned, the shift kept", -1, 5, 1, nullptr},
        {"back to 440 Hz", 0, 5, 5, "B0 64 7F"},
        {"nothing new", 0, 5, 0, nullptr},
    };
    Rig rig;
    std::size_t seen = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        ExactOffsets exact;
        exact.hundredths[0] = step.offsetOfC * 100;
        exact.coarseSemitones = step.coarse;
        ScaleDataBytes data;
        const std::optional<TuningListing> listing = buildTuningListingExact(TuningFormat::GS, {}, exact, 1u, data);
        ASSERT_TRUE(listing);
        rig.sendAndWait(SendMode::Changes, Bytes(listing->data(), listing->data() + listing->size()));
        const std::vector<DeliveredMessage> delivered = rig.midi.delivered();
        EXPECT_EQ(step.delivered, delivered.size() - seen);
        if (step.last) {
            EXPECT_TRUE(bytesEqual(hexBytes(step.last), delivered.back().bytes));
        }
        seen = delivered.size();
    }
    EXPECT_TRUE(bytesEqual(hexBytes("B0 06 40"), rig.midi.delivered().at(seen - 3).bytes));
}

}  // namespace
