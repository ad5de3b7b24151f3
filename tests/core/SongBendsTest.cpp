#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestBytes.h"
#include "midi/SmfReader.h"
#include "song/SongBends.h"

namespace {

const char* const kGsReset = "F0 0A 41 10 42 12 40 00 7F 00 41 F7";
const char* const kEnd = "00 FF 2F 00";
// Registered parameter 0 set to 4 semitones, then no parameter chosen.
std::string range4(const char* cc) {
    const std::string b(cc);
    return "00 " + b + " 65 00 00 " + b + " 64 00 00 " + b + " 06 04 00 " + b + " 26 00 00 " + b + " 65 7F 00 " +
           b + " 64 7F";
}

Bytes song(const std::string& events) { return testSmf(0, "01 E0", {events + " " + kEnd}); }

// What a General MIDI receiver sounds, read from the written song: each
// note-on's channel, the bend and range its channel holds then.
struct Heard {
    int key, channel, bend, range;
    bool operator==(const Heard& o) const {
        return key == o.key && channel == o.channel && bend == o.bend && range == o.range;
    }
};
std::ostream& operator<<(std::ostream& out, const Heard& h) {
    return out << "{" << h.key << ", " << h.channel << ", " << h.bend << ", " << h.range << "}";
}
struct Hearing {
    std::vector<Heard> notes;
    int strayNoteOffs = 0;  // on a channel where the key does not sound
    int bends[16], ranges[16];
};

Hearing hear(const std::vector<uint8_t>& file) {
    Hearing h{};
    SmfLayout layout;
    EXPECT_TRUE(readSmfLayout(file.data(), file.size(), layout).ok());
    int rpn[16], keysOn[16][128] = {};
    const auto resetAll = [&] {
        for (int c = 0; c < 16; ++c) h.bends[c] = 8192, h.ranges[c] = 2, rpn[c] = 0x3FFF;
    };
    resetAll();
    forEachTrackEvent(file.data(), layout, [&](uint32_t, const TrackEvent& e) {
        const uint8_t* d = file.data() + e.dataOffset;
        const int c = e.status & 0x0F, kind = e.status >> 4;
        if (e.status == 0xF0 && e.dataLength == 10) resetAll();  // the GS Reset of these songs
        if (!e.isChannelMessage()) return;
        if (kind == 9 && d[1] != 0) {
            h.notes.push_back({d[0], c, h.bends[c], h.ranges[c]});
            ++keysOn[c][d[0]];
        } else if (kind == 8 || kind == 9) {
            if (keysOn[c][d[0]] == 0) ++h.strayNoteOffs;
            else --keysOn[c][d[0]];
        } else if (kind == 0xE) {
            h.bends[c] = d[1] << 7 | d[0];
        } else if (kind == 0xB && d[0] == 101) {
            rpn[c] = d[1] << 7 | (rpn[c] & 0x7F);
        } else if (kind == 0xB && d[0] == 100) {
            rpn[c] = (rpn[c] & ~0x7F) | d[1];
        } else if (kind == 0xB && d[0] == 6 && rpn[c] == 0) {
            h.ranges[c] = d[1];
        }
    });
    return h;
}

// C +25, D -50, E -25, G +25, the others 0; bends at 4 semitones are 8192 +
// 20.48 a cent: 8704, 7168, 7680.
SongBendOptions options(int range = 4) {
    SongBendOptions o;
    std::array<double, 12> cents{};
    cents[0] = 25, cents[2] = -50, cents[4] = -25, cents[7] = 25;
    o.keyCents = keyCentsOfPitchClasses(cents);
    o.bendRange = range;
    return o;
}
SongBendOptions withChannels(SongBendOptions o, uint16_t channels) { return o.channels = channels, o; }
// A keyboard tuning: key 60 at +470 cents (nearest key 65, -30 there),
// 62 at +50 (63, -50), 64 at -50 (64, -50), 127 at +300 (127, +300).
SongBendOptions onNearestKeys(int range = 4) {
    SongBendOptions o;
    o.keyCents[60] = 470, o.keyCents[62] = 50, o.keyCents[64] = -50, o.keyCents[127] = 300;
    o.nearestKeys = true;
    o.bendRange = range;
    return o;
}

struct Row {
    const char* name;
    Bytes song;
    SongBendOptions options;
    std::vector<Heard> heard;
    uint16_t borrowed;
    uint32_t offPitch;
};

// Programs on channels 2-16 (10 aside): no channel left to borrow.
const std::string kAllUsed = "00 C1 00 00 C2 00 00 C3 00 00 C4 00 00 C5 00 00 C6 00 00 C7 00 00 C8 00 "
                             "00 CA 00 00 CB 00 00 CC 00 00 CD 00 00 CE 00 00 CF 00";

const Row kRows[] = {
    {"three pitch classes, three bends: three channels", song("00 90 3C 64 00 90 40 64 00 90 3E 64 60 80 3C 40"),
     withChannels(options(), 1), {{60, 0, 8704, 4}, {64, 1, 7680, 4}, {62, 2, 7168, 4}}, 0b110, 0},
    {"C and G need the same bend: one channel", song("00 90 3C 64 00 90 43 64"), options(),
     {{60, 0, 8704, 4}, {67, 0, 8704, 4}}, 0, 0},
    {"the same pitch class again: its channel", song("00 90 3C 64 60 80 3C 40 00 90 48 64"), options(),
     {{60, 0, 8704, 4}, {72, 0, 8704, 4}}, 0, 0},
    {"a note ended but held by the pedal keeps its channel's bend",
     song("00 B0 40 7F 00 90 3C 64 60 80 3C 40 00 90 3E 64 60 B0 40 00 00 80 3E 40"), options(),
     {{60, 0, 8704, 4}, {62, 1, 7168, 4}}, 0b10, 0},
    {"a note after its channel fell silent goes to the channel silent longest",
     song("00 90 3C 64 00 90 40 64 60 80 40 40 00 80 3C 40 00 90 3E 64"), options(),
     {{60, 0, 8704, 4}, {64, 1, 7680, 4}, {62, 2, 7168, 4}}, 0b110, 0},
    {"the song's bend of +50 cents (at its range of 2) is added on the borrowed channel",
     song("00 E0 00 50 00 90 3C 64 00 90 40 64"), options(), {{60, 0, 9728, 4}, {64, 1, 8704, 4}}, 0b10, 0},
    {"the song's own range of 12 semitones: its +600 cents written at 13 semitones",
     song("00 B0 65 00 00 B0 64 00 00 B0 06 0C 00 E0 00 60 00 90 3C 64"), options(0), {{60, 0, 12130, 13}}, 0, 0},
    {"the song's range: 80 cents, then 12 semitones, which sets the cents to 0 (MIDI 1.0): 13 semitones, not 14",
     song("00 B0 65 00 00 B0 64 00 00 B0 26 50 00 B0 06 0C 00 E0 00 60 00 90 3C 64"), options(0), {{60, 0, 12130, 13}},
     0, 0},
    {"the automatic range: 2 semitones and 50 cents need 3", song("00 90 3E 64"), options(0), {{62, 0, 6827, 3}},
     0, 0},
    {"no channel left: the note on the nearest, counted", song(kAllUsed + " 00 90 3C 64 00 90 3E 64"), options(),
     {{60, 0, 8704, 4}, {62, 0, 8704, 4}}, 0, 1},
    {"channel 10 keeps its notes as they are", song("00 99 3C 64 00 90 3E 64"), options(),
     {{60, 9, 8192, 2}, {62, 0, 7168, 4}}, 0, 0},
    {"channel 10 is never borrowed",
     song("00 90 3C 64 00 90 3E 64 00 90 40 64 00 90 43 64 00 91 3C 64 00 91 3E 64 00 91 40 64 00 92 3C 64 "
          "00 92 3E 64 00 92 40 64 00 93 3E 64 00 94 3E 64 00 95 3E 64 00 96 3E 64"),
     options(),
     {{60, 0, 8704, 4}, {62, 7, 7168, 4}, {64, 8, 7680, 4}, {67, 0, 8704, 4}, {60, 1, 8704, 4}, {62, 10, 7168, 4},
      {64, 11, 7680, 4}, {60, 2, 8704, 4}, {62, 12, 7168, 4}, {64, 13, 7680, 4}, {62, 3, 7168, 4}, {62, 4, 7168, 4},
      {62, 5, 7168, 4}, {62, 6, 7168, 4}},
     0b11110110000000, 0},
    {"half a semitone either way: up to the key above, down on its own key", song("00 90 3E 64 60 90 40 64"),
     withChannels(onNearestKeys(), 1), {{63, 0, 7168, 4}, {64, 0, 7168, 4}}, 0, 0},
    {"beyond key 127: on key 127, bent the rest", song("00 90 7F 64"), onNearestKeys(), {{127, 0, 14336, 4}}, 0, 0},
    {"the automatic range takes the rest only: 2 semitones and 30 cents need 3", song("00 90 3C 64"),
     onNearestKeys(0), {{65, 0, 7373, 3}}, 0, 0},
    {"two keys on one key with two bends: two channels, each note-off following its note",
     song("00 90 3C 64 00 90 41 64 60 80 3C 40 00 80 41 40"), withChannels(onNearestKeys(), 1),
     {{65, 0, 7578, 4}, {65, 1, 8192, 4}}, 0b10, 0},
    {"a reset in mid-song: the range and bend again after it",
     song(kAllUsed + " 00 " + kGsReset + " 87 40 90 3C 64 60 80 3C 40 87 40 " + kGsReset + " 87 40 90 3C 64"),
     options(), {{60, 0, 8704, 4}, {60, 0, 8704, 4}}, 0, 0},
};

TEST(SongBends, eachNoteSoundsAtItsTunedPitch) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const SongBendResult result = bendSong(row.song.data(), row.song.size(), row.options);
        ASSERT_TRUE(result.ok());
        const Hearing h = hear(result.bytes);
        EXPECT_EQ(row.heard, h.notes);
        EXPECT_EQ(0, h.strayNoteOffs);
        EXPECT_EQ(row.borrowed, result.summary.borrowedChannels);
        EXPECT_EQ(row.offPitch, result.summary.offPitch.notes);
    }
}

