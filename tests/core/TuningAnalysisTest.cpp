// The fifths and thirds of a tuning, against values from tuning literature:
// the Pythagorean comma 23.460 cents, the syntonic comma 21.506, the 1/4-comma
// meantone wolf fifth +35.68 and diminished fourth +41.06, and equal
// temperament's beat rates at A4 = 440 Hz as piano tuners' tables give them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tuning/Temperaments.h"
#include "tuning/TuningAnalysis.h"
#include "tuning/TuningFit.h"

namespace {

constexpr double kNone = NAN;  // a beat rate the row does not check

TEST(TuningAnalysis, fifthsAndThirdsOfKnownTemperaments) {
    const struct {
        const char* temperament;  // on C, C zeroed, A4 = 440 Hz
        char kind;                // '5' a fifth, '3' a major third
        int lower;
        double deviation;
        const char* fraction;  // of a fifth, "~" for none
        double beats;
    } rows[] = {
        {"werckmeister3", '5', 0, -5.865, "-1/4", kNone}, {"werckmeister3", '5', 11, -5.865, "-1/4", kNone},
        {"werckmeister3", '5', 9, 0, "0", 0},             {"werckmeister3", '5', 8, 0, "0", 0},
        {"equal", '5', 0, -1.955, "-1/12", -0.89},        {"equal", '3', 0, 13.686, "", 10.38},
        {"equal", '3', 9, 13.686, "", 17.46},             {"meantone-1/4", '3', 0, 0, "", 0},
        {"meantone-1/4", '5', 0, -5.377, "~", kNone},     {"meantone-1/4", '5', 8, 35.682, "~", kNone},
        {"meantone-1/4", '3', 8, 41.059, "", kNone},
        // Third-comma meantone's thirds are a third of a comma narrow,
        // two-sevenths-comma meantone's a seventh.
        {"meantone-1/3", '3', 0, -7.169, "", kNone},      {"meantone-2/7", '3', 0, -3.072, "", kNone},
        // Kirnberger I: D-A a whole syntonic comma narrow, C-E and G-B pure.
        {"kirnberger1", '5', 2, -21.506, "-11/12", kNone}, {"kirnberger1", '3', 0, 0, "", 0},
        {"kirnberger1", '3', 7, 0, "", 0},
        // The schisma lies within 0.05 cent of a twelfth of the comma.
        {"kirnberger3", '5', 6, -1.954, "-1/12", kNone},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.temperament) + " " + row.kind + " on " + std::to_string(row.lower));
        const TuningAnalysis analysis = analyseTuning(temperamentOffsets(*findTemperament(row.temperament)).cents);
        const bool fifth = row.kind == '5';
        const IntervalAnalysis* found = nullptr;
        for (const IntervalAnalysis& interval : fifth ? analysis.fifths : analysis.thirds)
            if (interval.lower == row.lower) found = &interval;
        ASSERT_NE(nullptr, found);
        EXPECT_EQ((row.lower + (fifth ? 7 : 4)) % 12, found->upper);
        EXPECT_NEAR(row.deviation, found->deviationCents, 0.005);
        EXPECT_EQ(fifth ? row.fraction : "~", found->commaFraction ? commaFractionText(*found->commaFraction) : "~");
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

TEST(TuningAnalysis, commaFractionsWithinFiveHundredthsOfACent) {
    const struct {
        double cents;
        const char* fraction;  // "~": none
    } rows[] = {{0.0, "0"},       {0.049, "0"},     {-0.051, "~"},    {-5.865, "-1/4"}, {-5.816, "-1/4"},
                {-5.805, "~"},    {1.955, "+1/12"}, {-3.910, "-1/6"}, {-4.692, "-1/5"}, {-7.820, "-1/3"},
                {-2.933, "-1/8"}, {11.730, "+1/2"}, {-23.460, "-1"},  {35.190, "+3/2"}, {35.682, "~"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cents);
        const auto fraction = pythagoreanCommaFraction(row.cents);
        EXPECT_EQ(row.fraction, fraction ? commaFractionText(*fraction) : "~");
    }
}

}  // namespace

namespace {

// What the circle of fifths shows is what the form sends: Werckmeister
// III's C-G, a quarter of the Pythagorean comma narrow (-5.865 cents), keeps
// its "-1/4" in the 2-byte form (G -3.91) and reads -5.955 with the whole
// -4 of the 1-byte form.
TEST(TuningAnalysis, theSentFifthsKeepTheirCommaFractionWhereTheFormCarriesIt) {
    for (const MtsForm form : {MtsForm::ScaleOctave2Byte, MtsForm::ScaleOctave1Byte}) {
        SCOPED_TRACE(static_cast<int>(form));
        const FitResult result = fitOffsets(temperamentOffsets(*findTemperament("werckmeister3")),
                                            {0, ZeroNote::Tonic, 440, TuningFormat::GM2, form});
        std::array<double, 12> sent{};
        for (int k = 0; k < 12; ++k) sent[k] = result.fit.notes[k].sentHundredths / 100.0;
        const std::optional<CommaFraction> fraction = analyseTuning(sent).fifths[0].commaFraction;
        const bool quarter = fraction && commaFractionText(*fraction) == "-1/4";
        EXPECT_EQ(form == MtsForm::ScaleOctave2Byte, quarter);
    }
}

}  // namespace
