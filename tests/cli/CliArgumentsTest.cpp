// The command line's shape and values, parsed without any file or device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliOptionTable.h"
#include "version.h"

namespace {

using Arguments = std::vector<std::string>;

std::string joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments) text += (text.empty() ? "" : " ") + argument;
    return text;
}

// The base of a valid build line, to which a row adds or changes options.
Arguments buildWith(Arguments extra) {
    Arguments arguments = {"build", "--temperament", "equal", "--format", "gs", "--parts", "1"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

// The same for play.
Arguments playWith(Arguments extra) {
    Arguments arguments = {"play", "--temperament", "equal", "--in", "0", "--port", "1"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

struct RejectedLine {
    Arguments arguments;
    int exitCode;
    const char* messagePart;
};

TEST(CliArguments, RejectedLinesExitWithUsageOrBadValue) {
    const RejectedLine rows[] = {
        // Usage errors: the line is not one of the program's.
        {{}, kExitUsage, "no command"},
        {{"juggle"}, kExitUsage, "unknown command"},
        {{"temperaments", "--report"}, kExitUsage, "does not take --report"},
        {{"offsets"}, kExitUsage, "needs a source"},
        {{"offsets", "--temperament", "equal", "--scl", "a.scl"}, kExitUsage, "one source"},
        {{"offsets", "--temperament", "equal", "--tonic"}, kExitUsage, "needs a value"},
        {{"offsets", "--temperament", "equal", "--tonic", "C", "--tonic", "D"}, kExitUsage, "twice"},
        {{"temperaments", "--format", "gs"}, kExitUsage, "does not take --format"},
        {{"offsets", "--temperament", "equal", "--zero", "c"}, kExitUsage, "tonic or a"},
        {{"offsets", "--temperament", "equal", "extra"}, kExitUsage, "unexpected argument"},
        {{"offsets", "--temperament", "equal", "--verbose"}, kExitUsage, "unknown option"},
        {{"build", "--temperament", "equal", "--parts", "1"}, kExitUsage, "needs --format"},
        {{"build", "--temperament", "equal", "--format", "gs"}, kExitUsage, "needs --parts"},
        {buildWith({"--format", "xg"}), kExitUsage, "twice"},
        {{"build", "--temperament", "equal", "--format", "mts", "--parts", "1"}, kExitUsage, "gs, xg or gm2"},
        {buildWith({"--program", "1"}), kExitUsage, "goes with --format mts-note or mts-bulk"},
        {buildWith({"-o", "tuning.wav"}), kExitUsage, ".mid, .syx or .txt"},
        {buildWith({"-o", "tuning"}), kExitUsage, ".mid, .syx or .txt"},
        {buildWith({"--port", "0"}), kExitUsage, "does not take --port"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1"}, kExitUsage, "needs --port"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1", "--port", "0", "-o", "a.syx"},
         kExitUsage, "does not take -o"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1", "--port", "0",
          "--division", "480"}, kExitUsage, "does not take --division"},
        {{"read"}, kExitUsage, "needs a file"},
        {{"read", "a.syx", "b.syx"}, kExitUsage, "unexpected argument"},
        {{"read", "scale.SCL"}, kExitUsage, "Scala scale"},
        {{"keys", "--temperament", "equal", "--kbm", "a.kbm"}, kExitUsage, "--kbm goes with --scl"},
        {{"keys", "--scl", "a.scl", "--kbm", "a.kbm", "--tonic", "D"}, kExitUsage, "--tonic does not go"},
        {{"temperaments", "--kbm", "a.kbm"}, kExitUsage, "does not take --kbm"},
        {{"offsets", "--temperament", "equal", "--keys"}, kExitUsage, "does not take --keys"},
        {{"read", "tuning.wav"}, kExitUsage, ".syx, .mid or .txt"},
        {{"ports", "0"}, kExitUsage, "unexpected argument"},
        {{"analyse"}, kExitUsage, "needs a source"},
        {{"offsets", "--temperament", "equal", "--sent"}, kExitUsage, "does not take --sent"},
        {{"apply", "--temperament", "equal", "--format", "gs", "--parts", "1"}, kExitUsage, "needs a song"},
        {{"apply", "a.mid", "--temperament", "equal", "--format", "gs", "--parts", "1", "-o", "b.mid", "--out-dir",
          "d"}, kExitUsage, "not both"},
        {{"apply", "a.mid", "--temperament", "equal", "--format", "gs", "--parts", "1", "--division", "96"},
         kExitUsage, "does not take --division"},
        {buildWith({"--overwrite"}), kExitUsage, "does not take --overwrite"},
        {{"apply", "a.mid", "--temperament", "equal", "--pitch-bend", "--format", "gs"}, kExitUsage, "SysEx method"},
        {{"apply", "a.mid", "--temperament", "equal", "--format", "gs", "--parts", "1", "--bend-range", "4"},
         kExitUsage, "goes with --pitch-bend"},
        {{"apply", "a.mid", "--temperament", "equal", "--pitch-bend", "--bend-range", "25"}, kExitBadInput, "1 and 24"},
        {{"apply", "a.mid", "--temperament", "equal", "--pitch-bend", "--bend-range", "0"}, kExitBadInput, "1 and 24"},
        {{"ports", "--in", "0"}, kExitUsage, "does not take --in"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1", "--port", "0", "--inputs"}, kExitUsage,
         "does not take --inputs"},
        {{"play", "--temperament", "equal", "--port", "1"}, kExitUsage, "play needs --in"},
        {{"play", "--temperament", "equal", "--in", "0"}, kExitUsage, "play needs --port"},
        {{"play", "--in", "0", "--port", "1"}, kExitUsage, "needs a source"},
        {playWith({"--method", "sysex"}), kExitUsage, "bend, mpe or tuning"},
        {playWith({"--method", "tuning", "--parts", "1"}), kExitUsage, "play needs --format"},
        {playWith({"--method", "tuning", "--format", "gs"}), kExitUsage, "play needs --parts"},
        {playWith({"--format", "gs", "--parts", "1"}), kExitUsage, "--format goes with --method tuning"},
        {playWith({"--method", "mpe", "--parts", "1"}), kExitUsage, "--parts goes with --method tuning"},
        {playWith({"--program", "1"}), kExitUsage, "--program goes with --method tuning"},
        {playWith({"--method", "tuning", "--format", "gs", "--parts", "1", "--program", "1"}), kExitUsage,
         "--program goes with --format mts-note or mts-bulk"},
        {playWith({"--method", "mpe", "--channels", "1-4"}), kExitUsage, "--channels goes with --method bend"},
        {playWith({"--method", "mpe", "--bend-range", "4"}), kExitUsage, "--bend-range goes with --method bend"},
        {playWith({"--method", "tuning", "--format", "gs", "--parts", "1", "--drums", "none"}), kExitUsage,
         "--drums goes with --method bend or mpe"},
        {playWith({"--mpe-channels", "4"}), kExitUsage, "--mpe-channels goes with --method mpe"},
        {playWith({"--method", "bend", "--mpe-bend-range", "24"}), kExitUsage, "--mpe-bend-range goes with --method mpe"},
        {playWith({"-o", "a.mid"}), kExitUsage, "play does not take -o"},
        {playWith({"--reset"}), kExitUsage, "--reset goes with --mts-esp"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1", "--port", "0", "--mts-esp"}, kExitUsage,
         "does not take --mts-esp"},
        {playWith({"--bend-range", "25"}), kExitBadInput, "1 and 24"},
        {playWith({"--method", "mpe", "--mpe-bend-range", "97"}), kExitBadInput, "1 and 96"},
        {playWith({"--method", "mpe", "--mpe-channels", "0"}), kExitBadInput, "1 and 15"},
        {playWith({"--method", "mpe", "--mpe-channels", "16"}), kExitBadInput, "1 and 15"},
        {playWith({"--channels", "0-3"}), kExitBadInput, "channels are numbers 1 to 16"},
        {playWith({"--drums", "0"}), kExitBadInput, "1 to 16, or none"},
        {playWith({"--drums", "17"}), kExitBadInput, "1 to 16, or none"},
        {playWith({"--drums", "ten"}), kExitBadInput, "1 to 16, or none"},
        {{"mts-esp"}, kExitUsage, "needs a source"},
        {{"mts-esp", "--temperament", "equal", "--format", "gs"}, kExitUsage, "does not take --format"},
        {{"mts-esp", "--temperament", "equal", "--kbm", "a.kbm"}, kExitUsage, "--kbm goes with --scl"},
        {{"mts-esp", "--temperament", "equal", "a.mid"}, kExitUsage, "unexpected argument"},
        {{"keys", "--temperament", "equal", "--reset"}, kExitUsage, "does not take --reset"},
        {{"mts-esp", "--temperament", "equal", "--a4", "481"}, kExitBadInput, "380 and 480"},
        // Bad values: the right shape, a value out of range or malformed.
        {{"offsets", "--temperament", "werckmeister"}, kExitBadInput, "no such temperament"},
        {{"offsets", "--offsets", "0,0,0,0,0,0,0,0,0,0,0"}, kExitBadInput, "offset 12"},
        {{"offsets", "--offsets", "0,0,0,0,0,0,0,0,0,0,0,0,0"}, kExitBadInput, "more than twelve"},
        {{"offsets", "--offsets", "0,0,x,0,0,0,0,0,0,0,0,0"}, kExitBadInput, "offset 3"},
        {{"offsets", "--temperament", "equal", "--tonic", "H"}, kExitBadInput, "not a note name"},
        {{"offsets", "--temperament", "equal", "--tonic", "c"}, kExitBadInput, "not a note name"},
        {{"offsets", "--temperament", "equal", "--a4", "379.99"}, kExitBadInput, "380 and 480"},
        {{"offsets", "--temperament", "equal", "--a4", "480.01"}, kExitBadInput, "380 and 480"},
        {{"offsets", "--temperament", "equal", "--a4", "4.4e2"}, kExitBadInput, "380 and 480"},
        {{"offsets", "--temperament", "equal", "--a4", "-440"}, kExitBadInput, "380 and 480"},
        {{"offsets", "--temperament", "equal", "--a4", "."}, kExitBadInput, "380 and 480"},
        {{"build", "--temperament", "equal", "--format", "mts-note", "--parts", "1", "--program", "128"},
         kExitBadInput, "0 and 127"},
        {buildWith({"--division", "0"}), kExitBadInput, "1 and 32767"},
        {buildWith({"--division", "32768"}), kExitBadInput, "1 and 32767"},
        {buildWith({"--delta", "32768"}), kExitBadInput, "0 and 32767"},
        {buildWith({"--delta", "-1"}), kExitBadInput, "0 and 32767"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1", "--port", "0",
          "--pause", "501"}, kExitBadInput, "0 and 500"},
        {{"apply", "a.mid", "--temperament", "equal", "--format", "gs", "--parts", "1", "--after-reset", "1001"},
         kExitBadInput, "0 and 1000"},
    };
    for (const RejectedLine& row : rows) {
        SCOPED_TRACE("velmarin-cli " + joined(row.arguments));
        const CliParse parse = parseCliArguments(row.arguments);
        EXPECT_EQ(row.exitCode, parse.exitCode);
        EXPECT_NE(std::string::npos, parse.message.find(row.messagePart)) << parse.message;
    }
}

TEST(CliArguments, PartListsAreNumbersAndRangesOrAll) {
    const struct {
        const char* text;
        uint32_t parts;  // 0: refused as a bad value
    } rows[] = {
        {"1", 0x0001},      {"16", 0x8000},       {"all", 0xFFFF},   {"1-16", 0xFFFF},
        {"1,3-4,16", 0x800D}, {"5-5", 0x0010},    {"2,2", 0x0002},   {"0", 0},
        {"17", 0},          {"4-2", 0},           {"1,", 0},         {",1", 0},
        {"", 0},            {"1-", 0},            {"-3", 0},         {"1 ,2", 0},
        {"ALL", 0},         {"1-3-5", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("--parts \"") + row.text + "\"");
        const CliParse parse = parseCliArguments(
            {"build", "--temperament", "equal", "--format", "xg", "--parts", row.text});
        if (row.parts == 0) {
            EXPECT_EQ(kExitBadInput, parse.exitCode);
        } else {
            ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
            EXPECT_EQ(row.parts, parse.command.parts);
        }
    }
}

TEST(CliArguments, AcceptedLinesCarryTheirValues) {
    {
        SCOPED_TRACE("offsets with every fit option");
        const CliParse parse = parseCliArguments({"offsets", "--tonic", "Eb", "--a4", "415.5",
                                                  "--zero", "a", "--scl", "x.scl", "--report"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Offsets, parse.command.kind);
        EXPECT_EQ(CliSourceKind::Scala, parse.command.source);
        EXPECT_EQ("x.scl", parse.command.scalaPath);
        EXPECT_EQ(3, parse.command.fit.tonic);
        EXPECT_EQ(ZeroNote::A, parse.command.fit.zeroNote);
        EXPECT_DOUBLE_EQ(415.5, parse.command.fit.a4Hz);
        EXPECT_TRUE(parse.command.report);
    }
    {
        SCOPED_TRACE("offsets with the defaults");
        const CliParse parse = parseCliArguments({"offsets", "--offsets", "1,2,3,4,5,6,7,8,9,10,11,-64"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliSourceKind::Offsets, parse.command.source);
        EXPECT_EQ(-64, parse.command.offsets[11]);
        EXPECT_EQ(0, parse.command.fit.tonic);
        EXPECT_EQ(ZeroNote::None, parse.command.fit.zeroNote);
        EXPECT_DOUBLE_EQ(440.0, parse.command.fit.a4Hz);
        EXPECT_FALSE(parse.command.report);
    }
    {
        SCOPED_TRACE("an offset list with a zero note");
        const CliParse parse = parseCliArguments({"offsets", "--zero", "tonic", "--offsets", "0,0,0,0,0,0,0,0,0,0,0,0"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(ZeroNote::Tonic, parse.command.fit.zeroNote);
    }
    {
        SCOPED_TRACE("a temperament with the default zero note");
        const CliParse parse = parseCliArguments({"offsets", "--temperament", "young2"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(ZeroNote::Tonic, parse.command.fit.zeroNote);
    }
    {
        SCOPED_TRACE("build at the limits of the Options dialog's ranges");
        const CliParse parse = parseCliArguments(
            buildWith({"--division", "32767", "--delta", "0", "-o", "OUT.Mid", "--a4", "400"}));
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Build, parse.command.kind);
        EXPECT_EQ(32767, parse.command.division);
        EXPECT_EQ(0, parse.command.delta);
        EXPECT_EQ(CliOutputKind::MidiFile, parse.command.output);
        EXPECT_EQ("OUT.Mid", parse.command.outputPath);
    }
    {
        SCOPED_TRACE("build with the defaults, to standard output");
        const CliParse parse = parseCliArguments(buildWith({}));
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(kDefaultDivision, parse.command.division);
        EXPECT_EQ(kDefaultDelta, parse.command.delta);
        EXPECT_EQ(CliOutputKind::StandardOutput, parse.command.output);
    }
    for (const auto& [name, kind] : {std::pair{"a.SYX", CliOutputKind::Binary},
                                     std::pair{"a.txt", CliOutputKind::Text}}) {
        SCOPED_TRACE(std::string("-o ") + name);
        EXPECT_EQ(kind, parseCliArguments(buildWith({"-o", name})).command.output);
    }
    {
        SCOPED_TRACE("send");
        const CliParse parse = parseCliArguments({"send", "--temperament", "vallotti", "--format",
                                                  "gm2", "--parts", "10", "--port", "Synth 2",
                                                  "--pause", "500"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Send, parse.command.kind);
        EXPECT_EQ(TuningFormat::GM2, parse.command.format);
        EXPECT_EQ("Synth 2", parse.command.port);
        EXPECT_EQ(500u, parse.command.pauseMs);
    }
    {
        SCOPED_TRACE("send a bulk dump of program 127");
        const CliParse parse = parseCliArguments({"send", "--temperament", "equal", "--format", "mts-bulk",
                                                  "--parts", "1", "--program", "127", "--port", "0"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(TuningFormat::GM2, parse.command.format);
        EXPECT_EQ(MtsForm::BulkDump, parse.command.mts.form);
        EXPECT_EQ(127, parse.command.mts.program);
    }
    {
        SCOPED_TRACE("send with the default pause");
        const CliParse parse = parseCliArguments(
            {"send", "--temperament", "equal", "--format", "gs", "--parts", "1", "--port", "0"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(kDefaultSysexPauseMs, parse.command.pauseMs);
    }
    {
        SCOPED_TRACE("apply");
        const CliParse parse = parseCliArguments({"apply", "a.mid", "--temperament", "equal", "b.RMI", "--format",
                                                  "gm2", "--parts", "1", "--out-dir", "out", "--after-reset", "1000",
                                                  "--gap", "0", "--keep-tuning", "--overwrite"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Apply, parse.command.kind);
        EXPECT_EQ((Arguments{"a.mid", "b.RMI"}), parse.command.songPaths);
        EXPECT_EQ("out", parse.command.outputFolder);
        EXPECT_EQ(1000u, parse.command.song.resetGapMs);
        EXPECT_EQ(0u, parse.command.song.messageGapMs);
        EXPECT_TRUE(parse.command.song.keepOldTuning);
        EXPECT_TRUE(parse.command.overwrite);
    }
    {
        SCOPED_TRACE("apply --pitch-bend: every channel but 10 unless --parts, the bend range's reset gap");
        const CliParse parse =
            parseCliArguments({"apply", "a.mid", "--temperament", "equal", "--pitch-bend", "--bend-range", "24"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_TRUE(parse.command.pitchBend);
        EXPECT_EQ(0xFDFFu, parse.command.parts);
        EXPECT_EQ(24, parse.command.bendRange);
        EXPECT_EQ(120u, parse.command.song.resetGapMs);
    }
    {
        SCOPED_TRACE("ports --inputs");
        EXPECT_TRUE(parseCliArguments({"ports", "--inputs"}).command.inputs);
        EXPECT_FALSE(parseCliArguments({"ports"}).command.inputs);
    }
    {
        SCOPED_TRACE("play by pitch bends, the default, on the channels given, drums on 16");
        const CliParse parse =
            parseCliArguments(playWith({"--channels", "1-8", "--bend-range", "12", "--drums", "16"}));
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Play, parse.command.kind);
        EXPECT_EQ("0", parse.command.inPort);
        EXPECT_EQ("1", parse.command.port);
        EXPECT_EQ(RetuneMethod::PitchBend, parse.command.retune.method);
        EXPECT_EQ(0x00FFu, parse.command.retune.outputChannels);
        EXPECT_EQ(12, parse.command.bendRange);
        EXPECT_EQ(0x8000u, parse.command.retune.untouchedChannels);
    }
    {
        SCOPED_TRACE("play with the defaults: every channel, drums on 10, the range left to the engine");
        const CliParse parse = parseCliArguments(playWith({}));
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(0xFFFFu, parse.command.retune.outputChannels);
        EXPECT_EQ(0x0200u, parse.command.retune.untouchedChannels);
        EXPECT_EQ(0, parse.command.bendRange);
        EXPECT_EQ(15, parse.command.retune.mpeMemberChannels);
        EXPECT_EQ(48, parse.command.retune.mpeBendRange);
    }
    {
        SCOPED_TRACE("play as an MPE zone of 7 members at 96 semitones, no drums");
        const CliParse parse = parseCliArguments(
            playWith({"--method", "mpe", "--mpe-channels", "7", "--mpe-bend-range", "96", "--drums", "none"}));
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(RetuneMethod::Mpe, parse.command.retune.method);
        EXPECT_EQ(7, parse.command.retune.mpeMemberChannels);
        EXPECT_EQ(96, parse.command.retune.mpeBendRange);
        EXPECT_EQ(0u, parse.command.retune.untouchedChannels);
    }
    {
        SCOPED_TRACE("play by tuning messages");
        const CliParse parse = parseCliArguments(
            playWith({"--method", "tuning", "--format", "mts-note", "--parts", "all", "--program", "3"}));
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(RetuneMethod::TuningMessages, parse.command.retune.method);
        EXPECT_EQ(MtsForm::SingleNote, parse.command.mts.form);
        EXPECT_EQ(0xFFFFu, parse.command.parts);
        EXPECT_EQ(3, parse.command.mts.program);
    }
    {
        SCOPED_TRACE("read");
        const CliParse parse = parseCliArguments({"read", "saved.MID"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Read, parse.command.kind);
        EXPECT_EQ("saved.MID", parse.command.readPath);
    }
    {
        SCOPED_TRACE("read --keys");
        const CliParse parse = parseCliArguments({"read", "--keys", "bulk.syx"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ("bulk.syx", parse.command.readPath);
        EXPECT_TRUE(parse.command.keys);
    }
    {
        SCOPED_TRACE("mts-esp with a scale, its map and --reset");
        const CliParse parse = parseCliArguments({"mts-esp", "--scl", "x.scl", "--kbm", "y.kbm", "--reset"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::MtsEsp, parse.command.kind);
        EXPECT_EQ("y.kbm", parse.command.keyboardMapPath);
        EXPECT_TRUE(parse.command.reset);
        EXPECT_FALSE(parseCliArguments({"mts-esp", "--temperament", "equal"}).command.reset);
    }
    {
        SCOPED_TRACE("analyse --sent");
        const CliParse parse = parseCliArguments({"analyse", "--temperament", "kellner", "--tonic", "D", "--sent"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Analyse, parse.command.kind);
        EXPECT_TRUE(parse.command.sent);
    }
}

TEST(CliArguments, HelpAnywhereWins) {
    for (const Arguments& arguments :
         {Arguments{"--help"}, Arguments{"build", "--help"}, Arguments{"play", "--help"}}) {
        SCOPED_TRACE(joined(arguments));
        const CliParse parse = parseCliArguments(arguments);
        EXPECT_EQ(kExitSuccess, parse.exitCode);
        EXPECT_EQ(CliCommandKind::Help, parse.command.kind);
    }
}

// What a refused line prints on standard error, as the program prints it.
struct ErrorLine {
    Arguments arguments;
    int exitCode;
    const char* text;
};

TEST(CliArguments, AUsageErrorSaysWhatAndWhereToLookInTwoLines) {
    const ErrorLine rows[] = {
        {{"juggle"}, kExitUsage, "velmarin-cli: unknown command 'juggle'\nTry 'velmarin-cli --help'\n"},
        {{"--frobnicate"}, kExitUsage, "velmarin-cli: unknown command '--frobnicate'\nTry 'velmarin-cli --help'\n"},
        {buildWith({"--frobnicate"}), kExitUsage,
         "velmarin-cli: unknown option '--frobnicate' for build\nTry 'velmarin-cli build --help'\n"},
        {{"offsets", "--temperament", "equal", "--a4"}, kExitUsage,
         "velmarin-cli: --a4 needs a value (HZ)\nTry 'velmarin-cli offsets --help'\n"},
        {{"temperaments", "--format", "gs"}, kExitUsage,
         "velmarin-cli: temperaments does not take --format\nTry 'velmarin-cli temperaments --help'\n"},
        {{"keys", "--temperament", "equal", "--kbm", "a.kbm"}, kExitUsage,
         "velmarin-cli: --kbm goes with --scl\nTry 'velmarin-cli keys --help'\n"},
        {{"keys", "--temperament", "equal", "--layout", "keys"}, kExitUsage,
         "velmarin-cli: --layout goes with --scl\nTry 'velmarin-cli keys --help'\n"},
        {{"build", "--scl", "a.scl", "--kbm", "a.kbm", "--layout", "keys", "-o", "a.tun"}, kExitUsage,
         "velmarin-cli: --layout does not go with --kbm: the map lays the scale on the keys\n"
         "Try 'velmarin-cli build --help'\n"},
        {{"offsets", "--scl", "a.scl", "--layout", "octaves"}, kExitUsage,
         "velmarin-cli: --layout 'octaves': the layout is keys or pitch-classes\nTry 'velmarin-cli offsets --help'\n"},
        {{"build", "--temperament", "equal", "--format", "mts", "--parts", "1"}, kExitUsage,
         "velmarin-cli: --format 'mts': the format is gs, xg or gm2, or gm2-2byte, mts-note or mts-bulk\n"
         "Try 'velmarin-cli build --help'\n"},
        {{"read", "a.syx", "b.syx"}, kExitUsage,
         "velmarin-cli: unexpected argument 'b.syx' for read\nTry 'velmarin-cli read --help'\n"},
        {{"apply", "a.mid", "b.mid", "--temperament", "equal", "--pitch-bend", "-o", "c.mid"}, kExitUsage,
         "velmarin-cli: -o does not go with several songs: it names the output of one song; give --out-dir for "
         "several\nTry 'velmarin-cli apply --help'\n"},
        {{"send", "--temperament", "equal", "--format", "gs", "--parts", "1"}, kExitUsage,
         "velmarin-cli: send needs --port\nTry 'velmarin-cli send --help'\n"},
        // A value out of its range is one line, and a bad input.
        {{"offsets", "--temperament", "equal", "--a4", "379"}, kExitBadInput,
         "velmarin-cli: --a4 379: the frequency must lie between 380 and 480 Hz\n"},
        {buildWith({"--pause", "1"}), kExitUsage,
         "velmarin-cli: build does not take --pause\nTry 'velmarin-cli build --help'\n"},
        {playWith({"--method", "mpe", "--format", "gm2"}), kExitUsage,
         "velmarin-cli: --format goes with --method tuning\nTry 'velmarin-cli play --help'\n"},
        {playWith({"--bend-range", "0"}), kExitBadInput,
         "velmarin-cli: --bend-range 0: the bend range must lie between 1 and 24 semitones\n"},
        {{"mts-esp", "--layout", "keys"}, kExitUsage,
         "velmarin-cli: mts-esp needs a source: --temperament, --scl or --offsets\nTry 'velmarin-cli mts-esp --help'\n"},
        {{"mts-esp", "--temperament", "equal", "--parts", "1"}, kExitUsage,
         "velmarin-cli: mts-esp does not take --parts\nTry 'velmarin-cli mts-esp --help'\n"},
    };
    for (const ErrorLine& row : rows) {
        SCOPED_TRACE("velmarin-cli " + joined(row.arguments));
        const CliParse parse = parseCliArguments(row.arguments);
        EXPECT_EQ(row.exitCode, parse.exitCode);
        EXPECT_EQ(row.text, cliErrorText(parse));
    }
}

TEST(CliArguments, NoCommandAtAllShowsTheWholeUsage) {
    const CliParse parse = parseCliArguments({});
    EXPECT_EQ(kExitUsage, parse.exitCode);
    EXPECT_EQ(std::string("velmarin-cli: no command given\n\n") + cliUsage(), cliErrorText(parse));
}

// The overview as users have known it, with --version and --layout added,
// the pitch-bend default of --after-reset under it, play with its options,
// and mts-esp.
TEST(CliArguments, TheUsageListsEveryCommandAndOption) {
    EXPECT_EQ(R"usage(usage: velmarin-cli COMMAND [OPTIONS]

commands:
  temperaments      the built-in temperaments: id, a tab, the name
  keys SOURCE [FIT] [--kbm FILE]
                    the 128 keys: key, Hz, cents from the key's equal-tempered
                    pitch at A4 = 440 Hz (tab-separated; - - for an unmapped key)
  offsets SOURCE [FIT] [--report] [--format F]
                    the twelve offsets C..B in cents, or the fit report;
                    with two decimals where the form F carries them
  build SOURCE [FIT] --format F --parts LIST [--program N] [--division N]
        [--delta N] [-o FILE]
                    the SysEx as hex text on standard output, or into FILE
                    (.mid, .syx or .txt); or the tuning for software
                    synthesizers, without --format and --parts: a Scala scale
                    (.scl) and keyboard map (.kbm), or all 128 keys (.tun)
  read FILE [--keys]
                    format, parts and offsets of the tuning in a .syx, .mid
                    or .txt file; --keys: the lines of keys for the keys that
                    its single-note changes or bulk dump set
  ports             the MIDI output devices: number, a tab, the name
  ports --inputs    the MIDI input devices, listed the same way
  send SOURCE [FIT] --format F --parts LIST [--program N] --port DEVICE
        [--pause MS]
                    the SysEx sent to a MIDI output device
  analyse SOURCE [FIT] [--sent] [--format F]
                    the twelve fifths and twelve major thirds: kind, lower and
                    upper note, cents from pure, fraction of the Pythagorean
                    comma, beats per second (tab-separated); --sent analyses
                    the rounded offsets that would be sent
  apply SONG... SOURCE [FIT] --format F --parts LIST [--program N]
        [-o FILE | --out-dir DIR] [--after-reset MS] [--gap MS] [--keep-tuning]
        [--overwrite]
                    the tuning written into each song (a .mid or .rmi file)
                    after its resets, as NAME-tuned.mid beside it unless -o
                    (one song) or --out-dir (same names there) says where;
                    one line per song on standard output
  apply SONG... SOURCE [FIT] --pitch-bend [--parts LIST] [--bend-range N]
        [-o FILE | --out-dir DIR] [--after-reset MS] [--keep-tuning] [--overwrite]
                    the tuning written as pitch bends, for players that ignore
                    tuning messages: notes move to free channels bent to their
                    pitch; --parts names the song's channels (default all but 10)
  play SOURCE [FIT] --in DEVICE --port DEVICE [--method bend|mpe]
        [--channels LIST] [--bend-range N] [--drums none|N]
        [--mpe-channels N] [--mpe-bend-range N] [--mts-esp [--reset]]
                    a MIDI keyboard played through to a synthesizer, retuned
                    live until Ctrl+C: each note on a channel bent to its pitch
                    (bend, for any synthesizer), or on a member channel of an
                    MPE zone (mpe); a line as it starts and one as it ends
  play SOURCE [FIT] --in DEVICE --port DEVICE --method tuning --format F
        --parts LIST [--program N] [--mts-esp [--reset]]
                    the same with the tuning's SysEx sent first and after every
                    reset from the keyboard, for synthesizers that take it
  mts-esp SOURCE [FIT] [--kbm FILE] [--reset]
                    the tuning published to MTS-ESP clients (software
                    instruments in a DAW) as the session's master until Ctrl+C;
                    --reset first clears a master a crashed program left behind

SOURCE, one of:
  --temperament ID  a built-in temperament (see: velmarin-cli temperaments)
  --scl FILE        a Scala scale file; one of more than twelve notes or a
                    period other than 2/1 tunes the keys, degree 0 on the
                    tonic of octave 4 (C4 = key 60; with --zero a, A4 keeps its
                    pitch), sent with mts-note or mts-bulk
  --kbm FILE        with --scl: a Scala keyboard map, which sets the keys each
                    degree plays and their frequency (instead of FIT)
  --layout keys|pitch-classes
                    with --scl: keys lays the scale one degree a key, degree 0
                    on the tonic of octave 4 as above; pitch-classes fits it
                    onto C..B or refuses it (default: C..B, or the keys where
                    two degrees would fall on one pitch class)
  --offsets LIST    twelve numbers for C..B, e.g. "0,-10,-8,-6,-10,-2,-12,-4,-8,-12,-4,-8"
                    (at most two decimals: "0,-5.38,-10.75,...")
FIT:
  --tonic NOTE      C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B (default C)
  --zero tonic|a    the note kept at its equal-tempered pitch (default tonic;
                    an --offsets list is kept as it is unless --zero is given)
  --a4 HZ           the frequency of A4, 380 to 480 (default 440)
options:
  --format F        the SysEx dialect: gs, xg or gm2; or gm2 in another form
                    of the MIDI Tuning Standard: gm2-2byte (scale/octave,
                    2-byte), mts-note (single-note changes of all keys) or
                    mts-bulk (a bulk dump of all keys)
  --parts LIST      parts or channels 1-16 and ranges a-b, separated by
                    commas, or all
  --program N       the tuning program of mts-note and mts-bulk, 0 to 127
                    (default 0), which the channels select
  --division N      ticks per quarter note of a .mid, 1 to 32767 (default 120)
  --delta N         ticks between the messages of a .mid, 0 to 32767 (default 0)
  --port DEVICE     a device's number or name as velmarin-cli ports lists it
  --pause MS        milliseconds between messages, 0 to 500 (default 20)
  --out-dir DIR     apply: where the tuned songs go, under their own names
  --after-reset MS  apply: from a reset to the tuning, 0 to 1000 (default 100)
                    (with --pitch-bend, to the bend range: default 120)
  --gap MS          apply: between two messages, 0 to 1000 (default 0)
  --keep-tuning     apply: keep the tuning messages a song sets itself up with
  --pitch-bend      apply: the tuning as pitch bends instead of SysEx
  --bend-range N    apply --pitch-bend: the bend range written, 1 to 24
                    semitones (default as wide as the song and tuning need)
                    play: the range set on every channel (default as wide as
                    the keyboard's wheel and the tuning need)
  --overwrite       apply: replace an existing output, the song itself included
  --in DEVICE       play: the MIDI input device (the keyboard), its number or
                    name as velmarin-cli ports --inputs lists it
  --method bend|mpe|tuning
                    play: how the synthesizer is retuned: by pitch bends (bend,
                    the default), as an MPE zone (mpe), or by the tuning's SysEx
                    (tuning, with --format and --parts)
  --channels LIST   play: the channels the notes may take, 1-16 and ranges a-b
                    separated by commas, or all (default all but the drums')
  --drums none|N    play: the channel passed on as it comes, never retuned (the
                    drums), 1 to 16 or none (default 10)
  --mpe-channels N  play --method mpe: member channels 2 to N + 1 of the zone
                    channel 1 manages, 1 to 15 (default 15)
  --mpe-bend-range N
                    play --method mpe: the member channels' bend range, 1 to 96
                    semitones (default 48)
  --mts-esp         play: the tuning published to MTS-ESP clients as well, as
                    the session's master (see velmarin-cli mts-esp)
  --help            this text
  --version         the version of velmarin-cli

exit status: 0 done, 1 a bad input file or value, 2 a usage error
)usage",
              std::string(cliUsage()));
}

TEST(CliArguments, ACommandsHelpShowsItAndTheOptionsItTakesAlone) {
    for (const CliCommandRow& command : cliCommandRows()) {
        SCOPED_TRACE(command.name);
        const CliParse parse = parseCliArguments({command.name, "--frobnicate", "--help"});
        ASSERT_EQ(kExitSuccess, parse.exitCode);
        EXPECT_EQ(CliCommandKind::Help, parse.command.kind);
        EXPECT_EQ(cliCommandHelp(command.kind), parse.helpText);
        EXPECT_EQ(0u, parse.helpText.find(std::string("usage:\n  ") + command.name + " ")) << parse.helpText;
        for (const CliCommandRow& other : cliCommandRows())
            EXPECT_EQ(other.kind == command.kind,
                      parse.helpText.find(std::string("\n  ") + other.name + " ") != std::string::npos)
                << other.name;
        for (const CliOptionRow& option : cliOptionRows())
            EXPECT_EQ((option.commands & cliCommandBit(command.kind)) != 0,
                      parse.helpText.find(std::string("\n  ") + option.name + " ") != std::string::npos)
                << option.name;
    }
    EXPECT_EQ(cliUsage(), parseCliArguments({"--help"}).helpText);
}

TEST(CliArguments, TheVersionIsTheProgramsOne) {
    EXPECT_EQ("velmarin-cli " VELMARIN_VERSION_TEXT "\n", cliVersionText());
    const CliParse parse = parseCliArguments({"--version"});
    EXPECT_EQ(kExitSuccess, parse.exitCode);
    EXPECT_EQ(CliCommandKind::Help, parse.command.kind);
    EXPECT_EQ(cliVersionText(), parse.helpText);
}

}  // namespace
