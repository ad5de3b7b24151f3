// The command line's shape and values, parsed without any file or device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliArguments.h"

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

struct RejectedLine {
    Arguments arguments;
    int exitCode;
    const char* messagePart;
};

TEST(CliArguments, RejectedLinesExitWithUsageOrBadValue) {
    const RejectedLine rows[] = {
        // Usage errors: the line is not one of the program's.
        {{}, kExitUsage, "no command"},
        {{"play"}, kExitUsage, "unknown command"},
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
        SCOPED_TRACE("read");
        const CliParse parse = parseCliArguments({"read", "saved.MID"});
        ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
        EXPECT_EQ(CliCommandKind::Read, parse.command.kind);
        EXPECT_EQ("saved.MID", parse.command.readPath);
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

}  // namespace
