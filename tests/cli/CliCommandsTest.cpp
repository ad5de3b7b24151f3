// `send` wired to the engine, and `ports` and `play` to the devices and the
// retuning engine, with the core tests' fake devices behind them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iterator>
#include <sstream>
#include <thread>

#include "FakeMidiIn.h"
#include "FakeMidiOut.h"
#include "base/SystemErrorText.h"
#include "cli/ApplyCommand.h"
#include "cli/CliCommands.h"
#include "cli/CliTexts.h"

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

    // XG: parts 2 and 3 (01, 02), C..B (41..4C), 40 + cents.
    const char* const expected[] = {
        "F0 43 10 4C 08 01 41 40 F7", "F0 43 10 4C 08 01 42 36 F7", "F0 43 10 4C 08 01 43 38 F7",
        "F0 43 10 4C 08 01 44 3A F7", "F0 43 10 4C 08 01 45 36 F7", "F0 43 10 4C 08 01 46 3E F7",
        "F0 43 10 4C 08 01 47 34 F7", "F0 43 10 4C 08 01 48 3C F7", "F0 43 10 4C 08 01 49 38 F7",
        "F0 43 10 4C 08 01 4A 34 F7", "F0 43 10 4C 08 01 4B 3C F7", "F0 43 10 4C 08 01 4C 38 F7",
        "F0 43 10 4C 08 02 41 40 F7", "F0 43 10 4C 08 02 42 36 F7", "F0 43 10 4C 08 02 43 38 F7",
        "F0 43 10 4C 08 02 44 3A F7", "F0 43 10 4C 08 02 45 36 F7", "F0 43 10 4C 08 02 46 3E F7",
        "F0 43 10 4C 08 02 47 34 F7", "F0 43 10 4C 08 02 48 3C F7", "F0 43 10 4C 08 02 49 38 F7",
        "F0 43 10 4C 08 02 4A 34 F7", "F0 43 10 4C 08 02 4B 3C F7", "F0 43 10 4C 08 02 4C 38 F7",
    };
    const std::vector<DeliveredMessage> delivered = midi.delivered();
    ASSERT_EQ(std::size(expected), delivered.size());
    for (std::size_t i = 0; i < delivered.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i));
        EXPECT_EQ(1u, delivered[i].device);
        EXPECT_TRUE(bytesEqual(hexBytes(expected[i]), delivered[i].bytes));
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

TEST(CliPorts, theInputsAreListedWithInputs) {
    FakeClock clock;
    FakeMidiOut midiOut{clock};
    FakeMidiIn midiIn;
    for (const bool inputs : {false, true}) {
        SCOPED_TRACE(inputs ? "ports --inputs" : "ports");
        CliCommand command;
        command.kind = CliCommandKind::Ports;
        command.inputs = inputs;
        std::ostringstream out, err;
        EXPECT_EQ(kExitSuccess, runCliCommand(command, out, err, midiOut, midiIn));
        EXPECT_EQ(inputs ? "0\tFake Keyboard A\n1\tFake Keyboard B\n" : "0\tFake Synth A\n1\tFake Synth B\n", out.str());
    }
}

// A C major chord played on the fake keyboard once play has started, then
// Ctrl+C: what the fake synthesizer got, and the two lines on standard
// output. Werckmeister III bends E by -9.775 cents and G by -3.91; at the
// range the engine takes for it, 3 semitones (the wheel's 2 and the widest
// bend), a cent is 8192 / 300 of a bend: E 7925 (75 3D), G 8085 (15 3F); at
// the MPE members' 24 semitones, 8192 / 2400: E 8159 (5F 3F).
struct PlayRow {
    const char* name;
    std::vector<std::string> options;
    std::vector<std::string> chord;
    std::vector<std::string> sent;
    const char* lines;
};

