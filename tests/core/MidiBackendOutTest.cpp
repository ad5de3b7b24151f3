// The device seam over systems that send synchronously (RtMidi's), driven by
// the sending engine against fake systems.
#include <gtest/gtest.h>

#include <functional>

#include "FakeMidiOut.h"
#include "TestBytes.h"
#include "midiout/MidiBackendOut.h"
#include "midiout/SysexSender.h"
#include "sysex/MtsForms.h"

namespace {

// Declared in destruction order: the sender stops before the systems go.
struct BackendRig {
    FakeClock clock;
    FakeMidiBackend* alsa;
    FakeMidiBackend* jack;
    std::unique_ptr<MidiBackendOut> system;
    std::unique_ptr<SysexSender> sender;

    BackendRig(std::vector<std::string> alsaPorts, std::vector<std::string> jackPorts) {
        std::vector<std::unique_ptr<MidiBackend>> backends;
        backends.push_back(std::make_unique<FakeMidiBackend>("ALSA", std::move(alsaPorts), clock));
        backends.push_back(std::make_unique<FakeMidiBackend>("Jack", std::move(jackPorts), clock));
        alsa = static_cast<FakeMidiBackend*>(backends[0].get());
        jack = static_cast<FakeMidiBackend*>(backends[1].get());
        system = std::make_unique<MidiBackendOut>(std::move(backends), clock);
        sender = std::make_unique<SysexSender>(*system, nullptr, clock);
    }
    SendEvent send(const Bytes& list, unsigned device, uint32_t pauseMs) {
        sender->send(SendMode::All, device, list.data(), list.size(), pauseMs);
        return sender->waitUntilIdle();
    }
};

// The bulk dump of program 0 for channel 1, with the program select after it.
Bytes bulkDumpList() {
    ScaleDataBytes data;
    Bytes list(kLargestSysexList + kLargestChannelList);
    uint32_t length = 0;
    ChannelMessageList channel;
    buildTuningMessages(TuningFormat::GM2, {MtsForm::BulkDump, 0, ""}, {}, 0x1, data, list.data(),
                        length, channel);
    std::copy(channel.bytes, channel.bytes + channel.length, list.begin() + length);
    list.resize(length + channel.length);
    return list;
}

TEST(MidiBackendOut, theWireTimeIsAThirdOfAMillisecondPerByteRoundedUp) {
    // 31250 baud, a start bit, eight data bits and a stop bit: 320 us a byte.
    const std::pair<std::size_t, int64_t> rows[] = {{0, 0}, {3, 1}, {22, 8}, {25, 8}, {408, 131}};
    for (const auto& [size, ms] : rows) EXPECT_EQ(ms, midiWireTimeMs(size)) << size << " bytes";
}

TEST(MidiBackendOut, thePortsNameTheirSystemOnlyWhereTwoSystemsOfferPorts) {
    const struct {
        const char* name;
        std::vector<std::string> alsa, jack;
        const char* alsaUnreachable;
        const char* jackUnreachable;
        std::vector<std::string> listed;
    } rows[] = {
        {"ALSA alone, no JACK server", {"Through", "Synth"}, {}, "", "no server", {"Through", "Synth"}},
        {"both", {"Synth"}, {"recv:in"}, "", "", {"ALSA: Synth", "Jack: recv:in"}},
        {"ALSA without ports, JACK", {}, {"recv:in"}, "", "", {"recv:in"}},
        {"neither reached", {"Synth"}, {"recv:in"}, "no sequencer", "no server", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BackendRig rig(row.alsa, row.jack);
        rig.alsa->unreachable = row.alsaUnreachable;
        rig.jack->unreachable = row.jackUnreachable;
        const MidiDeviceList list = rig.system->listDevices();
        EXPECT_TRUE(list.available);
        EXPECT_EQ(row.listed, list.names);
        ASSERT_EQ(2u, list.systems.size());
        EXPECT_EQ("Jack", list.systems[1].name);
        EXPECT_EQ(row.alsaUnreachable, list.systems[0].error);
        EXPECT_EQ(row.jackUnreachable, list.systems[1].error);
        EXPECT_EQ(list.systems[1].error.empty(), list.systems[1].reached);
        EXPECT_EQ(list.systems[1].reached ? row.jack.size() : 0, list.systems[1].ports);
    }
}

TEST(MidiBackendOut, aBulkDumpGoesWholeAndThePauseRunsFromTheEndOfItsWireTime) {
    BackendRig rig({"Synth"}, {"recv:in"});
    rig.system->listDevices();
    const Bytes list = bulkDumpList();
    EXPECT_EQ(SendEvent::Kind::Done, rig.send(list, 1, 20).kind);
    const std::vector<DeliveredMessage>& received = rig.jack->received;
    ASSERT_EQ(9u, received.size());
    EXPECT_TRUE(bytesEqual(Bytes(list.begin(), list.begin() + 408), received[0].bytes));
    EXPECT_EQ(0, received[0].handedAtMs);
    // 408 bytes take 130.56 ms on a cable; the program select follows 20 ms later.
    for (std::size_t i = 1; i < received.size(); ++i) EXPECT_EQ(151, received[i].handedAtMs) << i;
    EXPECT_TRUE(bytesEqual(hexBytes("B0 65 00"), received[1].bytes));
    EXPECT_TRUE(rig.alsa->received.empty());
}

TEST(MidiBackendOut, failuresCarryTheSystemsTextAndARenumberedPortIsFoundByName) {
    const struct {
        const char* name;
        unsigned device;  // ALSA: A, ALSA: B, Jack: X
        std::function<void(BackendRig&)> after;  // between listing and sending
        SendEvent::Kind kind;
        SendFailure::Step step;
        const char* text;
        std::size_t receivedByAlsa;
        unsigned alsaPort;  // of the messages received
    } rows[] = {
        {"JACK port refused", 2, [](BackendRig& r) { r.jack->openRefusal = "error creating port"; },
         SendEvent::Kind::Failed, SendFailure::Step::Open, "error creating port", 0, 0},
        {"JACK server gone", 2, [](BackendRig& r) { r.jack->unreachable = "server not running?"; },
         SendEvent::Kind::Failed, SendFailure::Step::Open, "server not running?", 0, 0},
        {"refused at the second message", 1,
         [](BackendRig& r) {
             r.alsa->refuseMessage = 1;
             r.alsa->sendRefusal = "error sending";
         },
         SendEvent::Kind::Failed, SendFailure::Step::Send, "error sending", 1, 1},
        {"port gone", 1, [](BackendRig& r) { r.alsa->ports = {"A"}; },
         SendEvent::Kind::Failed, SendFailure::Step::Open, "", 0, 0},
        {"another port came first", 1, [](BackendRig& r) { r.alsa->ports = {"New", "A", "B"}; },
         SendEvent::Kind::Done, SendFailure::Step::Open, "", 9, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BackendRig rig({"A", "B"}, {"X"});
        rig.system->listDevices();
        row.after(rig);
        const SendEvent event = rig.send(bulkDumpList(), row.device, 0);
        EXPECT_EQ(row.kind, event.kind);
        if (row.kind == SendEvent::Kind::Failed) {
            EXPECT_EQ(row.step, event.failure.step);
            EXPECT_EQ(row.text, event.failure.text);
            if (*row.text == '\0') {
                EXPECT_EQ(kMidiBadDeviceId, event.failure.code);
            }
        }
        ASSERT_EQ(row.receivedByAlsa, rig.alsa->received.size());
        for (const DeliveredMessage& message : rig.alsa->received) EXPECT_EQ(row.alsaPort, message.device);
    }
}

}  // namespace
