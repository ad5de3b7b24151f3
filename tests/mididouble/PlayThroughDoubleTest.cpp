// The winmm input seam and the play-through worker against the test double
// under Wine: a scripted keyboard played through the pass-through processor
// reaches the double's output byte for byte, SysEx across the buffers
// included, the input gives every buffer back before it closes, and an
// output or input that goes away mid-stream ends play with its failure.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "WholeFiles.h"
#include "midiin/MidiInDevice.h"
#include "play/PassThroughProcessor.h"
#include "play/PlayThrough.h"

namespace {

std::string fileText(const std::string& path) { return readWholeFile(path).value_or(""); }

std::string tempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// Each case starts with empty files, the double's default output and two
// keyboards.
class PlayDouble : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string* path : {&log_, &trace_, &script_}) std::remove(path->c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_LOG", log_.c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_TRACE", trace_.c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_IN_SCRIPT", script_.c_str());
        SetEnvironmentVariableA("VELMARIN_MIDI_IN_DEVICES", "Keyboard A|Keyboard B");
        for (const char* name : {"VELMARIN_MIDI_DEVICES", "VELMARIN_MIDI_FAIL", "VELMARIN_MIDI_FAIL_AFTER",
                                 "VELMARIN_MIDI_DELAY_MS"})
            SetEnvironmentVariableA(name, nullptr);
    }
    void writeScript(const std::string& text) { std::ofstream(script_, std::ios::binary) << text; }
    // Plays keyboard B through to the output until it ends on its own or
    // `expectedLog` bytes have arrived (then stopped), within 10 s.
    PlayEvent playThrough(std::size_t expectedLog) {
        PassThroughProcessor processor;
        PlayThrough play(platformMidiIn(), 1, platformMidiOut(), 0, processor, nullptr);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (fileText(log_).size() < expectedLog && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        play.stop();
        return play.waitUntilStopped();
    }
    // Plays keyboard B through until a device fails, which it must.
    PlayEvent playUntilFailure() {
        PassThroughProcessor processor;
        PlayThrough play(platformMidiIn(), 1, platformMidiOut(), 0, processor, nullptr);
        const PlayEvent stopped = play.waitUntilStopped();
        EXPECT_TRUE(stopped.failed);
        return stopped;
    }

    std::string log_ = tempPath("velmarin-play-log.syx");
    std::string trace_ = tempPath("velmarin-play-trace.txt");
    std::string script_ = tempPath("velmarin-play-script.txt");
};

// The hex of `bytes` as a script line wants it.
std::string hexLine(const std::string& bytes) {
    std::string line;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, " %02X", byte);
        line += digits;
    }
    return line;
}

TEST_F(PlayDouble, listsTheKeyboards) {
    const MidiDeviceList list = platformMidiIn().listDevices();
    ASSERT_TRUE(list.available);
    EXPECT_EQ((std::vector<std::string>{"Keyboard A", "Keyboard B"}), list.names);
}

TEST_F(PlayDouble, aScriptedKeyboardReachesTheOutputByteForByte) {
    // A SysEx longer than one of the seam's 2048-byte buffers takes two.
    std::string longSysex = "\xF0\x7D";
    for (int i = 0; i < 2998; ++i) longSysex += static_cast<char>(i % 128);
    longSysex += '\xF7';
    const std::string messages[] = {
        "\x90\x3C\x64", "\xB0\x40\x7F", std::string("\xF0\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 11),
        longSysex, std::string("\xE0\x00\x48", 3), "\xC0\x05", "\x80\x3C\x40", std::string("\xB0\x40\x00", 3),
        "\xD0\x30"};
    std::string script = "# ms, then the message\n";
    std::string expected;
    int ms = 0;
    const auto add = [&](const std::string& message) {
        script += std::to_string(ms) + hexLine(message) + "\n";
        expected += message;
        ms += 5;
    };
    for (const std::string& message : messages) add(message);
    // More SysEx than the seam has buffers: each must come back to the driver.
    for (char value = 0; value < 20; ++value) add(std::string("\xF0\x43\x10\x4C\x08\x00\x41", 7) + value + '\xF7');
    writeScript(script);
    const PlayEvent stopped = playThrough(expected.size());
    EXPECT_FALSE(stopped.failed) << stopped.failure.text;
    EXPECT_EQ(expected.size(), fileText(log_).size());
    EXPECT_TRUE(expected == fileText(log_)) << "the output got other bytes";
    // The input stopped before the output closed; on its own close every
    // buffer came back through the reset and was unprepared first.
    std::string closing = "in stop\nin reset\n";
    for (int i = 0; i < 16; ++i) closing += "in unprepare\n";
    closing += "in close\n";
    const std::string trace = fileText(trace_);
    EXPECT_EQ(closing, trace.substr(trace.size() - std::min(trace.size(), closing.size()))) << trace;
    EXPECT_LT(trace.find("in stop\n"), trace.find("\nclose\n"));
    EXPECT_EQ(std::string::npos, trace.find("refused")) << trace;
}

TEST_F(PlayDouble, anOutputUnpluggedMidStreamEndsPlayWithTheSystemsCodeAndText) {
    SetEnvironmentVariableA("VELMARIN_MIDI_FAIL_AFTER", "Velmarin Test MIDI:2");
    writeScript("0 90 3C 64\n5 90 40 64\n10 90 43 64\n");
    const PlayEvent stopped = playUntilFailure();
    EXPECT_EQ(PlayFailure::Device::Output, stopped.failure.device);
    EXPECT_EQ(kMidiNoDriver, stopped.failure.code);
    EXPECT_NE(std::string::npos, stopped.failure.text.find("not connected")) << stopped.failure.text;
    EXPECT_EQ(std::string("\x90\x3C\x64\x90\x40\x64"), fileText(log_));
    // The third note, then the stop's three note offs, were tried.
    const std::string trace = fileText(trace_);
    std::size_t refusals = 0;
    for (std::size_t at = trace.find("refused"); at != std::string::npos; at = trace.find("refused", at + 1))
        ++refusals;
    EXPECT_EQ(4u, refusals) << trace;
}

TEST_F(PlayDouble, aKeyboardThatGoesAwayEndsPlayAfterItsNotesEnd) {
    writeScript("0 90 3C 64\n20 close\n");
    const PlayEvent stopped = playUntilFailure();
    EXPECT_EQ(PlayFailure::Device::Input, stopped.failure.device);
    EXPECT_EQ(PlayFailure::Step::Receive, stopped.failure.step);
    EXPECT_EQ(kMidiDeviceGone, stopped.failure.code);
    EXPECT_EQ(std::string("\x90\x3C\x64\x80\x3C\x40"), fileText(log_));
}

}  // namespace
