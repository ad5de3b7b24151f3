// The queue between an input's driver thread and the worker, and the whole
// messages put together from what a system hands over: its boundaries, SysEx
// across buffers, losses counted, buffers always given back.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestBytes.h"
#include "midiin/MidiBackendIn.h"
#include "midiin/QueuedMidiIn.h"

namespace {

TEST(SpscQueue, keepsOrderToItsCapacityAndCountsWhatItRefuses) {
    const struct {
        std::size_t asked, capacity;
    } rows[] = {{0, 1}, {1, 1}, {3, 4}, {4, 4}, {5, 8}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.asked);
        SpscQueue<int> queue(row.asked);
        ASSERT_EQ(row.capacity, queue.capacity());
        int item = -1;
        EXPECT_FALSE(queue.pop(item));
        // Round after round, so that the indexes wrap past the storage.
        for (int round = 0; round < 3; ++round) {
            for (std::size_t i = 0; i < row.capacity; ++i) EXPECT_TRUE(queue.push(round * 100 + int(i)));
            EXPECT_EQ(0u, queue.room());
            EXPECT_FALSE(queue.push(-2));
            EXPECT_EQ(uint64_t(round + 1), queue.overflows());
            for (std::size_t i = 0; i < row.capacity; ++i) {
                ASSERT_TRUE(queue.pop(item));
                EXPECT_EQ(round * 100 + int(i), item);
            }
            EXPECT_FALSE(queue.pop(item));
            EXPECT_EQ(row.capacity, queue.room());
        }
    }
}

// A device whose "system" fills buffers of its own as winmm fills the
// application's: the test is its driver thread.
class PieceDevice final : public QueuedMidiIn {
public:
    explicit PieceDevice(std::size_t events) : QueuedMidiIn(events), buffers_(4, Bytes(8)) {}
    MidiError stop() override { return 0; }

    void shortMessage(const Bytes& bytes, int64_t timeUs = 0) { pushShort(bytes.data(), bytes.size(), timeUs); }
    // Fills buffer `buffer` and hands it over.
    void piece(uint32_t buffer, const Bytes& bytes, int64_t timeUs = 0) {
        std::copy(bytes.begin(), bytes.end(), buffers_[buffer].begin());
        out_[buffer] = false;
        pushSysexPiece(buffer, uint32_t(bytes.size()), timeUs);
    }
    void damagedPiece(uint32_t buffer) {
        out_[buffer] = false;
        pushDamagedPiece(buffer);
    }
    void failWith(MidiError code) { fail(code); }
    // Every buffer handed over was given back.
    bool allBack() const { return std::all_of(out_, out_ + 4, [](bool back) { return back; }); }
    std::vector<Bytes> receiveAll() {
        std::vector<Bytes> messages;
        MidiInMessage message;
        while (receive(message)) messages.push_back(message.bytes);
        return messages;
    }

private:
    MidiError startSystem() override { return 0; }
    const uint8_t* pieceBytes(uint32_t buffer) override { return buffers_[buffer].data(); }
    void returnBuffer(uint32_t buffer) override { out_[buffer] = true; }

    std::vector<Bytes> buffers_;
    bool out_[4] = {true, true, true, true};
};

TEST(QueuedMidiIn, shortMessagesKeepTheirBytesAndTimingTrafficIsPassedBy) {
    PieceDevice device(16);
    device.shortMessage(hexBytes("90 3C 64"), 1000);
    device.shortMessage(hexBytes("F8"));     // clock
    device.shortMessage(hexBytes("FE"));     // active sensing
    device.shortMessage(hexBytes("F1 21"));  // quarter frame
    device.shortMessage(hexBytes("C0 05"));
    device.shortMessage(hexBytes("FA"));     // start: played on
    device.shortMessage(hexBytes("3C 64"));  // no status byte
    device.shortMessage(hexBytes("F7"));
    MidiInMessage first;
    ASSERT_TRUE(device.receive(first));
    EXPECT_EQ(1000, first.timeUs);
    EXPECT_TRUE(messagesAre({"C0 05", "FA"}, device.receiveAll()));
    EXPECT_EQ((MidiInLosses{0, 2}), device.losses());
}

