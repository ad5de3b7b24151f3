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

// Key 69 at 440 Hz lies 6900 cents above the format's 8.1757989156 Hz.
TEST(TuningExport, anAnaMarkTuningHoldsTheMappedKeysInCents) {
    KeyboardTuning tuning;
    tuning.mapped.set(69);
    tuning.hz[69] = 440.0;
    tuning.mapped.set(70);
    tuning.hz[70] = 440.0 * 1.0293022366;  // 50.00 cents above A4
    const std::string text = anaMarkTuningText(tuning, "test");
    EXPECT_NE(std::string::npos, text.find("[Tuning]\r\nnote 69=6900\r\nnote 70=6950\r\n[Exact Tuning]\r\n"));
    EXPECT_NE(std::string::npos, text.find("note 69=6900.000000\r\nnote 70=6950.000000\r\n"));
    EXPECT_EQ(std::string::npos, text.find("note 68="));
}

}  // namespace
