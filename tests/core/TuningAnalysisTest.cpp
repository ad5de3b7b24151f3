// The fifths and thirds of a tuning, against values from tuning literature:
// the Pythagorean comma 23.460 cents, the syntonic comma 21.506, the 1/4-comma
// meantone wolf fifth +35.68 and diminished fourth +41.06, and equal
// temperament's beat rates at A4 = 440 Hz as piano tuners' tables give them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tuning/Temperaments.h"
#include "tuning/TuningAnalysis.h"
#include "tuning/TuningFit.h"

namespace {

constexpr double kNotChecked = std::numeric_limits<double>::quiet_NaN();

// A temperament on C, C kept at its equal-tempered pitch, A4 = 440 Hz: the
// exact values the command line analyses by default.
TuningAnalysis analysed(const char* id) {
    return analyseTuning(temperamentOffsets(*findTemperament(id)).cents);
}

struct IntervalRow {
    const char* temperament;
    bool fifth;
    int lower;
    double deviation;
    const char* fraction;  // fifths: the comma fraction, "~" for none
    double beats;
};

TEST(TuningAnalysis, fifthsAndThirdsOfKnownTemperaments) {
    const IntervalRow rows[] = {
        {"werckmeister3", true, 0, -5.865, "-1/4", kNotChecked},
        {"werckmeister3", true, 7, -5.865, "-1/4", kNotChecked},
        {"werckmeister3", true, 2, -5.865, "-1/4", kNotChecked},
        {"werckmeister3", true, 11, -5.865, "-1/4", kNotChecked},
        {"werckmeister3", true, 9, 0, "0", 0},
        {"werckmeister3", true, 8, 0, "0", 0},
        {"equal", true, 0, -1.955, "-1/12", -0.89},
        {"equal", false, 0, 13.686, "", 10.38},
        {"equal", false, 9, 13.686, "", 17.46},
        {"meantone-1/4", false, 0, 0, "", 0},
        {"meantone-1/4", true, 0, -5.377, "~", kNotChecked},
        {"meantone-1/4", true, 8, 35.682, "~", kNotChecked},
        {"meantone-1/4", false, 8, 41.059, "", kNotChecked},
        // Third-comma meantone's thirds are a third of a comma narrow,
        // two-sevenths-comma meantone's a seventh.
        {"meantone-1/3", false, 0, -7.169, "", kNotChecked},
        {"meantone-2/7", false, 0, -3.072, "", kNotChecked},
        // Kirnberger I: D-A a whole syntonic comma narrow, C-E and G-B pure.
        {"kirnberger1", true, 2, -21.506, "-11/12", kNotChecked},
        {"kirnberger1", false, 0, 0, "", 0},
        {"kirnberger1", false, 7, 0, "", 0},
        // The schisma lies within 0.05 cent of a twelfth of the comma.
        {"kirnberger3", true, 6, -1.954, "-1/12", kNotChecked},
    };
    for (const IntervalRow& row : rows) {
        const TuningAnalysis analysis = analysed(row.temperament);
        const IntervalAnalysis* found = nullptr;
        for (const IntervalAnalysis& interval : row.fifth ? analysis.fifths : analysis.thirds)
            if (interval.lower == row.lower) found = &interval;
        SCOPED_TRACE(std::string(row.temperament) + (row.fifth ? " fifth on " : " third on ") +
                     std::to_string(row.lower));
        ASSERT_NE(nullptr, found);
        EXPECT_EQ((row.lower + (row.fifth ? 7 : 4)) % 12, found->upper);
        EXPECT_NEAR(row.deviation, found->deviationCents, 0.005);
        if (row.fifth) {
            EXPECT_EQ(row.fraction, found->commaFraction ? commaFractionText(*found->commaFraction) : "~");
        } else {
            EXPECT_FALSE(found->commaFraction);
        }
        if (!std::isnan(row.beats)) {
            EXPECT_NEAR(row.beats, found->beatsPerSecond, 0.005);
        }
    }
}

TEST(TuningAnalysis, intervalsComeInCircleOrderAndTheFifthsCloseOnOneComma) {
    const int circle[12] = {0, 7, 2, 9, 4, 11, 6, 1, 8, 3, 10, 5};
    for (const Temperament& temperament : builtInTemperaments()) {
        SCOPED_TRACE(temperament.id);
        const TuningAnalysis analysis = analyseTuning(temperamentOffsets(temperament).cents);
        double sum = 0;
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(circle[k], analysis.fifths[k].lower);
            EXPECT_EQ(k, analysis.thirds[k].lower);
            sum += analysis.fifths[k].deviationCents;
        }
        EXPECT_NEAR(-23.460, sum, 0.001);
    }
}

// The A4 choice is part of the offsets: the same temperament a few cents
// higher beats faster in proportion, 442/440 at A4 = 442 Hz.
TEST(TuningAnalysis, theA4ChoiceScalesTheBeatRates) {
    const FitResult fit = fitOffsets(temperamentOffsets(*findTemperament("equal")), {0, ZeroNote::A, 442.0});
    ASSERT_TRUE(fit.ok());
    std::array<double, 12> cents{};
    for (int k = 0; k < 12; ++k) cents[k] = fit.fit.notes[k].exactCents;
    EXPECT_NEAR(10.38 * 442 / 440, analyseTuning(cents).thirds[0].beatsPerSecond, 0.01);
}

TEST(TuningAnalysis, commaFractionsWithinFiveHundredthsOfACent) {
    const struct {
        double cents;
        const char* fraction;  // "~": none
    } rows[] = {
        {0.0, "0"},         {0.049, "0"},       {-0.051, "~"},      {-5.865, "-1/4"},
        {-5.816, "-1/4"},   {-5.805, "~"},      {1.955, "+1/12"},   {-3.910, "-1/6"},
        {-4.692, "-1/5"},   {-7.820, "-1/3"},   {-2.933, "-1/8"},   {11.730, "+1/2"},
        {-23.460, "-1"},    {35.190, "+3/2"},   {35.682, "~"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cents);
        const auto fraction = pythagoreanCommaFraction(row.cents);
        EXPECT_EQ(row.fraction, fraction ? commaFractionText(*fraction) : "~");
    }
}

}  // namespace
