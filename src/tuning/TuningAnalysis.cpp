#include "tuning/TuningAnalysis.h"

#include <cmath>
#include <cstdio>

#include "tuning/KeyPitch.h"
#include "tuning/NoteNames.h"

namespace {

constexpr double kFractionTolerance = 0.05;
constexpr int kDenominators[] = {1, 2, 3, 4, 5, 6, 8, 12};

// The interval `semitones` above `lower`, pure when the lower note's
// `lowerPartial`-th partial meets the upper note's `upperPartial`-th (3 and 2
// for a fifth, 5 and 4 for a major third); those two partials beat.
IntervalAnalysis measure(const std::array<double, 12>& cents, int lower, int semitones, int lowerPartial,
                         int upperPartial) {
    IntervalAnalysis interval;
    interval.lower = lower;
    interval.upper = (lower + semitones) % 12;
    const double pure = ratioCents(static_cast<double>(lowerPartial) / upperPartial);
    interval.deviationCents = 100.0 * semitones + cents[interval.upper] - cents[lower] - pure;
    const int lowerNote = 60 + lower;
    interval.beatsPerSecond = upperPartial * keyHz(lowerNote + semitones, kStandardA4Hz, cents[interval.upper]) -
                              lowerPartial * keyHz(lowerNote, kStandardA4Hz, cents[lower]);
    return interval;
}

// "+1.23", and "+0.00" for anything that rounds to zero.
std::string signedTwoDecimals(double value) {
    if (std::fabs(value) < 0.005) return "+0.00";
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f", value);
    return text;
}

}  // namespace


std::optional<CommaFraction> pythagoreanCommaFraction(double cents) {
    const double comma = pythagoreanCommaCents();
    for (int denominator : kDenominators) {
        const double numerator = std::round(cents / comma * denominator);
        if (std::fabs(cents - numerator * comma / denominator) <= kFractionTolerance)
            return CommaFraction{static_cast<int>(numerator), denominator};
    }
    return std::nullopt;
}

std::string commaFractionText(const CommaFraction& fraction) {
    if (fraction.numerator == 0) return "0";
    char text[32];
    if (fraction.denominator == 1)
        std::snprintf(text, sizeof text, "%+d", fraction.numerator);
    else
        std::snprintf(text, sizeof text, "%+d/%d", fraction.numerator, fraction.denominator);
    return text;
}

TuningAnalysis analyseTuning(const std::array<double, 12>& centsFromEqual) {
    TuningAnalysis analysis;
    for (int k = 0; k < 12; ++k) {
        IntervalAnalysis& fifth = analysis.fifths[k] = measure(centsFromEqual, 7 * k % 12, 7, 3, 2);
        fifth.commaFraction = pythagoreanCommaFraction(fifth.deviationCents);
        analysis.thirds[k] = measure(centsFromEqual, k, 4, 5, 4);
    }
    return analysis;
}

std::string formatTuningAnalysis(const TuningAnalysis& analysis) {
    std::string text;
    auto line = [&](const char* kind, const IntervalAnalysis& interval, const std::string& fraction) {
        text += std::string(kind) + '\t' + pitchClassName(interval.lower) + '\t' + pitchClassName(interval.upper) +
                '\t' + signedTwoDecimals(interval.deviationCents) + '\t' + fraction + '\t' +
                signedTwoDecimals(interval.beatsPerSecond) + '\n';
    };
    for (const IntervalAnalysis& fifth : analysis.fifths)
        line("fifth", fifth, fifth.commaFraction ? commaFractionText(*fifth.commaFraction) : "~");
    for (const IntervalAnalysis& third : analysis.thirds) line("third", third, "-");
    return text;
}