// Registered parameter 0 (the bend range) set on a channel, then the null one.
std::vector<std::string> range(int channel, int semitones) {
    char status[3], value[3];
    std::snprintf(status, sizeof status, "B%X", channel - 1);
    std::snprintf(value, sizeof value, "%02X", semitones);
    const std::string b = status;
    return {b + " 65 00", b + " 64 00", b + " 06 " + value, b + " 26 00", b + " 65 7F", b + " 64 7F"};
}

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const std::vector<std::string>& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(CliPlay, aChordGoesThroughTheEngineAndTheLinesSayWhatWasPlayed) {
    const std::vector<std::string> chord = {"90 3C 64", "90 40 64", "90 43 64"};
    const PlayRow rows[] = {
        {"by pitch bend on three channels", {"--channels", "1-3"}, chord,
         joined({range(1, 3), range(2, 3), range(3, 3),
                 {"90 3C 64", "E1 75 3D", "91 40 64", "E2 15 3F", "92 43 64",
                  "80 3C 40", "B0 40 00", "B0 42 00", "B0 7B 00",
                  "81 40 40", "B1 40 00", "B1 42 00", "B1 7B 00", "E1 00 40",
                  "82 43 40", "B2 40 00", "B2 42 00", "B2 7B 00", "E2 00 40"}}),
         "playing Werckmeister III from 'Fake Keyboard B' to 'Fake Synth B' by pitch bend on channels 1-3; Ctrl+C ends\n"
         "played 3 notes; none off pitch\n"},
        {"by pitch bend on one channel: E and G find none bent to them", {"--channels", "1"}, chord,
         joined({range(1, 3),
                 {"90 3C 64", "90 40 64", "90 43 64",
                  "80 3C 40", "80 40 40", "80 43 40", "B0 40 00", "B0 42 00", "B0 7B 00"}}),
         "playing Werckmeister III from 'Fake Keyboard B' to 'Fake Synth B' by pitch bend on channels 1; Ctrl+C ends\n"
         "played 3 notes; 2 off pitch (no channel free), by at most 9.78 cents\n"},
        {"as an MPE zone of two members at 24 semitones",
         {"--method", "mpe", "--mpe-channels", "2", "--mpe-bend-range", "24"}, {"90 3C 64", "90 40 64"},
         joined({{"B0 64 06", "B0 65 00", "B0 06 02", "B0 65 7F", "B0 64 7F"}, range(2, 24), range(3, 24), range(1, 2),
                 {"91 3C 64", "E2 5F 3F", "92 40 64",
                  "81 3C 40", "B1 40 00", "B1 42 00", "B1 7B 00",
                  "82 40 40", "B2 40 00", "B2 42 00", "B2 7B 00", "E2 00 40"}}),
         "playing Werckmeister III from 'Fake Keyboard B' to 'Fake Synth B' as an MPE zone on channels 2-3 at 24 "
         "semitones; Ctrl+C ends\n"
         "played 2 notes; none off pitch\n"},
        {"by GM2 tuning messages: the twelve offsets + 64 first, the notes as they come",
         {"--method", "tuning", "--format", "gm2", "--parts", "1"}, chord,
         {"F0 7E 7F 08 08 00 00 01 40 36 38 3A 36 3E 34 3C 38 34 3C 38 F7", "90 3C 64", "90 40 64", "90 43 64",
          "80 3C 40", "80 40 40", "80 43 40", "B0 40 00", "B0 42 00", "B0 7B 00"},
         "playing Werckmeister III from 'Fake Keyboard B' to 'Fake Synth B' by gm2 tuning messages for parts 1; "
         "Ctrl+C ends\n"
         "played 3 notes\n"},
    };
    for (const PlayRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> arguments = {"play", "--temperament", "werckmeister3", "--in", "Fake Keyboard B",
                                              "--port", "1"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        const CliParse parse = parseCliArguments(arguments);
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        FakeClock clock;
        FakeMidiOut midiOut{clock};
        FakeMidiIn midiIn;
        // What the keyboard delivers before the stop is played before the notes end.
        const auto playChordThenStop = [&](std::chrono::milliseconds) {
            midiIn.waitUntilStarted();
            for (const std::string& message : row.chord) midiIn.deliver(hexBytes(message));
            return true;
        };
        std::ostringstream out, err;
        EXPECT_EQ(kExitSuccess, runCliCommand(parse.command, out, err, midiOut, midiIn, playChordThenStop)) << err.str();
        std::vector<Bytes> sent;
        for (const DeliveredMessage& message : midiOut.delivered()) sent.push_back(message.bytes);
        EXPECT_TRUE(messagesAre(row.sent, sent));
        EXPECT_EQ(row.lines, out.str());
        EXPECT_EQ("", err.str());
        EXPECT_EQ((std::vector<std::string>{"open 1", "start", "stop", "close"}), midiIn.calls());
    }
}

TEST(CliPlay, aDeviceMissingOrFailingExitsWithStatusOneAndSaysWhy) {
    const auto never = [](std::chrono::milliseconds) { return false; };
    {
        SCOPED_TRACE("no such input");
        FakeClock clock;
        FakeMidiOut midiOut{clock};
        FakeMidiIn midiIn;
        std::ostringstream out, err;
        const CliParse parse =
            parseCliArguments({"play", "--temperament", "equal", "--in", "Keys", "--port", "0"});
        EXPECT_EQ(kExitBadInput, runCliCommand(parse.command, out, err, midiOut, midiIn, never));
        EXPECT_EQ("velmarin-cli: --in Keys: no such MIDI input device (velmarin-cli ports --inputs lists them)\n",
                  err.str());
        EXPECT_TRUE(midiIn.calls().empty());
    }
    {
        SCOPED_TRACE("the output held by another program");
        FakeClock clock;
        FakeMidiOut midiOut{clock};
        FakeMidiIn midiIn;
        midiOut.failOpenWith(kMidiAllocated);
        std::ostringstream out, err;
        const CliParse parse = parseCliArguments({"play", "--temperament", "equal", "--in", "0", "--port", "1"});
        EXPECT_EQ(kExitBadInput, runCliCommand(parse.command, out, err, midiOut, midiIn, never));
        EXPECT_EQ("velmarin-cli: MIDI output device 1 (Fake Synth B) could not be opened: fake error 4\n", err.str());
        EXPECT_EQ("", out.str());
    }
    {
        SCOPED_TRACE("the keyboard unplugged while playing");
        FakeClock clock;
        FakeMidiOut midiOut{clock};
        FakeMidiIn midiIn;
        std::ostringstream out, err;
        const CliParse parse = parseCliArguments({"play", "--temperament", "equal", "--in", "0", "--port", "1"});
        bool unplugged = false;
        const auto unplug = [&](std::chrono::milliseconds timeout) {
            if (!unplugged) {
                midiIn.waitUntilStarted();
                midiIn.fail(kMidiDeviceGone);
                unplugged = true;
            }
            std::this_thread::sleep_for(timeout);
            return false;
        };
        EXPECT_EQ(kExitBadInput, runCliCommand(parse.command, out, err, midiOut, midiIn, unplug));
        EXPECT_EQ("velmarin-cli: MIDI input device 0 (Fake Keyboard A) stopped delivering: the device went away\n",
                  err.str());
        EXPECT_NE(std::string::npos, out.str().find("\nplayed 0 notes; none off pitch\n")) << out.str();
    }
}

// apply's line: every time in whole milliseconds, a half rounded up.
TEST(CliApply, theSummaryRoundsMillisecondsHalfUp) {
    const auto summary = [](double tuningMs, bool afterReset, double resetMs, uint64_t shiftTicks, double shiftMs) {
        SongSummary s;
        s.format = 1;
        s.tracks = 2;
        s.messages = 16;
        s.firstTuningMs = tuningMs;
        s.afterReset = afterReset;
        s.resets.push_back({SysexKind::GsReset, 0, 0, resetMs, true});
        s.shiftTicks = shiftTicks;
        s.shiftMs = shiftMs;
        return s;
    };
    SongSummary warned = summary(2.5, false, 0, 0, 0);
    warned.gapWarnings.push_back({1999.5, 3});
    warned.gapWarnings.push_back({2000.4, 1});
    const struct {
        const char* name;
        SongSummary summary;
        const char* line;
    } rows[] = {
        {"99.5 up, 0.4 down", summary(99.5, true, 0.4, 48, 99.5),
         "format 1, 2 tracks; 16 messages in track 1 at 100 ms, after GS Reset at 0 ms; music moved 100 ms (48 ticks) later"},
        {"0.5 up, 100.4999 down", summary(100.4999, true, 0.5, 1, 0.5),
         "format 1, 2 tracks; 16 messages in track 1 at 100 ms, after GS Reset at 1 ms; music moved 1 ms (1 tick) later"},
        {"no reset; the warnings' resets", warned,
         "format 1, 2 tracks; 16 messages in track 1 at 3 ms, no reset before the first note"
         "; warning: 3 notes on tuned channels before the tuning after the reset at 2000 ms"
         "; warning: 1 note on tuned channels before the tuning after the reset at 2000 ms"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.line, songSummaryLine(row.summary));
    }
}

}  // namespace