TEST(QueuedMidiIn, aSysexIsPutTogetherFromItsPiecesAndEveryBufferGoesBack) {
    const struct {
        const char* name;
        std::vector<std::string> pieces;  // "!" a damaged buffer
        std::vector<std::string> messages;
        uint64_t damaged;
    } rows[] = {
        {"whole in one", {"F0 7E 7F 09 01 F7"}, {"F0 7E 7F 09 01 F7"}, 0},
        {"over three", {"F0 41 10 42 12 40 00 7F", "00 41 01 02 03 04 05 06", "07 F7"},
         {"F0 41 10 42 12 40 00 7F 00 41 01 02 03 04 05 06 07 F7"}, 0},
        {"an empty buffer (a reset) between", {"F0 01", "", "02 F7"}, {"F0 01 02 F7"}, 0},
        {"the end of one whose start never came", {"01 02 F7", "F0 03 F7"}, {"F0 03 F7"}, 1},
        {"cut short by the next", {"F0 01 02", "F0 03 F7"}, {"F0 03 F7"}, 1},
        {"a damaged buffer drops the message", {"F0 01 02", "!", "03 F7", "F0 04 F7"}, {"F0 04 F7"}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PieceDevice device(16);
        uint32_t buffer = 0;
        for (const std::string& piece : row.pieces) {
            if (piece == "!")
                device.damagedPiece(buffer);
            else
                device.piece(buffer, hexBytes(piece));
            buffer = (buffer + 1) % 4;
        }
        EXPECT_TRUE(messagesAre(row.messages, device.receiveAll()));
        EXPECT_EQ(row.damaged, device.losses().damaged);
        EXPECT_TRUE(device.allBack());
    }
}

TEST(QueuedMidiIn, aFullQueueCountsWhatItLosesAndStillGivesTheBuffersBack) {
    PieceDevice device(2);
    device.shortMessage(hexBytes("90 3C 64"));
    device.piece(0, hexBytes("F0 01 02 03"));
    device.piece(1, hexBytes("04 05"));         // lost: the queue is full
    device.shortMessage(hexBytes("80 3C 40"));  // lost too
    EXPECT_EQ(2u, device.losses().overflowed);
    EXPECT_FALSE(device.allBack());
    EXPECT_TRUE(messagesAre({"90 3C 64"}, device.receiveAll()));
    EXPECT_TRUE(device.allBack());
    // The SysEx that lost its middle is not delivered with its end.
    device.piece(2, hexBytes("06 F7"));
    device.piece(3, hexBytes("F0 07 F7"));
    EXPECT_TRUE(messagesAre({"F0 07 F7"}, device.receiveAll()));
    EXPECT_EQ(0u, device.losses().damaged);
    EXPECT_TRUE(device.allBack());
}

TEST(QueuedMidiIn, aSysexLongerThanTheLimitIsLetGoAsDamaged) {
    PieceDevice device(4);
    device.piece(0, hexBytes("F0 01"));
    Bytes body(8, 0x11);
    MidiInMessage message;
    // Each piece is received before the next is handed over.
    for (std::size_t size = 2; size <= QueuedMidiIn::kMaxSysexSize; size += body.size()) {
        device.piece(1, body);
        ASSERT_FALSE(device.receive(message));
    }
    device.piece(2, hexBytes("F7"));
    device.piece(3, hexBytes("F0 02 F7"));
    EXPECT_TRUE(messagesAre({"F0 02 F7"}, device.receiveAll()));
    EXPECT_EQ(1u, device.losses().damaged);
}

TEST(QueuedMidiIn, theFirstFailureStaysAndWhatCameBeforeItIsStillReceived) {
    PieceDevice device(4);
    device.shortMessage(hexBytes("B0 40 7F"));
    device.failWith(kMidiDeviceGone);
    device.failWith(kMidiNoDriver);
    EXPECT_EQ(kMidiDeviceGone, device.failure());
    EXPECT_TRUE(messagesAre({"B0 40 7F"}, device.receiveAll()));
}

// The pool of a system that hands over whole messages (RtMidi's).
class WholeDevice final : public PooledMidiIn {
public:
    WholeDevice() : PooledMidiIn(8, 2, 4) {}
    MidiError stop() override { return 0; }
    void message(const Bytes& bytes) { pushWhole(bytes.data(), bytes.size(), 0); }

private:
    MidiError startSystem() override { return 0; }
};

TEST(PooledMidiIn, aSysexTakesAsManyBuffersAsItNeedsOrIsLostWhole) {
    WholeDevice device;
    MidiInMessage message;
    device.message(hexBytes("F0 01 02 03 04 05 F7"));  // two buffers of four
    device.message(hexBytes("F0 06 F7"));              // none left: lost
    EXPECT_EQ(1u, device.losses().overflowed);
    ASSERT_TRUE(device.receive(message));
    EXPECT_TRUE(bytesEqual(hexBytes("F0 01 02 03 04 05 F7"), message.bytes));
    device.message(hexBytes("F0 01 02 03 04 05 06 F7"));  // the buffers came back
    device.message(hexBytes("E0 00 40"));
    ASSERT_TRUE(device.receive(message));
    EXPECT_TRUE(bytesEqual(hexBytes("F0 01 02 03 04 05 06 F7"), message.bytes));
    ASSERT_TRUE(device.receive(message));
    EXPECT_TRUE(bytesEqual(hexBytes("E0 00 40"), message.bytes));
    device.message(hexBytes("F0 01 02 03 04 05 06 07 08 F7"));  // three buffers: more than there are
    EXPECT_FALSE(device.receive(message));
    EXPECT_EQ(2u, device.losses().overflowed);
}

}  // namespace

