#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tuning/NoteNames.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningFit.h"

namespace {

using Sent = std::array<int32_t, 12>;

Sent sentOf(const FitResult& result) {
    Sent sent{};
    for (int k = 0; k < 12; ++k) sent[k] = result.fit.notes[k].sent;
    return sent;
}

FitResult fitTemperament(const char* id, FitOptions options = {}) {
    return fitOffsets(temperamentOffsets(*findTemperament(id)), options);
}

PitchClassOffsets exactOffsets(std::array<double, 12> cents) {
    PitchClassOffsets offsets;
    offsets.cents = cents;
    return offsets;
}

TEST(TuningFit, noZeroNoteKeepsOffsetsWhereTheyAre) {
    const PitchClassOffsets offsets =
        exactOffsets({5, -3, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0});
    const struct {
        const char* name;
        FitOptions options;
        Sent expected;
    } rows[] = {
        {"kept", {0, ZeroNote::None, 440}, {5, -3, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0}},
        {"tonic D, kept", {2, ZeroNote::None, 440}, {0, 0, 5, -3, 0, 0, 0, 0, 0, 0, 0, 7}},
        {"kept, 442 Hz", {0, ZeroNote::None, 442}, {13, 5, 8, 8, 8, 8, 8, 8, 8, 15, 8, 8}},
        {"zero note tonic for comparison", {0, ZeroNote::Tonic, 440},
         {0, -8, -5, -5, -5, -5, -5, -5, -5, 2, -5, -5}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const FitResult result = fitOffsets(offsets, row.options);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(row.expected, sentOf(result));
    }
}

TEST(TuningFit, appliesTonicZeroNoteAndFrequencyInOrder) {
    // Werckmeister III offsets on C: 0 -9.775 -7.82 -5.865 -9.775 -1.955
    // -11.73 -3.91 -7.82 -11.73 -3.91 -7.82.
    const struct {
        const char* name;
        FitOptions options;
        Sent expected;
    } rows[] = {
        {"on C", {}, {0, -10, -8, -6, -10, -2, -12, -4, -8, -12, -4, -8}},
        {"tonic D: D gets C's offset, C gets Bb's", {2, ZeroNote::Tonic, 440},
         {-4, -8, 0, -10, -8, -6, -10, -2, -12, -4, -8, -12}},
        {"zero note A", {0, ZeroNote::A, 440}, {12, 2, 4, 6, 2, 10, 0, 8, 4, 0, 8, 4}},
        {"tonic G, zero note A", {7, ZeroNote::A, 440},
         {6, -4, 4, 0, -4, 4, 0, 8, -2, 0, 2, -2}},
        // 1200 log2(432/440) = -31.77; 1200 log2(442/440) = +7.85.
        {"432 Hz", {0, ZeroNote::Tonic, 432},
         {-32, -42, -40, -38, -42, -34, -43, -36, -40, -43, -36, -40}},
        {"442 Hz", {0, ZeroNote::Tonic, 442}, {8, -2, 0, 2, -2, 6, -4, 4, 0, -4, 4, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const FitResult result = fitTemperament("werckmeister3", row.options);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(row.expected, sentOf(result));
        EXPECT_TRUE(result.fit.heldNotes.empty());
    }
}

TEST(TuningFit, reportsExactCentsAndRoundingError) {
    const FitResult result = fitTemperament("werckmeister3", {0, ZeroNote::Tonic, 432});
    const double shift = 1200 * std::log2(432.0 / 440.0);
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        const NoteFit& note = result.fit.notes[k];
        const double exact =
            findTemperament("werckmeister3")->centsAboveC[k] - 100 * k + shift;
        EXPECT_NEAR(exact, note.exactCents, 1e-9);
        EXPECT_NEAR(note.sent - exact, note.error, 1e-9);
        EXPECT_LE(std::fabs(note.error), 0.5);
    }
}

TEST(TuningFit, aSemitoneDownGoesAsCoarseTuningInsteadOfBeingHeld) {
    const FitResult result = fitTemperament("equal", {0, ZeroNote::Tonic, 415.3});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(Sent{}, sentOf(result));
    EXPECT_TRUE(result.fit.heldNotes.empty());
    EXPECT_EQ(-1, result.fit.coarseSemitones);
    for (const NoteFit& note : result.fit.notes) {
        EXPECT_FALSE(note.held);
        // 1200 log2(415.3 / 440) = -100.02 cents; the coarse tuning takes -100.
        EXPECT_NEAR(-0.02, note.exactCents, 0.005);
    }
}

TEST(TuningFit, roundsHalvesAwayFromZeroThenHoldsAtTheLimits) {
    // Zero note A with A at 0 leaves the other values as given.
    const FitResult result = fitOffsets(
        exactOffsets({0.5, -0.5, 1.5, -2.5, 0.49, -0.49, 63.4, 63.5, -64.5, 0, -64.49, 1e12}),
        {0, ZeroNote::A, 440});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ((Sent{1, -1, 2, -3, 0, 0, 63, 63, -64, 0, -64, 63}), sentOf(result));
    EXPECT_EQ((std::vector<int>{7, 8, 11}), result.fit.heldNotes);
    EXPECT_FALSE(result.fit.notes[10].held);
}

TEST(TuningFit, refusesATonicOrFrequencyOutOfRange) {
    const PitchClassOffsets offsets = temperamentOffsets(*findTemperament("equal"));
    const struct {
        FitOptions options;
        FitError expected;
    } rows[] = {
        {{0, ZeroNote::Tonic, 380.0}, FitError::None},
        {{11, ZeroNote::Tonic, 480.0}, FitError::None},
        {{0, ZeroNote::Tonic, 379.99}, FitError::A4OutOfRange},
        {{0, ZeroNote::Tonic, 480.01}, FitError::A4OutOfRange},
        {{0, ZeroNote::Tonic, std::nan("")}, FitError::A4OutOfRange},
        {{12, ZeroNote::Tonic, 440.0}, FitError::TonicOutOfRange},
        {{-1, ZeroNote::Tonic, 440.0}, FitError::TonicOutOfRange},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.options.tonic) + " " + std::to_string(row.options.a4Hz));
        const FitResult result = fitOffsets(offsets, row.options);
        EXPECT_EQ(row.expected, result.error);
    }
}

TEST(TuningFit, namesUnmappedPitchClassesAfterTheMoveToTheTonic) {
    PitchClassOffsets offsets;
    offsets.unmapped = 1u << 1 | 1u << 11;  // C# and B of the scale on C
    const FitResult result = fitOffsets(offsets, {2, ZeroNote::Tonic, 440});
    EXPECT_EQ((std::vector<int>{1, 3}), result.fit.unmappedNotes);  // C# and D# on D
}

TEST(TuningFit, theA4FrequencyIsReadAsTyped) {
    const struct {
        const char* text;
        double hz;  // 0: refused
    } rows[] = {
        {"440", 440},   {" 415.3 ", 415.3}, {".5", 0.5},    {"442.", 442},   {"4.4e2", 0},
        {"-440", 0},    {"+440", 0},        {"1.2.3", 0},   {"", 0},         {" ", 0},
        {".", 0},       {"4\t40", 0},       {"1000001", 0}, {"1000000", 1e6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<double> hz = parseFrequency(row.text);
        EXPECT_EQ(row.hz != 0, hz.has_value());
        if (hz) {
            EXPECT_DOUBLE_EQ(row.hz, *hz);
        }
    }
}

TEST(NoteNames, parsesTheSeventeenSpellingsExactly) {
    const struct {
        const char* text;
        int expected;  // -1: refused
    } rows[] = {
        {"C", 0},  {"C#", 1},  {"Db", 1},  {"D", 2},   {"D#", 3},  {"Eb", 3},  {"E", 4},
        {"F", 5},  {"F#", 6},  {"Gb", 6},  {"G", 7},   {"G#", 8},  {"Ab", 8},  {"A", 9},
        {"A#", 10}, {"Bb", 10}, {"B", 11}, {"c", -1},  {"DB", -1}, {"E#", -1}, {"Fb", -1},
        {"Cb", -1}, {"B#", -1}, {"H", -1}, {"", -1},   {" C", -1}, {"C##", -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<int> parsed = parseNoteName(row.text);
        EXPECT_EQ(row.expected, parsed.value_or(-1));
    }
}

TEST(NoteNames, parsesTwelveCommaSeparatedNumbersInHundredths) {
    const ExactOffsetListParse good = parseExactOffsetList("0,-5.38, 4 ,+3.5,-.25,-2,-12,+2,-8,-16,-4,9999.99");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ((Sent{0, -538, 400, 350, -25, -200, -1200, 200, -800, -1600, -400, 999999}), good.hundredths);

    const struct {
        const char* text;
        int badItem;
        bool tooManyDecimals;
    } rows[] = {
        {"", 1, false},
        {"0,0,0,0,0,0,0,0,0,0,0", 12, false},
        {"0,0,0,0,0,0,0,0,0,0,0,0,0", 13, false},
        {"0,0,x,0,0,0,0,0,0,0,0,0", 3, false},
        {"0,0,0,0,,0,0,0,0,0,0,0", 5, false},
        {"0,0,0,0,0,0,0,0,0,0,0,1.555", 12, true},
        {"0,0,0,0,0,0,0,0,0,0,0,10000", 12, false},
        {"0,0,0,0,0,0,0,0,0,0,0,-10000", 12, false},
        {"0,0,0,0,0,0,0,0,0,0,0,0,", 13, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const ExactOffsetListParse parsed = parseExactOffsetList(row.text);
        EXPECT_EQ(row.badItem, parsed.badItem);
        EXPECT_EQ(row.tooManyDecimals, parsed.tooManyDecimals);
    }
}

}  // namespace