namespace {

// The command line words each report of the core; one test that no kind
// is left without words, and the texts that need the result's context.
TEST(CliTexts, everyReportHasItsWords) {
    for (int kind = 1; kind < kSmfErrorCount; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_NE("", std::string(smfErrorText(static_cast<SmfError>(kind))));
    }
    TuningReadResult result;
    for (int kind = 0; kind <= static_cast<int>(TuningWarningKind::OtherProgramIgnored); ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_NE("", tuningWarningText(result, {static_cast<TuningWarningKind>(kind)}));
    }

    const struct {
        const char* name;
        TuningFormat format;
        TuningGroup group;
        uint16_t parts;
        TuningReadWarning warning;
        const char* text;
    } rows[] = {
        {"parts left out", TuningFormat::GS, TuningGroup::Gs, 0x0042,
         {TuningWarningKind::OtherPartsDiffer, 0x0810},
         "Parts 5, 12 carry other offsets than part 2 and were left out."},
        {"a channel left out", TuningFormat::GM2, TuningGroup::Gm2Channels, 0x0001,
         {TuningWarningKind::OtherPartsDiffer, 0x8000}, "Channel 16 carry other offsets than channel 1 and were left out."},
        {"a part without every note", TuningFormat::XG, TuningGroup::Xg, 0x0008,
         {TuningWarningKind::IncompletePart, 0x0008, 0x0FE0}, "Part 4 has no value for F, F#, G, G#, A, A#, B; read as 0."},
        {"a bulk dump's checksum", TuningFormat::GM2, TuningGroup::Gm2Keys, 0, {TuningWarningKind::BadChecksum, 0, 0, 3},
         "Bulk dump 3 has a wrong checksum and was skipped."},
        {"another group skipped", TuningFormat::GS, TuningGroup::Gs, 1,
         {TuningWarningKind::OtherFormatIgnored, 0, 0, 2, TuningGroup::Gm2Keys},
         "GM2 single-note and bulk dump messages were skipped: the file's first tuning message is GS."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        result.format = row.format;
        result.group = row.group;
        result.parts = row.parts;
        EXPECT_EQ(row.text, tuningWarningText(result, row.warning));
    }
}

TEST(CliTexts, aFileNotLoadedIsRefusedWithTheSystemsReason) {
    std::string bytes;
    const LoadedFile missing = loadFileBytes("no-such-folder/no-such-file.scl", kMaxScalaFileBytes, bytes);
    const std::string reason = systemErrorText(missing.systemError);
    const struct {
        const char* name;
        LoadedFile loaded;
        std::size_t limit;
        std::string text;
    } rows[] = {
        {"not opened", missing, kMaxScalaFileBytes, "cannot be opened: " + reason},
        {"failing midway", {LoadFileError::ReadFailed, missing.systemError}, kMaxScalaFileBytes,
         "cannot be read: " + reason},
        {"a song too large", {LoadFileError::TooLarge}, kMaxSongFileBytes, "is larger than 64 MiB"},
        {"a scale too large", {LoadFileError::TooLarge}, kMaxScalaFileBytes, "is larger than 1 MiB"},
    };
    ASSERT_EQ(LoadFileError::CannotOpen, missing.error);
    ASSERT_NE(std::string::npos, reason.find_first_not_of("system error 0123456789")) << reason;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.text, loadErrorText(row.loaded, row.limit));
    }
}

