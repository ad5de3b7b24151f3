// The winmm seam and the engine against the winmm test double under Wine:
// the double must be what LoadLibraryEx finds in System32, and the bytes,
// calls and errors must arrive as the engine sends them. Run by
// run-midiout-wine.sh, which puts the double into the prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "midiout/MidiOutDevice.h"
#include "midiout/SysexSender.h"
#include "sysex/SysexBuilder.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string tempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// Each case starts with empty files and the double's defaults.
class MidiDouble : public ::testing::Test {
protected:
    void SetUp() override {
        std::remove(log_.c_str());
        std::remove(trace_.c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_LOG", log_.c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_TRACE", trace_.c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_DEVICES", nullptr);
        SetEnvironmentVariableA("VELMARIN_MIDI_FAIL", nullptr);
        SetEnvironmentVariableA("VELMARIN_MIDI_DELAY_MS", nullptr);
        ASSERT_TRUE(platformMidiOut().listDevices().available);
        HMODULE winmm = GetModuleHandleA("winmm.dll");
        ASSERT_TRUE(winmm && GetProcAddress(winmm, "velmarinMidiDouble"))
            << "winmm.dll from System32 is not the test double";
    }

    std::string log_ = tempPath("velmarin-midi-log.syx");
    std::string trace_ = tempPath("velmarin-midi-trace.txt");
};

// The last `count` bytes of `trace`, all of a shorter one.
std::string traceEnd(const std::string& trace, std::size_t count) {
    return trace.substr(trace.size() - std::min(count, trace.size()));
}

std::string buildXgPart1() {
    const ScaleOffsets offsets = {0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12};
    ScaleDataBytes data;
    uint8_t buffer[kLargestSysexList];
    uint32_t length = 0;
    buildSysexList(TuningFormat::XG, offsets, 0x0001, data, buffer, length);
    return std::string(reinterpret_cast<char*>(buffer), length);
}

TEST_F(MidiDouble, listsTheDevicesInUtf8) {
    // "シンセ" in code page 932, which the double widens, and in UTF-8.
    SetEnvironmentVariableA("VELMARIN_MIDI_DEVICES", "Synth A|\x83\x56\x83\x93\x83\x5A B");
    const MidiDeviceList list = platformMidiOut().listDevices();
    ASSERT_EQ(2u, list.names.size());
    EXPECT_EQ("Synth A", list.names[0]);
    EXPECT_EQ("\xE3\x82\xB7\xE3\x83\xB3\xE3\x82\xBB B", list.names[1]);

    SetEnvironmentVariableA("VELMARIN_MIDI_DEVICES", "");
    EXPECT_TRUE(platformMidiOut().listDevices().names.empty());
}

TEST_F(MidiDouble, theEngineSendsEveryMessageAsItsOwnLongMessage) {
    SetEnvironmentVariableA("VELMARIN_MIDI_DELAY_MS", "3");
    const std::string list = buildXgPart1();
    SysexSender sender(platformMidiOut(), nullptr);
    sender.send(SendMode::All, 0, reinterpret_cast<const uint8_t*>(list.data()), list.size(), 1);
    const SendEvent end = sender.waitUntilIdle();
    EXPECT_EQ(SendEvent::Kind::Done, end.kind) << end.failure.text;
    EXPECT_EQ(12u, end.sent);
    EXPECT_EQ(list, fileText(log_));
    std::string expected = "open 0\n";
    for (int i = 0; i < 12; ++i) expected += "long 9\n";
    expected += "close\n";
    EXPECT_EQ(expected, fileText(trace_));
}

TEST_F(MidiDouble, shutdownDuringLiveSendingResetsAndCloses) {
    const std::string list = buildXgPart1();
    {
        SysexSender sender(platformMidiOut(), nullptr);
        sender.send(SendMode::Changes, 0, reinterpret_cast<const uint8_t*>(list.data()),
                    list.size(), 0);
        EXPECT_EQ(SendEvent::Kind::Done, sender.waitUntilIdle().kind);
    }
    EXPECT_EQ("long 9\nreset\nclose\n", traceEnd(fileText(trace_), 19));
}

TEST_F(MidiDouble, failuresCarryTheSystemCodeAndText) {
    const struct {
        const char* fail;
        SendFailure::Step step;
        MidiError code;
        const char* text;
    } rows[] = {
        {"open", SendFailure::Step::Open, kMidiAllocated, "already in use"},
        {"send", SendFailure::Step::Send, kMidiNoDriver, "not connected"},
        {"stuck", SendFailure::Step::Stuck, kMidiStillPlaying, "still playing"},
        {"never", SendFailure::Step::Timeout, kMidiTimedOut, ""},
    };
    const std::string list = buildXgPart1();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fail);
        SetEnvironmentVariableA("VELMARIN_MIDI_FAIL", row.fail);
        SysexSender sender(platformMidiOut(), nullptr);
        sender.send(SendMode::All, 0, reinterpret_cast<const uint8_t*>(list.data()), list.size(), 0);
        const SendEvent end = sender.waitUntilIdle();
        EXPECT_EQ(SendEvent::Kind::Failed, end.kind);
        EXPECT_EQ(row.step, end.failure.step);
        EXPECT_EQ(row.code, end.failure.code);
        EXPECT_TRUE(*row.text ? end.failure.text.find(row.text) != std::string::npos : end.failure.text.empty())
            << end.failure.text;
    }
    // The message that never completed was returned by a reset before the
    // close; the stuck device was asked three times and never closed.
    EXPECT_EQ("long 9\nreset\nreset\nreset\nopen 0\nlong 9\nreset\nclose\n", traceEnd(fileText(trace_), 51));
}

}  // namespace
