#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/TuningFileReader.h"

namespace {

using namespace std::string_literals;

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
    EXPECT_EQ(E::FileTooLarge, parseKeyboardMap(big).error);
}

// Each inclusive limit of the header and the entries is itself accepted.
TEST(KeyboardMap, acceptsEachLimitItself) {
    const struct {
        const char* name;
        std::string text;
        int mapSize, firstKey, lastKey, middleKey, referenceKey;
        double referenceHz;
        int formalOctave;
    } rows[] = {
        {"map size 1000", "1000\n0\n127\n60\n69\n440\n0\n", 1000, 0, 127, 60, 69, 440, 0},
        {"first and last key the same key", "0\n64\n64\n60\n64\n440\n0\n", 0, 64, 64, 60, 64, 440, 0},
        {"every key 0", "0\n0\n0\n0\n0\n440\n0\n", 0, 0, 0, 0, 0, 440, 0},
        {"every key 127", "0\n127\n127\n127\n127\n440\n0\n", 0, 127, 127, 127, 127, 440, 0},
        {"frequency 1000000", "0\n0\n127\n60\n69\n1000000\n0\n", 0, 0, 127, 60, 69, 1e6, 0},
        {"formal octave 1000", "0\n0\n127\n60\n69\n440\n1000\n", 0, 0, 127, 60, 69, 440, 1000},
        {"degree 1000000", "1\n0\n127\n60\n60\n440\n0\n1000000\n", 1, 0, 127, 60, 60, 440, 0},
        {"a file of exactly 1 MiB",
         [] {
             std::string text = "0\n0\n127\n60\n69\n440\n0\n";
             text.resize(kMaxScalaFileBytes, '\n');
             return text;
         }(),
         0, 0, 127, 60, 69, 440, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const KeyboardMapReadResult read = parseKeyboardMap(row.text);
        ASSERT_TRUE(read.ok()) << static_cast<int>(read.error) << " at line " << read.line;
        const KeyboardMap& map = read.map;
        EXPECT_EQ(row.mapSize, map.mapSize);
        EXPECT_EQ(row.firstKey, map.firstKey);
        EXPECT_EQ(row.lastKey, map.lastKey);
        EXPECT_EQ(row.middleKey, map.middleKey);
        EXPECT_EQ(row.referenceKey, map.referenceKey);
        EXPECT_EQ(row.referenceHz, map.referenceHz);
        EXPECT_EQ(row.formalOctave, map.formalOctave);
    }
    EXPECT_EQ(1000000, parseKeyboardMap(rows[6].text).map.degrees[0]);
    // A map of one key tunes that key alone, at the reference frequency.
    const KeyboardTuningResult one = keyboardTuning(equalScale(5, 1200), parseKeyboardMap(rows[1].text).map);
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(1u, one.tuning.mapped.count());
    EXPECT_EQ(440.0, one.tuning.hz[64]);
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
    } rows[] = {
        {"formal octave 6 of a 5-note scale", edo5, "1\n0\n127\n60\n60\n440\n6\n0\n",
         KeyboardTuningError::FormalOctaveBeyondScale},
        {"reference key on an x", edo5, "2\n0\n127\n60\n61\n440\n5\n0\nx\n", KeyboardTuningError::ReferenceKeyUnmapped},
        {"reference key on a missing key line", edo5, "2\n0\n127\n60\n59\n440\n5\n0\n",
         KeyboardTuningError::ReferenceKeyUnmapped},
        {"a scale with no pitches", ScalaScale{}, "0\n0\n127\n60\n60\n440\n0\n", KeyboardTuningError::NoPitches},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error, keyboardTuning(row.scale, parseKeyboardMap(row.map).map).error);
    }
    // A formal octave equal to the scale's size is the scale's own.
    EXPECT_TRUE(keyboardTuning(edo5, parseKeyboardMap("1\n0\n127\n60\n60\n440\n5\n0\n").map).ok());
}