// An input system as RtMidi shows one: ports by name, the open port's
// receiver kept so that the test hands messages and failures to it.
struct FakeInBackend final : MidiInBackend {
    struct Port final : MidiBackendInPort {
        bool start(std::string&) override { return true; }
        bool stop(std::string&) override { return true; }
    };
    std::string name() const override { return "Jack"; }
    bool listPorts(std::vector<std::string>& names, std::string&) override {
        names = ports;
        return true;
    }
    std::unique_ptr<MidiBackendInPort> open(unsigned port, MidiBackendReceiver& to, std::string& error) override {
        error = refusal;
        if (!refusal.empty()) return nullptr;
        opened = port;
        receiver = &to;
        return std::make_unique<Port>();
    }

    std::vector<std::string> ports{"keyboard:out", "other:out"};
    std::string refusal;
    unsigned opened = 99;
    MidiBackendReceiver* receiver = nullptr;
};

struct NoWake final : MidiInWake {
    void wake() noexcept override {}
};

TEST(MidiBackendIn, opensThePortOfTheListedNameAndItsFailureCarriesTheSystemsText) {
    std::vector<std::unique_ptr<MidiInBackend>> backends;
    auto* jack = new FakeInBackend;
    backends.emplace_back(jack);
    MidiBackendIn system(std::move(backends));
    ASSERT_EQ((std::vector<std::string>{"keyboard:out", "other:out"}), system.listDevices().names);
    // Another program's port came before it since the listing.
    jack->ports.insert(jack->ports.begin(), "new:out");
    MidiError error = 0;
    std::unique_ptr<MidiInDevice> device = system.open(1, error);
    ASSERT_TRUE(device);
    EXPECT_EQ(2u, jack->opened);
    NoWake wake;
    device->start(wake);
    const Bytes sysex = hexBytes("F0 7E 7F 09 01 F7");
    jack->receiver->received(sysex.data(), sysex.size());
    jack->receiver->failed("JACK server shut down");
    MidiInMessage message;
    ASSERT_TRUE(device->receive(message));
    EXPECT_TRUE(bytesEqual(sysex, message.bytes));
    EXPECT_EQ(MidiBackendPorts::kMidiBackendErrorBase, device->failure());
    EXPECT_EQ("JACK server shut down", device->failureText());

    jack->refusal = "no room for a port";
    EXPECT_FALSE(system.open(0, error));
    EXPECT_EQ("no room for a port", system.errorText(error));
}
