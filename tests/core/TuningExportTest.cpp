#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Key 69 at 440 Hz lies 6900 cents above the format's 8.1757989156 Hz.
TEST(TuningExport, anAnaMarkTuningHoldsTheMappedKeysInCents) {
    KeyboardTuning tuning;
    tuning.mapped.set(69);
    tuning.hz[69] = 440.0;
    tuning.mapped.set(70);
    tuning.hz[70] = 440.0 * 1.0293022366;  // 50.00 cents above A4
    const std::string text = anaMarkTuningText(tuning, "test");
    EXPECT_NE(std::string::npos, text.find("note 69=6900\r\nnote 70=6950\r\n"));
    EXPECT_NE(std::string::npos, text.find("note 69=6900.000000\r\nnote 70=6950.000000\r\n"));
}

// 5-EDO on white5.kbm from C4: keys 60 + 7r + 2 and + 6 are x, written at
// 100 cents a key and named; 128 keys a section. Every key mapped: no comment.
TEST(TuningExport, anAnaMarkTuningHoldsEveryKeyAndNamesTheUnmappedOnes) {
    ScalaScale edo5;
    for (int k = 1; k <= 5; ++k) edo5.pitches.push_back({240.0 * k, false, 0, 1, 0});
    const std::string text = anaMarkTuningText(
        keyboardTuning(edo5, parseKeyboardMap("7\n0\n127\n60\n60\n261.6255653\n5\n0\n1\nx\n2\n3\n4\nx\n").map).tuning, "w");
    EXPECT_EQ(0u, text.find("; w\r\n; Keys the keyboard map leaves unmapped, at their equal-tempered pitch: 3 6 10 13 17 "
                            "20 24 27 31 34 38 41 45 48 52 55 59 62 66 69 73 76 80 83 87 90 94 97 101 104 108 111 115 "
                            "118 122 125\r\n[Tuning]\r\nnote 0="));
    std::vector<std::size_t> notes(2);
    for (std::size_t at = text.find("\nnote "); at != std::string::npos; at = text.find("\nnote ", at + 1))
        ++notes[at > text.find("[Exact Tuning]")];
    EXPECT_EQ(std::vector<std::size_t>({128, 128}), notes);
    EXPECT_NE(std::string::npos, text.find("note 61=6240.000000\r\nnote 62=6200.000000\r\n"));
    EXPECT_EQ(0u, anaMarkTuningText(keyboardTuning(edo5, linearKeyboardMap(0, 440)).tuning, "a").find("; a\r\n[Tuning]"));
}

}  // namespace
