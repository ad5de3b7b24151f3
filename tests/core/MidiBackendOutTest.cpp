// The device seam over systems that send synchronously (RtMidi's), driven by
// the sending engine against fake systems.
#include <gtest/gtest.h>

#include <functional>

#include "FakeMidiOut.h"
#include "TestBytes.h"
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
        std::vector<std::unique_ptr<MidiBackend>> backends(2);
        backends[0].reset(alsa = new FakeMidiBackend("ALSA", std::move(alsaPorts), clock));
        backends[1].reset(jack = new FakeMidiBackend("Jack", std::move(jackPorts), clock));
        system = std::make_unique<MidiBackendOut>(std::move(backends), clock);
        sender = std::make_unique<SysexSender>(*system, nullptr, clock);
    }
    // The bulk dump of program 0 for channel 1, then its program select.
    SendEvent sendBulkDump(unsigned device, uint32_t pauseMs, Bytes& list) {
        ScaleDataBytes data;
        ChannelMessageList channel;
        uint32_t length = 0;
        list.resize(kLargestSysexList);
        buildTuningMessages(TuningFormat::GM2, {MtsForm::BulkDump, 0, ""}, {}, 0x1, data, list.data(),
                            length, channel);
        list.resize(length);
        list.insert(list.end(), channel.bytes, channel.bytes + channel.length);
        sender->send(SendMode::All, device, list.data(), list.size(), pauseMs);
        return sender->waitUntilIdle();
    }
};

TEST(MidiBackendOut, theWireTimeIsAThirdOfAMillisecondPerByteRoundedUp) {
    // 31250 baud, a start bit, eight data bits and a stop bit: 320 us a byte.
    const std::pair<std::size_t, int64_t> rows[] = {{0, 0}, {3, 1}, {22, 8}, {25, 8}, {26, 9}, {408, 131}};
    for (const auto& [size, ms] : rows) EXPECT_EQ(ms, midiWireTimeMs(size)) << size << " bytes";
}

TEST(MidiBackendOut, thePortsNameTheirSystemOnlyWhereTwoSystemsOfferPorts) {
    const struct {
        const char* name;
        std::vector<std::string> alsa, jack;
        const char* jackUnreachable;
        std::vector<std::string> listed;
    } rows[] = {
        {"ALSA alone, no JACK server", {"Through", "Synth"}, {"recv:in"}, "no server", {"Through", "Synth"}},
        {"both", {"Synth"}, {"recv:in"}, "", {"ALSA: Synth", "Jack: recv:in"}},
        {"ALSA without ports, JACK", {}, {"recv:in"}, "", {"recv:in"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BackendRig rig(row.alsa, row.jack);
        rig.jack->unreachable = row.jackUnreachable;
        const MidiDeviceList list = rig.system->listDevices();
        EXPECT_EQ(row.listed, list.names);
        EXPECT_EQ(row.jackUnreachable, list.systems.at(1).error);
    }
}

TEST(MidiBackendOut, aSendGoesWholeAndPacedByTheWireAndFailuresCarryTheSystemsText) {
    using R = BackendRig&;
    // One code per distinct text, from the base up: each row's first text.
    const MidiError text = MidiBackendOut::kMidiBackendErrorBase;
    const struct {
        const char* name;
        unsigned device;  // ALSA: A, ALSA: B, Jack: X
        std::function<void(R)> after;  // between listing and sending
        MidiError code;  // 0: done
        const char* text;
        std::size_t received;  // by ALSA,
        unsigned port;         // on this port
    } rows[] = {
        {"JACK port refused", 2, [](R r) { r.jack->openRefusal = "no port"; }, text, "no port", 0, 0},
        {"JACK server gone", 2, [](R r) { r.jack->unreachable = "not running?"; }, text, "not running?", 0, 0},
        {"refused at the second message", 1, [](R r) { r.alsa->refuseMessage = 1; r.alsa->sendRefusal = "lost"; },
         text, "lost", 1, 1},
        {"port gone: no text, the front end words it", 1, [](R r) { r.alsa->ports = {"A"}; },
         kMidiBadDeviceId, "", 0, 0},
        {"another port came first", 1, [](R r) { r.alsa->ports = {"New", "A", "B"}; }, 0, "", 9, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BackendRig rig({"A", "B"}, {"X"});
        rig.system->listDevices();
        row.after(rig);
        Bytes list;
        const SendEvent event = rig.sendBulkDump(row.device, 20, list);
        EXPECT_EQ(row.code == 0, event.kind == SendEvent::Kind::Done);
        EXPECT_EQ(row.code, event.failure.code);
        EXPECT_EQ(row.text, event.failure.text);
        ASSERT_EQ(row.received, rig.alsa->received.size());
        for (const DeliveredMessage& message : rig.alsa->received) EXPECT_EQ(row.port, message.device);
        if (row.code != 0) continue;
        // Whole; 408 bytes take 130.56 ms on a cable, the program select follows 20 ms later.
        EXPECT_TRUE(bytesEqual(Bytes(list.begin(), list.begin() + 408), rig.alsa->received[0].bytes));
        EXPECT_EQ(151, rig.alsa->received[1].handedAtMs);
    }
}

}  // namespace
