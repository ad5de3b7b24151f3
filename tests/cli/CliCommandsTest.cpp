// `send` wired to the engine, with the core tests' fake device behind it.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeMidiOut.h"
#include "cli/CliCommands.h"
#include "midiout/SysexDeviceState.h"
#include "sysex/SysexBuilder.h"

namespace {

CliCommand sendCommand(const char* port) {
    const CliParse parse = parseCliArguments({"send", "--offsets", "0,-10,-8,-6,-10,-2,-12,-4,-8,-12,-4,-8",
                                              "--format", "xg", "--parts", "2-3", "--port", port,
                                              "--pause", "0"});
    EXPECT_EQ(kExitSuccess, parse.exitCode) << parse.message;
    return parse.command;
}

TEST(CliSend, TheDeviceGetsEveryMessageOfTheListingInOrder) {
    FakeClock clock;
    FakeMidiOut midi{clock};
    std::ostringstream out, err;
    ASSERT_EQ(kExitSuccess, runCliCommand(sendCommand("Fake Synth B"), out, err, midi)) << err.str();

    ScaleOffsets offsets;
    const int32_t cents[12] = {0, -10, -8, -6, -10, -2, -12, -4, -8, -12, -4, -8};
    for (int k = 0; k < 12; ++k) offsets[k] = cents[k];
    ScaleDataBytes dataBytes;
    uint8_t list[kLargestSysexList];
    uint32_t length = 0;
    ASSERT_TRUE(buildSysexList(TuningFormat::XG, offsets, 0x6, dataBytes, list, length));
    const std::vector<SysexSpan> spans = splitSysexList(list, length);

    const std::vector<DeliveredMessage> delivered = midi.delivered();
    ASSERT_EQ(spans.size(), delivered.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i));
        EXPECT_EQ(1u, delivered[i].device);
        EXPECT_TRUE(bytesEqual(Bytes(list + spans[i].offset, list + spans[i].offset + spans[i].size),
                               delivered[i].bytes));
    }
    EXPECT_EQ(0, midi.openDevices());
    EXPECT_EQ("", out.str());
}

TEST(CliSend, AKeyBasedFormSendsItsProgramSelectAfterTheSysEx) {
    FakeClock clock;
    FakeMidiOut midi{clock};
    std::ostringstream out, err;
    const CliParse parse = parseCliArguments({"send", "--temperament", "equal", "--format", "mts-bulk", "--parts",
                                              "2", "--program", "9", "--port", "0", "--pause", "0"});
    ASSERT_EQ(kExitSuccess, runCliCommand(parse.command, out, err, midi)) << err.str();
    const std::vector<DeliveredMessage> delivered = midi.delivered();
    ASSERT_EQ(9u, delivered.size());
    EXPECT_EQ(408u, delivered[0].bytes.size());
    EXPECT_TRUE(bytesEqual(hexBytes("B1 06 09"), delivered[3].bytes));
}

TEST(CliSend, FailuresExitWithStatusOneAndSayWhy) {
    FakeClock clock;
    FakeMidiOut midi{clock};
    {
        SCOPED_TRACE("device held by another program");
        midi.failOpenWith(kMidiAllocated);
        std::ostringstream out, err;
        EXPECT_EQ(kExitBadInput, runCliCommand(sendCommand("0"), out, err, midi));
        EXPECT_NE(std::string::npos, err.str().find("Fake Synth A")) << err.str();
        EXPECT_NE(std::string::npos, err.str().find("fake error 4")) << err.str();
        midi.failOpenWith(0);
    }
    {
        SCOPED_TRACE("no such device");
        std::ostringstream out, err;
        EXPECT_EQ(kExitBadInput, runCliCommand(sendCommand("2"), out, err, midi));
        EXPECT_NE(std::string::npos, err.str().find("--port 2")) << err.str();
    }
    EXPECT_TRUE(midi.delivered().empty());
}

}  // namespace
