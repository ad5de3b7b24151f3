#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/TuningFileReader.h"

namespace {

const char kSelectChannel2Program5Text[] =
    "B1 65 00 B1 64 03 B1 06 05 B1 65 00 B1 64 04 B1 06 00 B1 65 7F B1 64 7F";

std::string readFixtureText(const std::string& name) { return readFile(fixturePath(name)); }

// n equal steps of `periodCents`, the period written as it is.
ScalaScale equalScale(int notes, double periodCents) {
    ScalaScale scale;
    for (int k = 1; k <= notes; ++k) scale.pitches.push_back({periodCents * k / notes, false, 0, 1, 0});
    return scale;
}

TEST(KeyboardMap, readsTheHeaderAndTheEntries) {
    const KeyboardMapReadResult linear = parseKeyboardMap(readFixtureText("kbm/linear.kbm"));
    ASSERT_TRUE(linear.ok());
    EXPECT_EQ(0, linear.map.mapSize);
    EXPECT_EQ(127, linear.map.lastKey);
    EXPECT_EQ(69, linear.map.referenceKey);
    EXPECT_EQ(440.0, linear.map.referenceHz);
    EXPECT_FALSE(linear.tooFewKeyLines());

    const KeyboardMapReadResult meantone = parseKeyboardMap(readFixtureText("kbm/meantone31.kbm"));
    ASSERT_TRUE(meantone.ok());
    EXPECT_EQ(31, meantone.map.formalOctave);
    EXPECT_EQ((std::vector<int>{0, 2, 5, 8, 10, 13, 15, 18, 20, 23, 26, 28}), meantone.map.degrees);

    const KeyboardMapReadResult white = parseKeyboardMap(readFixtureText("kbm/white5.kbm"));
    ASSERT_TRUE(white.ok());
    EXPECT_EQ((std::vector<int>{0, 1, kUnmappedDegree, 2, 3, 4, kUnmappedDegree}), white.map.degrees);
    EXPECT_DOUBLE_EQ(261.6255653, white.map.referenceHz);

    // The format lets unmapped keys at the end be left out; that is worth a warning.
    const KeyboardMapReadResult few = parseKeyboardMap("12\n0\n127\n60\n60\n261.6\n12\n0\n1\n2\n");
    ASSERT_TRUE(few.ok());
    EXPECT_TRUE(few.tooFewKeyLines());
    EXPECT_EQ(3u, few.keyLinesRead);
    EXPECT_EQ(kUnmappedDegree, few.map.degrees[3]);
    // Each inclusive limit is itself accepted: a map size of 1000, keys 0 and 127, first and last
    // the same key, 1 MHz, a formal octave of 1000, a degree of 1000000.
    for (const char* text : {"1000\n0\n0\n0\n0\n1000000\n1000\n", "1\n127\n127\n127\n127\n440\n0\n1000000\n"})
        EXPECT_TRUE(parseKeyboardMap(text).ok()) << text;
}

TEST(KeyboardMap, refusesMalformedLinesNamingThem) {
    using E = KeyboardMapError;
    using F = KeyboardMapField;
    const struct {
        const char* name;
        const char* text;
        E error;
        F field;
        std::size_t line;
    } rows[] = {
        {"empty file", "", E::MissingValue, F::MapSize, 1},
        {"ends before the octave", "! c\n0\n0\n127\n60\n69\n440\n", E::MissingValue, F::FormalOctave, 8},
        {"size not a number", "twelve\n", E::NotANumber, F::MapSize, 1},
        {"size beyond 1000", "1001\n", E::OutOfRange, F::MapSize, 1},
        {"negative first key", "0\n-1\n", E::OutOfRange, F::FirstKey, 2},
        {"last key 128", "0\n0\n128\n", E::OutOfRange, F::LastKey, 3},
        {"last before first", "0\n61\n60\n", E::LastKeyBeforeFirst, F::LastKey, 3},
        {"middle key missing", "0\n0\n127\n\n", E::NotANumber, F::MiddleKey, 4},
        {"reference key 200", "0\n0\n127\n60\n200\n", E::OutOfRange, F::ReferenceKey, 5},
        {"frequency 0", "0\n0\n127\n60\n69\n0.0\n", E::OutOfRange, F::ReferenceFrequency, 6},
        {"frequency a word", "0\n0\n127\n60\n69\nA440\n", E::NotANumber, F::ReferenceFrequency, 6},
        {"frequency beyond 1 MHz", "0\n0\n127\n60\n69\n1000001\n", E::OutOfRange, F::ReferenceFrequency, 6},
        {"octave beyond 1000", "0\n0\n127\n60\n69\n440\n1001\n", E::OutOfRange, F::FormalOctave, 7},
        {"degree neither number nor x", "2\n0\n127\n60\n69\n440\n2\n0\ny\n", E::NotANumber, F::Degree, 9},
        {"negative degree", "2\n0\n127\n60\n69\n440\n2\n-3\n", E::OutOfRange, F::Degree, 8},
        {"degree 1000001", "1\n0\n127\n60\n60\n440\n0\n1000001\n", E::OutOfRange, F::Degree, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const KeyboardMapReadResult result = parseKeyboardMap(row.text);
        EXPECT_EQ(row.error, result.error);
        EXPECT_EQ(row.field, result.field);
        EXPECT_EQ(row.line, result.line);
    }
    std::string big = "0\n0\n127\n60\n69\n440\n0\n";
    big.resize(kMaxScalaFileBytes + 1, '\n');
    EXPECT_TRUE(parseKeyboardMap(std::string_view(big).substr(0, kMaxScalaFileBytes)).ok());
    EXPECT_EQ(E::FileTooLarge, parseKeyboardMap(big).error);
}

// Key frequencies by hand: f = reference * 2^((cents of the key's degree -
// cents of the reference key's degree) / 1200), to 0.0001 Hz; 0 = unmapped.
TEST(KeyboardTuning, givesEachKeyItsDegreesPitch) {
    const ScalaScale edo31 = equalScale(31, 1200), edo5 = equalScale(5, 1200), edo19 = equalScale(19, 1200);
    const struct {
        const char* name;
        const ScalaScale* scale;
        std::string map;
        std::vector<std::pair<int, double>> keys;
    } rows[] = {
        {"Scala's linear map of size 0, 19-EDO, A4 at 440", &edo19, readFixtureText("kbm/linear.kbm"),
         {{69, 440.0}, {70, 456.3482}, {60, 316.8542}, {50, 220.0}}},
        {"12 keys of 31-EDO, formal octave 31", &edo31, readFixtureText("kbm/meantone31.kbm"),
         {{60, 263.0921}, {61, 275.1244}, {59, 246.0231}, {72, 526.1842}, {81, 880.0}}},
        {"7 keys with x keys, formal octave 5", &edo5, readFixtureText("kbm/white5.kbm"),
         {{60, 261.6256}, {61, 300.5289}, {62, 0}, {63, 345.2170}, {65, 455.5166}, {66, 0}, {67, 523.2511},
          {58, 227.7583}, {59, 0}}},
        {"a degree beyond the scale's size", &edo5, "3\n0\n127\n60\n60\n261.6255653\n5\n0\n7\nx\n",
         {{60, 261.6256}, {61, 690.4340}, {62, 0}, {63, 523.2511}}},
        {"too few key lines: the rest unmapped", &edo5, "4\n0\n127\n60\n60\n261.6255653\n5\n0\n1\n",
         {{60, 261.6256}, {61, 300.5289}, {62, 0}, {63, 0}, {64, 523.2511}}},
        {"keys outside first..last unmapped", &edo5, "0\n60\n72\n60\n60\n261.6255653\n0\n",
         {{59, 0}, {60, 261.6256}, {65, 523.2511}, {72, 1380.8680}, {73, 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const KeyboardMapReadResult map = parseKeyboardMap(row.map);
        ASSERT_TRUE(map.ok());
        const KeyboardTuningResult tuning = keyboardTuning(*row.scale, map.map);
        ASSERT_TRUE(tuning.ok());
        for (const auto& [key, hz] : row.keys) {
            SCOPED_TRACE(key);
            EXPECT_EQ(hz != 0, tuning.tuning.mapped.test(static_cast<std::size_t>(key)));
            EXPECT_NEAR(hz, tuning.tuning.hz[key], 5e-5 * std::max(1.0, hz / 1000));
        }
    }
}

TEST(KeyboardTuning, refusesWhatTheScaleCannotPlay) {
    const ScalaScale edo5 = equalScale(5, 1200);
    const struct {
        const char* name;
        ScalaScale scale;
        const char* map;
        KeyboardTuningError error;
        std::size_t line;  // of the formal octave or the reference key
    } rows[] = {
        {"formal octave 6 of a 5-note scale", edo5, "1\n0\n127\n60\n60\n440\n! octave\n6\n0\n",
         KeyboardTuningError::FormalOctaveBeyondScale, 8},
        {"reference key on an x", edo5, "2\n0\n127\n60\n61\n440\n5\n0\nx\n", KeyboardTuningError::ReferenceKeyUnmapped, 5},
        {"reference key on a missing key line", edo5, "2\n0\n127\n60\n59\n440\n5\n0\n",
         KeyboardTuningError::ReferenceKeyUnmapped, 5},
        {"a scale with no pitches", ScalaScale{}, "0\n0\n127\n60\n60\n440\n0\n", KeyboardTuningError::NoPitches, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const KeyboardTuningResult result = keyboardTuning(row.scale, parseKeyboardMap(row.map).map);
        EXPECT_EQ(row.error, result.error);
        EXPECT_EQ(row.line, result.line);
    }
    // A formal octave equal to the scale's size is the scale's own.
    EXPECT_TRUE(keyboardTuning(edo5, parseKeyboardMap("1\n0\n127\n60\n60\n440\n5\n0\n").map).ok());
}

// Bohlen-Pierce, key 127 at f: 1200 log2(f / 12543.8540) cents, ceil(hundredths * 1.6384) steps up
// to 7F 7F 7E; one rounded up to 7F 7F 7F ("no change") or past it held there, and read back so.
TEST(KeyboardTuning, theTopKeyReaches7F7F7EAndIsHeldOnlyBeyondIt) {
    const ScalaScale bohlenPierce = parseScala(readFixtureText("scl/bohlen_pierce.scl")).scale;
    const struct { const char* hz; int32_t hundredths; const char* bytes; int32_t steps; bool held; } rows[] = {
        {"13000", 6184, "7F 4F 14", 10132, false},    // 61.837: ceil(10131.87)
        {"13289.6", 9998, "7F 7F 7D", 16381, false},  // 99.980: ceil(16380.72)
        {"13289.65", 9999, "7F 7F 7E", 16382, true},  // 99.987: ceil(16382.36) = 16383 = 7F 7F 7F
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hz);
        const KeyboardMap map = parseKeyboardMap(std::string("0\n100\n127\n60\n127\n") + row.hz + "\n0\n").map;
        const KeyOffsets keys = keyOffsets(keyboardTuning(bohlenPierce, map).tuning);
        EXPECT_EQ(row.hundredths, keys[127]);
        EXPECT_EQ(row.held, keyTargetHeld(127, *keys[127]));
        const std::optional<TuningListing> dump = buildKeyboardListing({MtsForm::BulkDump, 0, ""}, keys, 1);
        EXPECT_TRUE(bytesEqual(hexBytes(row.bytes), dump->data() + 22 + 127 * 3, 3));
        EXPECT_EQ(127 * 16384 + row.steps, readTuningFile(TuningFileKind::Syx, dump->data(), dump->sysexLength).keySteps[127]);
    }
}

TEST(KeyboardTuning, withoutAMapPutsDegreeZeroOnTheTonicOfOctaveFour) {
    const ScalaScale bohlenPierce = equalScale(13, 1901.955);
    EXPECT_TRUE(scaleNeedsKeyboard(bohlenPierce));
    EXPECT_TRUE(scaleNeedsKeyboard(equalScale(19, 1200)));
    EXPECT_FALSE(scaleNeedsKeyboard(equalScale(12, 1200)));
    EXPECT_FALSE(scaleNeedsKeyboard(equalScale(7, 1200)));
    // Tonic D at A4 = 415: key 62 at 415 * 2^(-7/12) = 276.9793 Hz; 13 keys up, 3/1 above it.
    const KeyboardTuningResult tuning = keyboardTuning(bohlenPierce, linearKeyboardMap(2, 415.0));
    ASSERT_TRUE(tuning.ok());
    EXPECT_TRUE(tuning.tuning.mapped.all());
    EXPECT_NEAR(276.9793, tuning.tuning.hz[62], 5e-5);
    EXPECT_NEAR(830.9378, tuning.tuning.hz[75], 1e-4);
    // With the zero note A, A4 sounds at 415 Hz and D4, seven degrees below,
    // at 415 / 3^(7/13) = 229.6871 Hz.
    const KeyboardTuningResult onA = keyboardTuning(bohlenPierce, linearKeyboardMap(2, 415.0, ZeroNote::A));
    EXPECT_NEAR(415.0, onA.tuning.hz[69], 1e-9);
    EXPECT_NEAR(229.6871, onA.tuning.hz[62], 1e-4);
}

// Offsets of 31-EDO's meantone from equal temperament, by hand:
// (degree - 23) * 1200 / 31 - (pitch class - 9) * 100.
TEST(KeyboardTuning, aTuningThatRepeatsEveryOctaveIsTwelvePitchClasses) {
    const KeyboardTuningResult meantone =
        keyboardTuning(equalScale(31, 1200), parseKeyboardMap(readFixtureText("kbm/meantone31.kbm")).map);
    const std::optional<KeyboardPitchClasses> classes = keyboardPitchClasses(meantone.tuning);
    ASSERT_TRUE(classes);
    EXPECT_DOUBLE_EQ(440.0, classes->a4Hz);
    const std::pair<int, double> expected[] = {{0, 9.6774}, {1, -12.9032}, {2, 3.2258}, {9, 0.0}, {11, -6.4516}};
    for (const auto& [pitchClass, cents] : expected) EXPECT_NEAR(cents, classes->offsets.cents[pitchClass], 5e-5);

    const ScalaScale edo19 = equalScale(19, 1200);
    EXPECT_FALSE(keyboardPitchClasses(keyboardTuning(edo19, linearKeyboardMap(0, 440)).tuning));
    // Every key of the map's range but one: not the whole keyboard.
    const KeyboardMapReadResult partial =
        parseKeyboardMap("12\n1\n127\n60\n69\n440\n31\n0\n2\n5\n8\n10\n13\n15\n18\n20\n23\n26\n28\n");
    EXPECT_FALSE(keyboardPitchClasses(keyboardTuning(equalScale(31, 1200), partial.map).tuning));
}

// Key 61 of the 5-note scale lies 240 cents above key 60, +140 from its own
// pitch: 61 * 16384 + 22937.6 steps, rounded up, is key 62 and 6554 = 33 1A.
TEST(KeyboardTuning, sendsUnmappedKeysAsNoChangeInBothForms) {
    const KeyboardTuningResult white =
        keyboardTuning(equalScale(5, 1200), parseKeyboardMap(readFixtureText("kbm/white5.kbm")).map);
    const KeyOffsets keys = keyOffsets(white.tuning);
    EXPECT_EQ(14000, keys[61]);
    EXPECT_FALSE(keys[62]);

    MtsOptions bulk{MtsForm::BulkDump, 5, "white5"};
    const std::optional<TuningListing> dump = buildKeyboardListing(bulk, keys, 1u << 1);
    ASSERT_TRUE(dump);
    EXPECT_EQ(408u, dump->sysexLength);
    EXPECT_TRUE(bytesEqual(hexBytes("3E 33 1A 7F 7F 7F"), dump->data() + 6 + 16 + 61 * 3, 6));
    EXPECT_TRUE(bytesEqual(hexBytes(kSelectChannel2Program5Text), dump->channelMessages(), dump->channelLength));

    const std::optional<TuningListing> notes = buildKeyboardListing({MtsForm::SingleNote, 0, ""}, keys, 1);
    ASSERT_TRUE(notes);
    EXPECT_EQ(528u, notes->sysexLength);
    EXPECT_TRUE(bytesEqual(hexBytes("3D 3E 33 1A 3E 7F 7F 7F"), notes->data() + 7 + 61 * 4, 8));

    EXPECT_FALSE(buildKeyboardListing({MtsForm::ScaleOctave2Byte, 0, ""}, keys, 1));

    // Read back, the key holds its 62 * 16384 + 6554 steps and "no change" sets nothing.
    const TuningReadResult read = readTuningFile(TuningFileKind::Syx, dump->data(), dump->sysexLength);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(62 * 16384 + 6554, read.keySteps[61]);
    EXPECT_FALSE(read.keySteps[62]);
}

}  // namespace