TEST(CliTexts, theFitReportIsATableWithHeldAndUnmappedNotes) {
    PitchClassOffsets offsets = offsetsFromCentsAboveC({0, 0, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1110.126});
    offsets.unmapped = 1u << 2;
    const FitResult result = fitOffsets(offsets, {});
    EXPECT_EQ("Note     Exact  Sent   Error\n"
              "C         0.00     0    0.00\n"
              "C#     -100.00   -64   36.00  held\n"
              "D         0.00     0    0.00\n"
              "D#        0.00     0    0.00\n"
              "E         0.00     0    0.00\n"
              "F         0.00     0    0.00\n"
              "F#        0.00     0    0.00\n"
              "G         0.00     0    0.00\n"
              "G#        0.00     0    0.00\n"
              "A         0.00     0    0.00\n"
              "A#        0.00     0    0.00\n"
              "B        10.13    10   -0.13\n"
              "Held at a limit: C#\n"
              "Not in the scale (sent as 0 before the zero note): D\n",
              formatFitReport(result.fit));
}

TEST(CliTexts, scaleFilesAreRefusedNamingTheLine) {
    const struct {
        const char* file;
        const char* text;
    } rows[] = {
        {"bad_too_few_pitches.scl", "Line 6: the file ends after 3 of 4 pitches."},
        {"bad_zero_denominator.scl", "Line 4: the ratio has denominator 0."},
        {"thirteen_notes.scl",
         "The scale has 13 notes; Velmarin tunes twelve pitch classes that repeat every octave, so at most twelve "
         "notes can be used."},
        {"degrees_collide.scl", "Scale degree 1 (line 4) and degree 2 (line 5) both fall on D."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const ScalaReadResult read = parseScala(readFile(fixturePath(std::string("scl/") + row.file)));
        EXPECT_EQ(row.text, read.ok() ? scaleMapErrorText(mapScaleToPitchClasses(read.scale)) : scalaErrorText(read));
    }
}

}  // namespace
