#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "song/SongNames.h"
#include "song/SongTuning.h"

namespace {

Bytes smf(int format, const char* division, const std::vector<std::string>& tracks, const char* other = "") {
    return testSmf(format, division, tracks, other);
}

const char* const kGsReset = "F0 0A 41 10 42 12 40 00 7F 00 41 F7";
const char* const kXgPart1C = "F0 43 10 4C 08 00 41 46 F7";                 // the listing's message
const char* const kXgPart1CEvent = "F0 08 43 10 4C 08 00 41 46 F7";         // ... as a song's event
const char* const kXgPart1CSharpEvent = "F0 08 43 10 4C 08 00 42 46 F7";
const char* const kOldGs = "F0 15 41 10 42 12 40 11 40 40*12 6F F7";       // GS part 1, all 40
const char* const kEnd = "00 FF 2F 00";

std::string join(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) text += " " + part;
    return text;
}

SongTuningResult tune(const Bytes& song, const std::string& listing, const SongTuningOptions& options) {
    const Bytes messages = hexBytes(listing);
    return tuneSong(song.data(), song.size(), messages.data(), messages.size(), options);
}

struct Expected {
    uint64_t shiftTicks;
    long shiftMs;
    long tuningMs;
    uint32_t tuningTrack;
    uint32_t removed;
    uint32_t kept;
    uint32_t retuned;
    uint32_t gapNotes;
};

SongTuningOptions gaps(uint32_t resetGap, uint32_t messageGap) {
    SongTuningOptions options;
    options.resetGapMs = resetGap;
    options.messageGapMs = messageGap;
    return options;
}

SongTuningOptions keepingOldTuning() {
    SongTuningOptions options;
    options.keepOldTuning = true;
    return options;
}

SongTuningOptions channel1Tuned() {
    SongTuningOptions options;
    options.tunedChannels = 1;
    return options;
}

struct Row {
    const char* name;
    Bytes song;
    std::string listing;
    SongTuningOptions options;
    Bytes expected;
    Expected summary;
};