TEST(SongBends, untouchedEventsKeepTheirBytesUnderRunningStatus) {
    const Bytes in = song("00 90 3C 64 00 40 64 00 3E 64 83 60 3C 00 00 40 00 00 3E 00");
    const SongBendResult result = bendSong(in.data(), in.size(), options());
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(bytesEqual(song(range4("B0") + " 00 E0 00 44 00 90 3C 64 " + range4("B1") + " 00 E1 00 3C 00 91 40 64 " +
                                range4("B2") + " 00 E2 00 38 00 92 3E 64 83 60 90 3C 00 00 91 40 00 00 92 3E 00"),
                           result.bytes));
    EXPECT_EQ(4, result.summary.bendRange);
    EXPECT_EQ(1, result.summary.retunedChannels);
}

TEST(SongBends, theSetUpTuningGoesAndNothingElseChangesWithoutRetunedChannels) {
    const std::string events = std::string("00 ") + kGsReset + " 00 F0 15 41 10 42 12 40 11 40 40 40 40 40 40 40 40 40 "
                               "40 40 40 40 6F F7 83 60 90 3C 64";
    const Bytes in = song(events);
    const SongBendResult removed = bendSong(in.data(), in.size(), options());
    EXPECT_EQ(1u, removed.summary.removedTuning);
    // The range 120 ms (116 ticks) after the reset, the bend before the note.
    EXPECT_TRUE(bytesEqual(song(std::string("00 ") + kGsReset + " 74" + range4("B0").substr(2) +
                                " 82 6C E0 00 44 00 90 3C 64"),
                           removed.bytes));
    SongBendOptions none = withChannels(options(), 0);
    none.keepOldTuning = true;
    const SongBendResult kept = bendSong(in.data(), in.size(), none);
    EXPECT_EQ(1u, kept.summary.keptTuning);
    EXPECT_TRUE(bytesEqual(in, kept.bytes));
}

