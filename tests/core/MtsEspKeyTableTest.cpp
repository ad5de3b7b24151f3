#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "TestBytes.h"
#include "mtsesp/MtsEspKeyTable.h"
#include "tuning/ResolveTuning.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningFit.h"

namespace {

struct KeyRow {
    int key;
    double hz;  // typed from the calculation above the table
    bool filtered;
};

::testing::AssertionResult keysAre(const MtsEspPublication& publication, const KeyRow& row) {
    const double hz = publication.hz[row.key];
    if (std::fabs(hz - row.hz) > row.hz * 1e-9)
        return ::testing::AssertionFailure() << "key " << row.key << " sounds at " << hz << " Hz, not " << row.hz;
    if (publication.filtered.test(row.key) != row.filtered)
        return ::testing::AssertionFailure() << "key " << row.key << (row.filtered ? " is not" : " is") << " filtered";
    return ::testing::AssertionSuccess();
}

// A Scala scale, with a keyboard map or laid on the keys from C4, resolved
// as every source is.
Tuning scalaTuning(const char* scale, const char* map = nullptr) {
    TuningSource source;
    source.kind = TuningSourceKind::Scala;
    source.scale = parseScala(readFile(fixturePath(scale))).scale;
    if (map) source.keyboardMap = parseKeyboardMap(readFile(fixturePath(map))).map;
    return resolveTuning(source).tuning;
}

// The just major scale (9/8 5/4 4/3 3/2 5/3 15/8 2/1) on the white keys of
// white_keys7.kbm, A4 (degree 5, 5/3) at 440 Hz, so C4 = 264 Hz: D4 297,
// E4 330, F4 352, G4 396, B4 495. A black key ("x") is filtered and sounds
// as the white key below it. Key 0 lies below the map's first key and key 1
// is black: neither has a mapped key below, so both take key 2 (D-1,
// 297 / 32 = 9.28125). Keys 126 (black) and 127 lie above its last key and
// take key 125 (F9, 352 x 32 = 11264).
TEST(MtsEspKeyTable, aSevenNoteMapFiltersTheBlackKeysAndSoundsThemAsTheKeyBelow) {
    const MtsEspPublication publication =
        mtsEspPublication(mtsEspKeyTable(scalaTuning("scl/seven_note.scl", "kbm/white_keys7.kbm")));
    const KeyRow rows[] = {
        {0, 9.28125, true},  {1, 9.28125, true},   {2, 9.28125, false},   {3, 9.28125, true},
        {60, 264, false},    {61, 264, true},      {62, 297, false},      {63, 297, true},
        {64, 330, false},    {65, 352, false},     {66, 352, true},       {67, 396, false},
        {68, 396, true},     {69, 440, false},     {70, 440, true},       {71, 495, false},
        {125, 11264, false}, {126, 11264, true},   {127, 11264, true},
    };
    for (const KeyRow& row : rows) EXPECT_TRUE(keysAre(publication, row));
    for (int key = 0; key < kMtsEspKeyCount; ++key) {
        const int pitchClass = key % 12;
        const bool black = pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
        EXPECT_EQ(black || key == 0 || key > 125, publication.filtered.test(key)) << "key " << key;
    }
    EXPECT_EQ(2.0, publication.periodRatio);
    EXPECT_EQ(12, publication.mapSize);
    EXPECT_EQ(60, publication.mapStartKey);
    EXPECT_EQ(69, publication.referenceKey);
}

TEST(MtsEspKeyTable, aScaleOfAnotherPeriodRepeatsAtIt) {
    const MtsEspPublication publication = mtsEspPublication(mtsEspKeyTable(scalaTuning("scl/bohlen_pierce.scl")));
    ASSERT_TRUE(publication.periodRatio);
    EXPECT_NEAR(3.0, *publication.periodRatio, 1e-12);  // 3/1
    EXPECT_EQ(13, publication.mapSize);
}

// A key with no frequency a client could play is filtered like an unmapped
// one; with none to play at all, every key keeps its equal-tempered pitch
// at A4 = 440 Hz (key 0 8.1757989156, key 127 12543.8539514160 Hz).
TEST(MtsEspPublication, keysWithoutAPlayableFrequencyAreFiltered) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double hz69;
        bool mapped69;
        KeyRow row;
    } rows[] = {
        {"zero", 0.0, true, {69, 415.3046975799, true}},
        {"negative", -440.0, true, {69, 415.3046975799, true}},
        {"infinite", infinity, true, {69, 415.3046975799, true}},
        {"not a number", nan, true, {69, 415.3046975799, true}},
        {"unmapped", 440.0, false, {69, 415.3046975799, true}},
        {"mapped", 440.0, true, {69, 440.0, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MtsEspKeyTable table;
        for (int key = 0; key < kMtsEspKeyCount; ++key) table.hz[key] = 440.0 * std::exp2((key - 69) / 12.0);
        table.mapped.set();
        table.hz[69] = row.hz69;
        table.mapped.set(69, row.mapped69);
        const MtsEspPublication publication = mtsEspPublication(table);
        EXPECT_TRUE(keysAre(publication, row.row));
        EXPECT_EQ(row.row.filtered ? 1u : 0u, publication.filtered.count());
    }

    MtsEspKeyTable none;
    none.hz.fill(440.0);
    const MtsEspPublication silent = mtsEspPublication(none);
    EXPECT_TRUE(silent.filtered.all());
    for (const KeyRow& row : {KeyRow{0, 8.1757989156, true}, KeyRow{69, 440.0, true}, KeyRow{127, 12543.8539514160, true}})
        EXPECT_TRUE(keysAre(silent, row));
}

// The library takes the map's values as signed bytes; one it cannot hold is
// not sent rather than sent wrapped. The reference key is always sent, -1
// for none.
TEST(MtsEspPublication, mapValuesOutsideTheirRangeAreNotSent) {
    const struct {
        int mapSize, startKey, referenceKey;
        double periodRatio;
        std::optional<int> sentSize, sentStart;
        int sentReference;
        std::optional<double> sentRatio;
    } rows[] = {
        {1, 0, 0, 2.0, 1, 0, 0, 2.0},
        {127, 127, 127, 0.5, 127, 127, 127, 0.5},
        {0, -1, -1, 0.0, std::nullopt, std::nullopt, -1, std::nullopt},
        {128, 128, 128, -2.0, std::nullopt, std::nullopt, -1, std::nullopt},
        {1000, 60, -2, std::numeric_limits<double>::infinity(), std::nullopt, 60, -1, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("map size " + std::to_string(row.mapSize) + ", start " + std::to_string(row.startKey) +
                     ", reference " + std::to_string(row.referenceKey));
        MtsEspKeyTable table;
        table.mapSize = row.mapSize;
        table.mapStartKey = row.startKey;
        table.referenceKey = row.referenceKey;
        table.periodRatio = row.periodRatio;
        const MtsEspPublication publication = mtsEspPublication(table);
        EXPECT_EQ(row.sentSize, publication.mapSize);
        EXPECT_EQ(row.sentStart, publication.mapStartKey);
        EXPECT_EQ(row.sentReference, publication.referenceKey);
        EXPECT_EQ(row.sentRatio, publication.periodRatio);
    }
}

// A resolved tuning as the master publishes it. Werckmeister III on D at
// A4 = 415 Hz, fitted for GS: on C its exact offsets (P = 1200 log2(3/2),
// comma c = 12 P - 8400 = 23.46) are C 10 (P - 700) - c = -3.91, G (P - 700)
// - c/4 = -3.91, F 11 (P - 700) - c = -1.955; on D, C takes A#'s -3.91, A
// G's, G F's, and D (the zero note) C's 0. 1200 log2(415/440) = -101.2706
// cents is beyond GS: the tuning records -1 coarse semitone and -1.2706 on
// every note, so key k sounds at 440 x 2^((k - 69 - 1) / 12 + (offset -
// 1.2706) / 1200), unrounded: key 0 (C) 7.6938686039, key 60 (C)
// 246.2037953247, key 62 (D) 415 x 2^(-7/12) = 276.9792697403, key 69 (A)
// 414.0637778208, key 127 (G) 11817.7821755854. 19 equal steps laid from
// C4 (key 60 = 440 x 2^(-9/12) = 261.6255653006 Hz): key k at that
// x 2^((k - 60) / 19), key 0 29.3129239186, key 61 271.3462748076, key 127
// 3014.4425164465. The seven notes sound as above. A file's key 60 half a semitone up (8192 of 16384 steps):
// 261.6255653006 x 2^(50/1200) = 269.2917795270; its key 61 never set.
TEST(MtsEspKeyTable, aTuningIsPublishedAsItsOutputsSoundIt) {
    TuningSource werckmeister;
    werckmeister.temperamentId = "werckmeister3";
    werckmeister.fit = {2, ZeroNote::Tonic, 415.0, TuningFormat::GS, MtsForm::ScaleOctave1Byte};
    TuningReadResult read;
    read.format = TuningFormat::GM2;
    read.mtsForm = MtsForm::SingleNote;
    read.keySteps[60] = 60 * kMtsStepsPerSemitone + 8192;
    const struct {
        const char* name;
        Tuning tuning;
        std::vector<KeyRow> keys;
        std::optional<double> periodRatio;
        std::optional<int> mapSize, mapStartKey;
        int referenceKey;
    } rows[] = {
        {"Werckmeister III", resolveTuning(werckmeister).tuning,
         {{0, 7.6938686039, false}, {60, 246.2037953247, false}, {62, 276.9792697403, false},
          {69, 414.0637778208, false}, {127, 11817.7821755854, false}}, 2.0, 12, 60, -1},
        {"19 equal divisions of the octave", scalaTuning("scl/19edo.scl"),
         {{0, 29.3129239186, false}, {61, 271.3462748076, false}, {127, 3014.4425164465, false}}, 2.0, 19, 60, 60},
        {"Just major scale, seven notes", scalaTuning("scl/seven_note.scl", "kbm/white_keys7.kbm"),
         {{1, 9.28125, true}, {61, 264, true}, {69, 440, false}, {127, 11264, true}}, 2.0, 12, 60, 69},
        // A map whose keys are twelve pitch classes.
        {"31 equal divisions of the octave", scalaTuning("scl/31edo.scl", "kbm/meantone31.kbm"), {}, 2.0, 12, 60, 69},
        {"keys.mid", tuningOfFile(read, "keys.mid"), {{60, 269.2917795270, false}, {61, 269.2917795270, true}},
         std::nullopt, std::nullopt, std::nullopt, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const MtsEspPublication publication = mtsEspPublication(mtsEspKeyTable(row.tuning));
        for (const KeyRow& key : row.keys) EXPECT_TRUE(keysAre(publication, key));
        EXPECT_EQ(row.name, publication.scaleName);
        EXPECT_EQ(row.periodRatio, publication.periodRatio);
        EXPECT_EQ(row.mapSize, publication.mapSize);
        EXPECT_EQ(row.mapStartKey, publication.mapStartKey);
        EXPECT_EQ(row.referenceKey, publication.referenceKey);
    }
}

}  // namespace
