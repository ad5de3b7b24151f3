#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestBytes.h"
#include "sysex/MtsForms.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningFit.h"

namespace {

// Each form's bytes for one offset on one pitch class (the others 0), from
// the fit with no zero note at A4 = 440 Hz to the message. Positions and
// bytes typed from the layouts: GS F0 41 10 42 12 40 11 40 then C..B (D at
// 10); XG one 9-byte message a pitch class, the value at 7 (D at 25); MTS
// 1-byte F0 7E 7F 08 08 ff gg hh then C..B (D at 10), 2-byte the same with
// MSB LSB pairs (D at 12), single note F0 7F 7F 08 02 tt 40 then key and
// three bytes (key k's bytes at 8 + 4k, keys 64..127 in a second message
// from 264), bulk dump F0 7E 7F 08 01 tt, 16 name bytes, three bytes a key
// (key k at 22 + 3k).
struct Row {
    TuningFormat format;
    MtsForm form;
    int pitchClass;
    double cents;
    std::size_t position;
    const char* expected;
    bool held;
};

constexpr TuningFormat GS = TuningFormat::GS, XG = TuningFormat::XG, GM2 = TuningFormat::GM2;
constexpr MtsForm One = MtsForm::ScaleOctave1Byte, Two = MtsForm::ScaleOctave2Byte,
                  Note = MtsForm::SingleNote, Bulk = MtsForm::BulkDump;

std::string formName(TuningFormat format, MtsForm form) {
    return "format " + std::to_string(static_cast<int>(format)) + " form " + std::to_string(static_cast<int>(form));
}

const Row kRows[] = {
    // Whole cents, 64 + cents, -64..63.
    {GS, One, 2, -100, 10, "00", true},   {GS, One, 2, -64.5, 10, "00", true},
    {GS, One, 2, -0.005, 10, "40", false}, {GS, One, 2, 0, 10, "40", false},
    {GS, One, 2, 0.005, 10, "40", false},  {GS, One, 2, 5.38, 10, "45", false},
    {GS, One, 2, 63.5, 10, "7F", true},    {GS, One, 2, 99.99, 10, "7F", true},
    {XG, One, 2, -64.5, 25, "00", true},   {XG, One, 2, -0.005, 25, "40", false},
    {XG, One, 2, 5.38, 25, "45", false},   {XG, One, 2, 63.5, 25, "7F", true},
    {GM2, One, 2, -100, 10, "00", true},   {GM2, One, 2, -0.005, 10, "40", false},
    {GM2, One, 2, 5.38, 10, "45", false},  {GM2, One, 2, 99.99, 10, "7F", true},
    // 2-byte: 8192 + round(cents * 8192 / 100), -100.00..+99.99.
    {GM2, Two, 2, -100, 12, "00 00", false},  {GM2, Two, 2, -64.5, 12, "16 5C", false},
    {GM2, Two, 2, -0.005, 12, "3F 7F", false}, {GM2, Two, 2, 0, 12, "40 00", false},
    {GM2, Two, 2, 0.005, 12, "40 01", false},  {GM2, Two, 2, 5.38, 12, "43 39", false},
    {GM2, Two, 2, 63.5, 12, "68 52", false},   {GM2, Two, 2, 99.99, 12, "7F 7F", false},
    {GM2, Two, 2, 100, 12, "7F 7F", true},     {GM2, Two, 2, -100.01, 12, "00 00", true},
    // Keys: D4 (62) at 62 + cents / 100 semitones, the fraction rounded up.
    {GM2, Note, 2, -100, 256, "3D 00 00", false},  {GM2, Note, 2, -64.5, 256, "3D 2D 39", false},
    {GM2, Note, 2, -0.005, 256, "3D 7F 7F", false}, {GM2, Note, 2, 0, 256, "3E 00 00", false},
    {GM2, Note, 2, 0.005, 256, "3E 00 02", false},  {GM2, Note, 2, 5.38, 256, "3E 06 72", false},
    {GM2, Note, 2, 63.5, 256, "3E 51 24", false},   {GM2, Note, 2, 99.99, 256, "3E 7F 7F", false},
    {GM2, Note, 2, 100, 256, "3F 00 00", false},
    // 61.99998 and 62.00002 semitones: D4 itself; 62.99998: the fraction
    // carries into D#4, never 3E 7F 7F nor a byte of 80.
    {GM2, Note, 2, -0.002, 256, "3E 00 00", false}, {GM2, Note, 2, 0.002, 256, "3E 00 00", false},
    {GM2, Note, 2, 99.998, 256, "3F 00 00", false},
    // Below key 0 held; G9 up to 7F 7F 7E: +99.98 ceil(16380.72) = 16381, +99.99 16383 (7F 7F 7F) held.
    {GM2, Note, 0, -0.005, 8, "00 00 00", true}, {GM2, Note, 0, 0, 8, "00 00 00", false},
    {GM2, Note, 7, 0.005, 524, "7F 00 02", false}, {GM2, Note, 7, 99.98, 524, "7F 7F 7D", false},
    {GM2, Note, 7, 99.994, 524, "7F 7F 7E", true}, {GM2, Note, 7, 100, 524, "7F 7F 7E", true},
    {GM2, Bulk, 2, -64.5, 208, "3D 2D 39", false}, {GM2, Bulk, 2, 5.38, 208, "3E 06 72", false},
    {GM2, Bulk, 2, 99.998, 208, "3F 00 00", false}, {GM2, Bulk, 0, -0.005, 22, "00 00 00", true},
    {GM2, Bulk, 7, 99.98, 403, "7F 7F 7D", false}, {GM2, Bulk, 7, 99.994, 403, "7F 7F 7E", true},
};

TEST(ExactQuantisation, everyFormQuantisesTheFitOnceByItsRule) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(formName(row.format, row.form) + " " + std::to_string(row.cents) + " on " +
                     std::to_string(row.pitchClass));
        PitchClassOffsets offsets;
        offsets.cents[row.pitchClass] = row.cents;
        const FitResult result = fitOffsets(offsets, {0, ZeroNote::None, 440, row.format, row.form});
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(row.held, result.fit.notes[row.pitchClass].held);
        EXPECT_EQ(0, result.fit.coarseSemitones);
        ScaleDataBytes data;
        const std::optional<TuningListing> listing =
            buildTuningListingExact(row.format, {row.form, 0, ""}, result.fit.exactOffsets(), 1u, data);
        ASSERT_TRUE(listing);
        const Bytes expected = hexBytes(row.expected);
        ASSERT_LE(row.position + expected.size(), listing->size());
        EXPECT_TRUE(bytesEqual(expected, listing->data() + row.position, expected.size()));
    }
}