TEST(SongBends, aBorrowedChannelTakesTheSongChannelsStateAndItsLaterChanges) {
    const Bytes in = song("00 B0 00 01 00 C0 05 00 B0 07 50 00 B0 63 01 00 B0 62 08 00 B0 06 40 00 D0 30 "
                          "00 90 3C 64 00 90 40 64 00 B0 0B 60 00 C0 07");
    const SongBendResult result = bendSong(in.data(), in.size(), options());
    // Bank, program, volume, the non-registered parameter, pressure, the
    // range with the song's choice of parameter again, then the bend.
    EXPECT_TRUE(bytesEqual(
        song(range4("B0") + " 00 B0 00 01 00 C0 05 00 B0 07 50 00 B0 63 01 00 B0 62 08 00 B0 06 40 00 D0 30 "
             "00 E0 00 44 00 90 3C 64 00 B1 00 01 00 C1 05 00 B1 07 50 00 B1 63 01 00 B1 62 08 00 B1 06 40 "
             "00 D1 30 00 B1 65 00 00 B1 64 00 00 B1 06 04 00 B1 26 00 00 B1 65 7F 00 B1 64 7F 00 B1 63 01 "
             "00 B1 62 08 00 E1 00 3C 00 91 40 64 00 B0 0B 60 00 B1 0B 60 00 C0 07 00 C1 07"),
        result.bytes));
}