// 480 ticks per quarter note at 120 beats a minute: 100 ms is 96 ticks (60).
const Row kRows[] = {
    {"GS Reset and the first note at tick 0: the note moves 100 ms, running status kept",
     smf(0, "01 E0", {join({"00", kGsReset, "00 90 3C 64 83 60 3C 00", kEnd})}), kXgPart1C, {},
     smf(0, "01 E0", {join({"00", kGsReset, "60", kXgPart1CEvent, "00 90 3C 64 83 60 3C 00", kEnd})}),
     {96, 100, 100, 0, 0, 0, 0, 0}},
    {"no reset: 100 ms after the tick-0 meta; channel messages from the listing; the running-status "
     "event after them gets its status",
     smf(0, "01 E0", {join({"00 FF 03 00 00 C0 00 83 60 01 83 60 90 3C 64", kEnd})}),
     std::string(kXgPart1C) + " B0 65 00 B0 64 03 B0 06 01", {},
     smf(0, "01 E0", {join({"00 FF 03 00 00 C0 00 60", kXgPart1CEvent,
                            "00 B0 65 00 00 B0 64 03 00 B0 06 01 83 00 C0 01 83 60 90 3C 64", kEnd})}),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"an inserted channel message changes the running status a later event relied on across a meta event",
     smf(0, "01 E0", {join({"00 C0 05 00 F0 05 7E 7F 09 01 F7 81 48 FF 01 00 82 18 06 00 90 3C 64", kEnd})}),
     std::string(kXgPart1C) + " B0 65 00", {},
     smf(0, "01 E0", {join({"00 C0 05 00 F0 05 7E 7F 09 01 F7 60", kXgPart1CEvent,
                            "00 B0 65 00 68 FF 01 00 82 18 C0 06 00 90 3C 64", kEnd})}),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"the song's GS tuning removed; the running-status event after it gets its status",
     smf(0, "01 E0", {join({"00 B0 07 64 00", kOldGs, "00 07 50 83 60 90 3C 64", kEnd})}), kXgPart1C, {},
     smf(0, "01 E0", {join({"00 B0 07 64 00 B0 07 50 60", kXgPart1CEvent, "83 00 90 3C 64", kEnd})}),
     {0, 0, 100, 0, 1, 0, 0, 0}},
    {"the song's GS tuning kept when asked",
     smf(0, "01 E0", {join({"00 B0 07 64 00", kOldGs, "00 07 50 83 60 90 3C 64", kEnd})}), kXgPart1C,
     keepingOldTuning(),
     smf(0, "01 E0", {join({"00 B0 07 64 00", kOldGs, "00 07 50 60", kXgPart1CEvent, "83 00 90 3C 64", kEnd})}),
     {0, 0, 100, 0, 0, 1, 0, 0}},
    {"XG System On in track 2 at 1 s after a tempo of 60 bpm: the gap is 48 ticks",
     smf(1, "01 E0", {join({"00 FF 51 03 0F 42 40", kEnd}),
                      join({"83 60 F0 08 43 10 4C 00 00 7E 00 F7 00 90 3C 64 83 60 80 3C 00", kEnd})}),
     kXgPart1C, {},
     smf(1, "01 E0", {join({"00 FF 51 03 0F 42 40", kEnd}),
                      join({"83 60 F0 08 43 10 4C 00 00 7E 00 F7 30", kXgPart1CEvent,
                            "00 90 3C 64 83 60 80 3C 00", kEnd})}),
     {48, 100, 1100, 1, 0, 0, 0, 0}},
    {"a tempo at the reset's tick in another track moves with the music: the gap is at 120 bpm",
     smf(1, "01 E0", {join({"00 FF 51 03 0F 42 40", kEnd}),
                      join({"00 F0 08 43 10 4C 00 00 7E 00 F7 00 90 3C 64 83 60 80 3C 00", kEnd})}),
     kXgPart1C, {},
     smf(1, "01 E0", {join({"60 FF 51 03 0F 42 40", kEnd}),
                      join({"00 F0 08 43 10 4C 00 00 7E 00 F7 60", kXgPart1CEvent, "00 90 3C 64 83 60 80 3C 00", kEnd})}),
     {96, 100, 100, 1, 0, 0, 0, 0}},
    {"GM System On at SMPTE 25 frames of 40 ticks (1 ms a tick); another chunk kept",
     smf(0, "E7 28", {join({"00 F0 05 7E 7F 09 01 F7 32 90 3C 64", kEnd})}, "4A 75 6E 6B 00 00 00 02 AA BB"),
     kXgPart1C, {},
     smf(0, "E7 28", {join({"00 F0 05 7E 7F 09 01 F7 64", kXgPart1CEvent, "00 90 3C 64", kEnd})},
         "4A 75 6E 6B 00 00 00 02 AA BB"),
     {50, 50, 100, 0, 0, 0, 0, 0}},
    {"GM2 System On, reset gap 50 ms, message gap 10 ms: ticks 48 and 58 (57.6 rounded up)",
     smf(0, "01 E0", {join({"00 F0 05 7E 7F 09 03 F7 87 40 90 3C 64", kEnd})}),
     std::string(kXgPart1C) + " F0 43 10 4C 08 00 42 46 F7", gaps(50, 10),
     smf(0, "01 E0", {join({"00 F0 05 7E 7F 09 03 F7 30", kXgPart1CEvent, "0A", kXgPart1CSharpEvent,
                            "87 06 90 3C 64", kEnd})}),
     {0, 0, 50, 0, 0, 0, 0, 0}},
    {"a GS Reset after the first note: the tuning again 96 ticks after it, a tuned note in the gap",
     smf(0, "01 E0", {join({"00", kGsReset, "83 60 90 3C 64 83 60", kGsReset, "28 90 3E 64 64 91 40 64", kEnd})}),
     kXgPart1C, channel1Tuned(),
     smf(0, "01 E0", {join({"00", kGsReset, "60", kXgPart1CEvent, "83 00 90 3C 64 83 60", kGsReset,
                            "28 90 3E 64 38", kXgPart1CEvent, "2C 91 40 64", kEnd})}),
     {0, 0, 100, 0, 0, 0, 1, 1}},
    {"a note at tick 0 in a track before the reset's comes a tick after the tuning",
     smf(1, "01 E0", {join({"00 90 3C 64", kEnd}), join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(1, "01 E0", {join({"61 90 3C 64", kEnd}), join({"00", kGsReset, "60", kXgPart1CEvent, "01 FF 2F 00"})}),
     {97, 101, 100, 1, 0, 0, 0, 0}},
    {"no notes: End of Track moves after the tuning",
     smf(0, "01 E0", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "01 E0", {join({"00", kGsReset, "60", kXgPart1CEvent, kEnd})}), {0, 0, 100, 0, 0, 0, 0, 0}},
    {"RIFF RMID: the data chunk's size and padding and the RIFF size follow; a LIST chunk after it kept",
     hexBytes("52 49 46 46 3C 00 00 00 52 4D 49 44 64 61 74 61 23 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 0D"
              " 00 FF 03 00 87 40 90 3C 64 00 FF 2F 00 00 4C 49 53 54 04 00 00 00 49 4E 46 4F"),
     kXgPart1C, {},
     hexBytes("52 49 46 46 46 00 00 00 52 4D 49 44 64 61 74 61 2E 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 18"
              " 00 FF 03 00 60 F0 08 43 10 4C 08 00 41 46 F7 86 60 90 3C 64 00 FF 2F 00"
              " 4C 49 53 54 04 00 00 00 49 4E 46 4F"),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"RIFF RMID whose odd data chunk ends it unpadded: the byte after the RIFF chunk stays",
     hexBytes("52 49 46 46 2F 00 00 00 52 4D 49 44 64 61 74 61 23 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 0D"
              " 00 FF 03 00 87 40 90 3C 64 00 FF 2F 00 AA"),
     kXgPart1C, {},
     hexBytes("52 49 46 46 3A 00 00 00 52 4D 49 44 64 61 74 61 2E 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 18"
              " 00 FF 03 00 60 F0 08 43 10 4C 08 00 41 46 F7 86 60 90 3C 64 00 FF 2F 00 AA"),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"an inserted SysEx before an event under running status: its status byte is written again",
     smf(0, "01 E0", {join({"00", kGsReset, "00 B0 07 64 83 60 07 50 00 90 3C 64", kEnd})}), kXgPart1C, {},
     smf(0, "01 E0", {join({"00", kGsReset, "00 B0 07 64 60", kXgPart1CEvent, "83 00 B0 07 50 00 90 3C 64", kEnd})}),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"SMPTE 29.97 frames of 40 ticks: 100 ms is 119.88 ticks, so the tuning goes at tick 120, not 119",
     smf(0, "E3 28", {join({"00 F0 05 7E 7F 09 01 F7 83 00 90 3C 64", kEnd})}), kXgPart1C, {},
     smf(0, "E3 28", {join({"00 F0 05 7E 7F 09 01 F7 78", kXgPart1CEvent, "82 08 90 3C 64", kEnd})}),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"the song's tuning at the very tick of the first note is set-up tuning and goes",
     smf(0, "01 E0", {join({"00", kGsReset, "83 60 90 3C 64 00", kOldGs, "60 80 3C 00", kEnd})}), kXgPart1C, {},
     smf(0, "01 E0", {join({"00", kGsReset, "60", kXgPart1CEvent, "83 00 90 3C 64 60 80 3C 00", kEnd})}),
     {0, 0, 100, 0, 1, 0, 0, 0}},
    {"bytes after End of Track inside its chunk stay there, counted in its length",
     smf(0, "01 E0", {join({"00", kGsReset, kEnd, "00 F8 01"})}), kXgPart1C, {},
     smf(0, "01 E0", {join({"00", kGsReset, "60", kXgPart1CEvent, kEnd, "00 F8 01"})}), {0, 0, 100, 0, 0, 0, 0, 0}},
    {"a header chunk of eight bytes: its last two kept, the track after it found",
     hexBytes("4D 54 68 64 00 00 00 08 00 00 00 01 01 E0 12 34 4D 54 72 6B 00 00 00 11" + join({"00", kGsReset, kEnd})),
     kXgPart1C, {},
     hexBytes("4D 54 68 64 00 00 00 08 00 00 00 01 01 E0 12 34 4D 54 72 6B 00 00 00 1C" +
              join({"00", kGsReset, "60", kXgPart1CEvent, kEnd})),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"96 ticks a quarter note: 100 ms is 19.2 ticks, so tick 20 (104 ms)",
     smf(0, "00 60", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "00 60", {join({"00", kGsReset, "14", kXgPart1CEvent, kEnd})}), {0, 0, 104, 0, 0, 0, 0, 0}},
    {"1 tick a quarter note: 100 ms is a fifth of a tick, so tick 1 (500 ms)",
     smf(0, "00 01", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "00 01", {join({"00", kGsReset, "01", kXgPart1CEvent, kEnd})}), {0, 0, 500, 0, 0, 0, 0, 0}},
    {"32767 ticks a quarter note: 6553.4 ticks, so 6554 (B3 1A)",
     smf(0, "7F FF", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "7F FF", {join({"00", kGsReset, "B3 1A", kXgPart1CEvent, kEnd})}), {0, 0, 100, 0, 0, 0, 0, 0}},
    {"SMPTE 30 frames of 80 ticks: 240 ticks (81 70)",
     smf(0, "E2 50", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "E2 50", {join({"00", kGsReset, "81 70", kXgPart1CEvent, kEnd})}), {0, 0, 100, 0, 0, 0, 0, 0}},
    {"SMPTE 24 frames of 4 ticks: 9.6 ticks, so 10 (104 ms)",
     smf(0, "E8 04", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "E8 04", {join({"00", kGsReset, "0A", kXgPart1CEvent, kEnd})}), {0, 0, 104, 0, 0, 0, 0, 0}},
    {"SMPTE 25 frames of 200 ticks: 500 ticks (83 74)",
     smf(0, "E7 C8", {join({"00", kGsReset, kEnd})}), kXgPart1C, {},
     smf(0, "E7 C8", {join({"00", kGsReset, "83 74", kXgPart1CEvent, kEnd})}), {0, 0, 100, 0, 0, 0, 0, 0}},
    // The writer overwrites each size where the song had it, so these rows
    // have a size cross a byte: a slip that writes only its low bytes leaves
    // the old high byte standing.
    // A text of 196 bytes (81 44): a track of 218 (DA), data of 240 (F0), RIFF 252 (FC); with
    // the 11 bytes of the tuning the data is odd, 251 (FB), and takes a pad byte that the RIFF
    // size, 264 (01 08), counts and the data size does not.
    {"RIFF RMID whose even data turns odd: a pad byte, and the RIFF size passes 255",
     hexBytes("52 49 46 46 FC 00 00 00 52 4D 49 44 64 61 74 61 F0 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 DA 00 FF 01 81 44 41*196" +
              join({"00", kGsReset, kEnd})),
     kXgPart1C, {},
     hexBytes("52 49 46 46 08 01 00 00 52 4D 49 44 64 61 74 61 FB 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 E5 00 FF 01 81 44 41*196" +
              join({"00", kGsReset, "60", kXgPart1CEvent, kEnd, "00"})),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    // A text of 203 bytes (81 4B): odd data of 247 (F7) with its pad, RIFF 260 (01 04); then
    // even data of 258 (01 02), the pad gone, RIFF 270 (01 0E).
    {"RIFF RMID whose odd padded data turns even: the pad goes, and the data size passes 255",
     hexBytes("52 49 46 46 04 01 00 00 52 4D 49 44 64 61 74 61 F7 00 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 E1 00 FF 01 81 4B 41*203" +
              join({"00", kGsReset, kEnd, "00"})),
     kXgPart1C, {},
     hexBytes("52 49 46 46 0E 01 00 00 52 4D 49 44 64 61 74 61 02 01 00 00"
              " 4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 EC 00 FF 01 81 4B 41*203" +
              join({"00", kGsReset, "60", kXgPart1CEvent, kEnd})),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    // A text of 228 bytes (81 64): a track of 250 (FA), then 261 (01 05).
    {"a track whose length passes 255",
     hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 FA 00 FF 01 81 64 41*228" +
              join({"00", kGsReset, kEnd})),
     kXgPart1C, {},
     hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 01 05 00 FF 01 81 64 41*228" +
              join({"00", kGsReset, "60", kXgPart1CEvent, kEnd})),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    // A text of 65507 bytes (83 FF 63): a track of 65530 (FF FA), then 65541 (01 00 05).
    {"a track whose length passes 65535",
     hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 FF FA 00 FF 01 83 FF 63 41*65507" +
              join({"00", kGsReset, kEnd})),
     kXgPart1C, {},
     hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 01 00 05 00 FF 01 83 FF 63 41*65507" +
              join({"00", kGsReset, "60", kXgPart1CEvent, kEnd})),
     {0, 0, 100, 0, 0, 0, 0, 0}},
    {"no reset, a note at tick 0 before a lyric: the tuning goes before the note; a GS Reset after it moves too",
     smf(0, "01 E0", {join({"00 FF 03 00 00 90 3C 64 00 FF 05 00 00 40 64 83 60", kGsReset, "28 90 3E 64", kEnd})}),
     kXgPart1C, channel1Tuned(),
     smf(0, "01 E0", {join({"00 FF 03 00 60", kXgPart1CEvent, "00 90 3C 64 00 FF 05 00 00 40 64 83 60", kGsReset,
                            "28 90 3E 64 38", kXgPart1CEvent, kEnd})}),
     {96, 100, 100, 0, 0, 0, 1, 1}},
};

TEST(SongTuning, placesTheTuningAfterTheSetUpAndMovesTheMusicWhereNeeded) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const SongTuningResult result = tune(row.song, row.listing, row.options);
        ASSERT_TRUE(result.ok()) << "error " << static_cast<int>(result.error.kind) << " at " << result.error.byteOffset;
        EXPECT_TRUE(bytesEqual(row.expected, result.bytes));
        const SongSummary& summary = result.summary;
        EXPECT_EQ(row.summary.shiftTicks, summary.shiftTicks);
        EXPECT_EQ(row.summary.shiftMs, std::lround(summary.shiftMs));
        EXPECT_EQ(row.summary.tuningMs, std::lround(summary.firstTuningMs));
        EXPECT_EQ(row.summary.tuningTrack, summary.tuningTrack);
        EXPECT_EQ(row.summary.removed, summary.removedTuning);
        EXPECT_EQ(row.summary.kept, summary.keptTuning);
        EXPECT_EQ(row.summary.retuned, summary.retunedResets);
        uint32_t gapNotes = 0;
        for (const SongGapWarning& warning : summary.gapWarnings) gapNotes += warning.notes;
        EXPECT_EQ(row.summary.gapNotes, gapNotes);
    }
}

