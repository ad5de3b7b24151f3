#include <gtest/gtest.h>

#include <string>

#include "tuning/Temperaments.h"
#include "tuning/TuningExport.h"

namespace {

// Werckmeister III's published cents above C.
const double kWerckmeister[] = {90.225, 192.180, 294.135, 390.225, 498.045, 588.270,
                                696.090, 792.180, 888.270, 996.090, 1092.180};

TuningFit werckmeisterFit(int tonic) {
    FitOptions options;
    options.tonic = tonic;
    return fitOffsets(temperamentOffsets(*findTemperament("werckmeister3")), options).fit;
}

// On C, C keeps its equal-tempered pitch, so A4 lies 888.270 - 900 cents
// from 440 Hz: 437.0289 Hz.
TEST(TuningExport, twelvePitchClassesAreAScaleFromTheTonicWithItsMap) {
    const ScaleOnKeys onC = twelveToneScale(werckmeisterFit(0), 0, "Werckmeister III");
    ASSERT_EQ(12u, onC.scale.pitches.size());
    for (int k = 0; k < 11; ++k) EXPECT_NEAR(kWerckmeister[k], onC.scale.pitches[k].cents, 5e-4) << k;
    EXPECT_TRUE(onC.scale.pitches.back().isRatio);
    EXPECT_EQ(60, onC.map.middleKey);
    EXPECT_EQ(69, onC.map.referenceKey);
    EXPECT_NEAR(437.0289, onC.map.referenceHz, 1e-4);

    // Moved to D, the scale starts on D's key: its degree 1 is the step
    // C..C# of the temperament, 90.225 cents.
    const ScaleOnKeys onD = twelveToneScale(werckmeisterFit(2), 2, "Werckmeister III");
    EXPECT_EQ(62, onD.map.middleKey);
    EXPECT_NEAR(90.225, onD.scale.pitches[0].cents, 5e-4);
    EXPECT_NEAR(888.270, onD.scale.pitches[8].cents, 5e-4);
}

TEST(TuningExport, theScaleAndTheMapReadBackAsTheyWereWritten) {
    const ScaleOnKeys onC = twelveToneScale(werckmeisterFit(0), 0, "Werckmeister III");
    const ScalaReadResult scale = parseScala(scalaScaleText(onC.scale, "w3.scl"));
    ASSERT_TRUE(scale.ok());
    EXPECT_EQ("Werckmeister III", scale.scale.description);
    for (int k = 0; k < 11; ++k) EXPECT_NEAR(kWerckmeister[k], scale.scale.pitches[k].cents, 5e-4) << k;
    EXPECT_EQ(2, scale.scale.pitches.back().numerator);

    KeyboardMap map = onC.map;
    map.degrees[3] = kUnmappedDegree;
    const KeyboardMapReadResult read = parseKeyboardMap(keyboardMapText(map, "w3.kbm"));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(map.degrees, read.map.degrees);
    EXPECT_EQ(12, read.map.formalOctave);
    EXPECT_NEAR(437.0289, read.map.referenceHz, 1e-4);
}

// Key 69 at 440 Hz lies 6900 cents above the format's 8.1757989156 Hz; an
// unmapped key k, where "no change" leaves it, 100 k.
TEST(TuningExport, anAnaMarkTuningHoldsTheMappedKeysInCents) {
    KeyboardTuning tuning;
    tuning.mapped.set(69);
    tuning.hz[69] = 440.0;
    tuning.mapped.set(70);
    tuning.hz[70] = 440.0 * 1.0293022366;  // 50.00 cents above A4
    const std::string text = anaMarkTuningText(tuning, "test");
    EXPECT_NE(std::string::npos, text.find("note 68=6800\r\nnote 69=6900\r\nnote 70=6950\r\nnote 71=7100\r\n"));
    EXPECT_NE(std::string::npos, text.find("note 69=6900.000000\r\nnote 70=6950.000000\r\n"));
    EXPECT_NE(std::string::npos, text.find("note 127=12700\r\n[Exact Tuning]\r\n"));
    EXPECT_NE(std::string::npos, text.find("note 0=0.000000\r\n"));
}

// 5-EDO on the seven keys of white5.kbm from C4 (6000 cents above the
// base at 261.6255653 Hz): keys 60 + 7r + 2 and 60 + 7r + 6 are x, the
// others a degree each, 240 cents apart. Every key is in both sections;
// an x key at its equal-tempered pitch, 100 cents a key, and named once.
TEST(TuningExport, anAnaMarkTuningHoldsEveryKeyAndNamesTheUnmappedOnes) {
    ScalaScale edo5;
    for (int k = 1; k <= 5; ++k) edo5.pitches.push_back({240.0 * k, false, 0, 1, 0});
    const KeyboardTuningResult white =
        keyboardTuning(edo5, parseKeyboardMap("7\n0\n127\n60\n60\n261.6255653\n5\n0\n1\nx\n2\n3\n4\nx\n").map);
    ASSERT_TRUE(white.ok());
    const std::string text = anaMarkTuningText(white.tuning, "white");
    EXPECT_EQ(0u, text.find("; white\r\n; Keys the keyboard map leaves unmapped, at their equal-tempered pitch: "
                            "3 6 10 13 17 20 24 27 31 34 38 41 45 48 52 55 59 62 66 69 73 76 80 83 87 90 94 97 "
                            "101 104 108 111 115 118 122 125\r\n[Tuning]\r\nnote 0="));
    const std::size_t exact = text.find("[Exact Tuning]\r\n");
    ASSERT_NE(std::string::npos, exact);
    const auto notes = [&text](std::size_t from, std::size_t to) {
        std::size_t count = 0;
        for (std::size_t at = text.find("\nnote ", from); at < to; at = text.find("\nnote ", at + 1)) ++count;
        return count;
    };
    EXPECT_EQ(128u, notes(0, exact));
    EXPECT_EQ(128u, notes(exact, text.size()));
    for (const char* line : {"note 60=6000\r\nnote 61=6240\r\nnote 62=6200\r\nnote 63=6480\r\n",
                             "note 61=6240.000000\r\nnote 62=6200.000000\r\n", "note 3=300.000000\r\n",
                             "note 125=12500\r\n"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(std::string::npos, text.find(line));
    }

    // Every key mapped: no such comment, the tuning as it always was.
    const KeyboardTuningResult linear = keyboardTuning(edo5, linearKeyboardMap(0, 440));
    EXPECT_EQ(0u, anaMarkTuningText(linear.tuning, "linear").find("; linear\r\n[Tuning]\r\nnote 0="));
}

}  // namespace