// The song's parameter set LSB first, then MSB: its channel holds the MSB
// and an LSB of 0 (MIDI 1.0), so the borrowed channel gets the MSB alone.
TEST(SongBends, aBorrowedChannelTakesAParameterAsTheSongsChannelHoldsIt) {
    const Bytes in = song("00 B0 63 01 00 B0 62 08 00 B0 26 05 00 B0 06 40 00 90 3C 64 00 90 40 64");
    const SongBendResult result = bendSong(in.data(), in.size(), options());
    EXPECT_TRUE(bytesEqual(
        song(range4("B0") + " 00 B0 63 01 00 B0 62 08 00 B0 26 05 00 B0 06 40 00 E0 00 44 00 90 3C 64 "
             "00 B1 63 01 00 B1 62 08 00 B1 06 40 00 B1 65 00 00 B1 64 00 00 B1 06 04 00 B1 26 00 00 B1 65 7F "
             "00 B1 64 7F 00 B1 63 01 00 B1 62 08 00 E1 00 3C 00 91 40 64"),
        result.bytes));
}

TEST(SongBends, aNotesOffAndPressureFollowItThePedalsReleaseGoesEverywhere) {
    const Bytes in = song("00 B0 40 7F 00 90 3C 64 00 90 40 64 00 A0 40 30 00 80 40 40 00 B0 40 00");
    const SongBendResult result = bendSong(in.data(), in.size(), options());
    EXPECT_TRUE(bytesEqual(song(range4("B0") + " 00 B0 40 7F 00 E0 00 44 00 90 3C 64 00 B1 40 7F " + range4("B1") +
                                " 00 E1 00 3C 00 91 40 64 00 A1 40 30 00 81 40 40 00 B0 40 00 00 B1 40 00"),
                           result.bytes));
}

// Key 60 4.7 semitones high: on key 65, bent -30 cents, 8192 - 30 * 20.48 =
// 7578, sent least significant byte first: 1A 3B.
TEST(SongBends, aNotesPressureAndOffGoToTheKeyItIsPlayedOn) {
    const Bytes in = song("00 90 3C 64 00 A0 3C 30 00 80 3C 40");
    const SongBendResult result = bendSong(in.data(), in.size(), onNearestKeys());
    EXPECT_TRUE(bytesEqual(song(range4("B0") + " 00 E0 1A 3B 00 90 41 64 00 A0 41 30 00 80 41 40"), result.bytes));
}

