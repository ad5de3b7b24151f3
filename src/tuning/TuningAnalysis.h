// What a musician reads a temperament by: its twelve fifths and twelve major
// thirds, each measured against the pure interval, the fifths also as a
// fraction of the Pythagorean comma, and each with the rate at which it
// beats on the synthesizer.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "tuning/Intervals.h"

// n/d of the Pythagorean comma, d one of 1 2 3 4 5 6 8 12 and the fraction
// in lowest terms; 0 is 0/1.
struct CommaFraction {
    int numerator = 0;
    int denominator = 1;
    bool operator==(const CommaFraction& other) const {
        return numerator == other.numerator && denominator == other.denominator;
    }
};

// The fraction of the Pythagorean comma within 0.05 cent of `cents`, the
// smallest denominator first; none when no such fraction is that close.
std::optional<CommaFraction> pythagoreanCommaFraction(double cents);

// "0", "-1/4", "+1/12", "-1".
std::string commaFractionText(const CommaFraction& fraction);

struct IntervalAnalysis {
    int lower = 0;  // pitch classes
    int upper = 0;
    double deviationCents = 0;  // from 3/2 or 5/4; negative is narrow
    // Beats per second with the lower note in octave 4 (C4..B4) and the
    // upper note above it, signed like the deviation.
    double beatsPerSecond = 0;
    std::optional<CommaFraction> commaFraction;  // fifths only
};

struct TuningAnalysis {
    // C-G, G-D, D-A, A-E, E-B, B-F#, F#-C#, C#-G#, G#-D#, D#-A#, A#-F, F-C.
    std::array<IntervalAnalysis, 12> fifths{};
    // C-E, C#-F, D-F#, ..., B-D#: by their lower note, C..B.
    std::array<IntervalAnalysis, 12> thirds{};
};

// `centsFromEqual` are the offsets of C..B from equal temperament with A4 at
// 440 Hz, as the synthesizer applies them (the choice of A4 is one of the
// offsets): note n sounds at 440 Hz x 2^((n - 69) / 12) x 2^(offset / 1200).
// With pure octaves the twelve fifths' deviations add up to minus one
// Pythagorean comma.
TuningAnalysis analyseTuning(const std::array<double, 12>& centsFromEqual);

// 24 lines, tab-separated, the fifths then the thirds: "fifth" or "third",
// the lower and upper note names, the deviation with a sign and two decimals,
// the comma fraction ("~" when none fits; "-" for a third), the beat rate
// with a sign and two decimals. Lines end with '\n'; a value that rounds to
// zero is "+0.00".
std::string formatTuningAnalysis(const TuningAnalysis& analysis);