// With nothing to insert and the old tuning kept, a song comes back as it was.
TEST(SongTuning, nothingToInsertGivesTheSameBytes) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const SongTuningResult result = tune(row.song, "", keepingOldTuning());
        ASSERT_TRUE(result.ok());
        EXPECT_TRUE(bytesEqual(row.song, result.bytes));
    }
}

TEST(SongTuning, theSummaryNamesTheResetsAndWhereTheyStand) {
    const SongTuningResult result = tune(kRows[9].song, kXgPart1C, channel1Tuned());
    ASSERT_EQ(2u, result.summary.resets.size());
    EXPECT_EQ(SysexKind::GsReset, result.summary.resets[1].kind);
    EXPECT_EQ(960u, result.summary.resets[1].tick);
    EXPECT_EQ(1000, std::lround(result.summary.resets[1].ms));
    EXPECT_TRUE(result.summary.resets[0].setUp);
    EXPECT_FALSE(result.summary.resets[1].setUp);
    EXPECT_TRUE(result.summary.afterReset);
    EXPECT_EQ(0u, result.summary.setUpReset);
    EXPECT_EQ(1000, std::lround(result.summary.gapWarnings.at(0).resetMs));
    // As the list of resets has it (500 ms), not where the music moved it.
    const SongTuningResult moved = tune(std::end(kRows)[-1].song, kXgPart1C, channel1Tuned());
    EXPECT_EQ(500, std::lround(moved.summary.gapWarnings.at(0).resetMs));
}

TEST(SongNames, theTunedSongIsProposedBesideTheSong) {
    const struct {
        const char* song;
        bool wrapped;
        const char* proposed;
        const char* name;
    } rows[] = {
        {"C:\\Music\\bach.mid", false, "C:\\Music\\bach-tuned.mid", "bach.mid"},
        {"songs/suite.no1.MIDI", false, "songs/suite.no1-tuned.mid", "suite.no1.MIDI"},
        {"C:\\Music\\wrapped.rmi", true, "C:\\Music\\wrapped-tuned.rmi", "wrapped.rmi"},
        {"folder.d/noextension", false, "folder.d/noextension-tuned.mid", "noextension"},
        {"C:.hidden", false, "C:.hidden-tuned.mid", ".hidden"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.song);
        EXPECT_EQ(row.proposed, tunedSongPath(row.song, row.wrapped));
        EXPECT_EQ(row.name, fileNameOf(row.song));
    }
}

}  // namespace