TEST(SongBends, theSummaryCountsWhatDidNotGoAsPlanned) {
    const Bytes clipped = song("00 E0 7F 7F 00 90 3C 64");  // +199.98 and +25 cents past a range of 2
    EXPECT_EQ(1u, bendSong(clipped.data(), clipped.size(), options(2)).summary.clippedBends);
    const Bytes gap = song(std::string("00 ") + kGsReset + " 00 90 3C 64 00 90 3E 64");
    EXPECT_EQ(2u, bendSong(gap.data(), gap.size(), options()).summary.gapNotes);
    const Bytes full = song(kAllUsed + " 00 90 3C 64 83 60 90 3E 64");
    const OffPitchNotes off = bendSong(full.data(), full.size(), options()).summary.offPitch;
    EXPECT_EQ(1u, off.notes);
    EXPECT_DOUBLE_EQ(75, off.largestCents);
    EXPECT_DOUBLE_EQ(500, off.firstMs);
    EXPECT_EQ(0, off.firstChannel);
    const Bytes again = song(std::string("00 ") + kGsReset + " 83 60 90 3C 64 83 60 " + kGsReset);
    EXPECT_EQ(1u, bendSong(again.data(), again.size(), options()).summary.laterResets);
}

// Resets, ties and the order of one tick, judged byte for byte. At 480
// ticks a quarter note and 120 beats a minute a tick is 1.0417 ms, so the
// range goes 116 ticks after a reset (120 ms). C +25 cents is 8704 at 4
// semitones (00 44), D -50 7168 (00 38), E -25 7680 (00 3C), F 0 none.
TEST(SongBends, resetsTiesAndOneTicksOrderByteForByte) {
    const std::string reset = std::string(" ") + kGsReset + " ";
    const struct {
        const char* name;
        Bytes song;
        SongBendOptions options;
        Bytes written;
    } rows[] = {
        // Reset at tick 480, its range at 596, after the second note's end at 576.
        {"a pitch class before and after a reset: its bend again before the note in the reset's gap",
         song(kAllUsed + " 00 90 3C 64 60 80 3C 40 83 00" + reset + "00 90 3C 64 60 80 3C 40"),
         withChannels(options(), 1),
         song(range4("B0") + " " + kAllUsed + " 00 E0 00 44 00 90 3C 64 60 80 3C 40 83 00" + reset +
              "00 E0 00 44 00 90 3C 64 60 80 3C 40 14" + range4("B0").substr(2))},
        // Channel 3 retuned, channel 1 the one free: both silent since tick 0,
        // then both since tick 96, channel 3 takes the note each time; after
        // the reset (tick 384, range at 500) both hold no bend, and F goes
        // to channel 3 itself (delta 1344 - 500 = 844: 86 4C).
        {"ties to the song's own channel, and its own bend before a borrowed channel's",
         song(kAllUsed + " 00 92 3C 64 00 92 3E 64 60 82 3C 40 00 82 3E 40 60 92 40 64 60 82 40 40 60" + reset +
              "87 40 92 41 64 60 82 41 40"),
         withChannels(options(), 1 << 2),
         song(range4("B2") + " " + kAllUsed + " 00 E2 00 44 00 92 3C 64 00 C0 00 " + range4("B0") +
              " 00 E0 00 38 00 90 3E 64 60 82 3C 40 00 80 3E 40 60 E2 00 3C 00 92 40 64 60 82 40 40 60" + reset +
              "74" + range4("B0").substr(2) + " " + range4("B2") + " 86 4C 92 41 64 60 82 41 40")},
        // F is not bent: at the song's own range of 2 its bends are the sums.
        {"the song's own bends that say the sum keep their bytes, running status and all",
         song("00 90 41 64 00 E0 00 50 00 00 60"), options(2),
         song("00 B0 65 00 00 B0 64 00 00 B0 06 02 00 B0 26 00 00 B0 65 7F 00 B0 64 7F 00 90 41 64 00 E0 00 50 "
              "00 00 60")},
        {"the first reset at the first note's tick: no range at the start, the range after its gap",
         song("00" + reset + "00 90 3C 64 83 60 80 3C 40"), options(),
         song("00" + reset + "00 E0 00 44 00 90 3C 64 74" + range4("B0").substr(2) + " 82 6C 80 3C 40")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const SongBendResult result = bendSong(row.song.data(), row.song.size(), row.options);
        ASSERT_TRUE(result.ok());
        EXPECT_TRUE(bytesEqual(row.written, result.bytes));
    }
}

}  // namespace