// The map keeps the line of each header value, comments counted; a map
// made in code has none.
TEST(KeyboardTuning, namesTheMapsLineOfTheFormalOctaveOrTheReferenceKey) {
    const ScalaScale edo5 = equalScale(5, 1200);
    KeyboardMap inCode;
    inCode.mapSize = 1;
    inCode.degrees = {kUnmappedDegree};
    const struct {
        const char* name;
        KeyboardMap map;
        KeyboardTuningError error;
        std::size_t line;
    } rows[] = {
        {"formal octave 6 of a 5-note scale, after comments",
         parseKeyboardMap("! a map\n1\n0\n127\n60\n60\n440\n! the octave\n6\n0\n").map,
         KeyboardTuningError::FormalOctaveBeyondScale, 9},
        {"reference key on an x", parseKeyboardMap("2\n0\n127\n60\n61\n440\n5\n0\nx\n").map,
         KeyboardTuningError::ReferenceKeyUnmapped, 5},
        {"reference key on an x of a map made in code", inCode, KeyboardTuningError::ReferenceKeyUnmapped, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const KeyboardTuningResult result = keyboardTuning(edo5, row.map);
        EXPECT_EQ(row.error, result.error);
        EXPECT_EQ(row.line, result.line);
    }
    const KeyboardMap read = parseKeyboardMap("! c\n0\n! first\n0\n127\n60\n69\n440\n0\n").map;
    EXPECT_EQ((std::array<std::size_t, kKeyboardMapHeaderFields>{2, 4, 5, 6, 7, 8, 9}), read.lines);
    EXPECT_EQ((std::array<std::size_t, kKeyboardMapHeaderFields>{}), linearKeyboardMap(0, 440).lines);
}

// Bohlen-Pierce (13 steps to 3/1) on keys 100..127, key 127 the reference:
// its offset 1200 log2(f / 12543.8540) to the hundredth (halves away from
// zero), then ceil(hundredths * 16384 / 10000) steps above key 127. The
// forms reach 7F 7F 7E, 127 + 16382/16384 semitones (13289.6566 Hz); a
// target beyond it, or rounded up to 7F 7F 7F ("no change"), is held there.
TEST(KeyboardTuning, theTopKeyReaches7F7F7EAndIsHeldOnlyBeyondIt) {
    const ScalaScale bohlenPierce = parseScala(readFixtureText("scl/bohlen_pierce.scl")).scale;
    const struct {
        const char* hz;
        int32_t hundredths;
        const char* bytes;
        bool held;
    } rows[] = {
        {"12543.8539514", 0, "7F 00 00", false},
        // 61.837 cents: ceil(6184 * 1.6384 = 10131.87) = 10132 = 4F 14.
        {"13000", 6184, "7F 4F 14", false},
        // 99.980 cents: ceil(16380.72) = 16381 = 7F 7D.
        {"13289.6", 9998, "7F 7F 7D", false},
        // 99.987 cents: ceil(16382.36) = 16383 would be 7F 7F 7F.
        {"13289.65", 9999, "7F 7F 7E", true},
        // 101.335 cents: past key 128 (13289.7503 Hz).
        {"13300", 10133, "7F 7F 7E", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hz);
        const KeyboardMapReadResult map = parseKeyboardMap("0\n100\n127\n60\n127\n"s + row.hz + "\n0\n");
        ASSERT_TRUE(map.ok());
        const KeyboardTuningResult tuning = keyboardTuning(bohlenPierce, map.map);
        ASSERT_TRUE(tuning.ok());
        const KeyOffsets keys = keyOffsets(tuning.tuning);
        EXPECT_EQ(row.hundredths, keys[127]);
        EXPECT_EQ(row.held, keyTargetHeld(127, *keys[127]));
        EXPECT_FALSE(keyTargetHeld(126, *keys[126]));
        const std::optional<TuningListing> dump = buildKeyboardListing({MtsForm::BulkDump, 0, ""}, keys, 1);
        ASSERT_TRUE(dump);
        EXPECT_TRUE(bytesEqual(hexBytes(row.bytes), dump->data() + 22 + 127 * 3, 3));
        // Read back, 7F 7F 7E is a pitch like any other.
        const TuningReadResult read = readTuningFile(TuningFileKind::Syx, dump->data(), dump->sysexLength);
        ASSERT_TRUE(read.ok());
        const Bytes bytes = hexBytes(row.bytes);
        EXPECT_EQ(127 * 16384 + (bytes[1] << 7 | bytes[2]), read.keySteps[127]);
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