// Werckmeister III at A4 = 415 Hz: 1200 log2(415 / 440) = -101.27 cents,
// beyond every channel form's range with the temperament's own offsets; one
// semitone goes as coarse tuning (B0 65 00 B0 64 02 B0 06 3F, then the null
// parameter) on each selected channel, the rest stays in the offsets. The
// keys take the whole shift.
TEST(ExactQuantisation, aBaroqueA4GoesAsCoarseTuningWhereTheOffsetsWouldBeHeld) {
    const char kCoarseDownOnChannels1And3[] =
        "B0 65 00 B0 64 02 B0 06 3F B0 65 7F B0 64 7F B2 65 00 B2 64 02 B2 06 3F B2 65 7F B2 64 7F";
    const struct {
        TuningFormat format;
        MtsForm form;
        double a4;
        int32_t coarse;
        std::size_t sysexSize;
        const char* channelMessages;
        std::size_t position;  // of E's value: whole cents, or 2-byte, or key 64's
        const char* expected;
    } rows[] = {
        // E: -9.775 - 1.27 = -11.05 -> -11.
        {GS, One, 415, -1, 44, kCoarseDownOnChannels1And3, 12, "35"},
        {XG, One, 415, -1, 216, kCoarseDownOnChannels1And3, 4 * 9 + 7, "35"},
        // 8192 + round(-1105 * 0.8192) = 7287 = 38 77.
        {GM2, Two, 415, -1, 33, kCoarseDownOnChannels1And3, 16, "38 77"},
        // 430 Hz: -39.80 cents fit in -64..63, no coarse tuning; E -49.58 -> -50.
        {GS, One, 430, 0, 44, "", 12, "0E"},
        // 380 Hz: -253.80 -> three semitones down, E +46.20 - 9.78 = +36.42 -> 36.
        {GS, One, 380, -3, 44,
         "B0 65 00 B0 64 02 B0 06 3D B0 65 7F B0 64 7F B2 65 00 B2 64 02 B2 06 3D B2 65 7F B2 64 7F", 12, "64"},
        // Key 64 (E4) at -111.05 cents: ceil(-11105 * 1.6384) = -18194 steps,
        // 62 + 14574 / 16384 = 3E 71 6E; no coarse tuning.
        {GM2, Note, 415, 0, 528, "B0 65 00 B0 64 03 B0 06 00", 264 + 8, "3E 71 6E"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(formName(row.format, row.form) + " at " + std::to_string(row.a4));
        const FitResult result = fitOffsets(temperamentOffsets(*findTemperament("werckmeister3")),
                                            {0, ZeroNote::Tonic, row.a4, row.format, row.form});
        ASSERT_TRUE(result.ok());
        // Only the keys can run out: keys 0 and 1 go below the lowest pitch.
        EXPECT_EQ(row.form == Note ? std::vector<int>({0, 1}) : std::vector<int>(), result.fit.heldNotes);
        EXPECT_EQ(row.coarse, result.fit.coarseSemitones);
        ScaleDataBytes data;
        const std::optional<TuningListing> listing =
            buildTuningListingExact(row.format, {row.form, 0, ""}, result.fit.exactOffsets(), 0x5u, data);
        ASSERT_TRUE(listing);
        ASSERT_EQ(row.sysexSize, listing->sysexLength);
        const Bytes channel = hexBytes(row.channelMessages);
        ASSERT_LE(channel.size(), listing->channelLength);
        EXPECT_TRUE(bytesEqual(channel, listing->channelMessages(), channel.size()));
        const Bytes expected = hexBytes(row.expected);
        EXPECT_TRUE(bytesEqual(expected, listing->data() + row.position, expected.size()));
    }

    // A coarse tuning met in a key-based form (the window keeps it across a
    // change of form) goes into the keys: E4 at 64 - 1 - 0.1105 semitones.
    ExactOffsets gsFit;
    gsFit.hundredths[4] = -1105;
    gsFit.coarseSemitones = -1;
    ScaleDataBytes data;
    const std::optional<TuningListing> keys = buildTuningListingExact(GM2, {Note, 0, ""}, gsFit, 1u, data);
    ASSERT_TRUE(keys);
    EXPECT_TRUE(bytesEqual(hexBytes("3E 71 6E"), keys->data() + 264 + 8, 3));
    EXPECT_EQ(24u, keys->channelLength);  // the program select alone
}

}  // namespace
