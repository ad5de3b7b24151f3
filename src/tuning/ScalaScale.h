// Scala scale files (.scl), read from their bytes, and their mapping onto
// the twelve pitch classes Velmarin tunes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/TuningFit.h"
#include "tuning/WholeNumber.h"

constexpr std::size_t kMaxScalaFileBytes = 1024 * 1024;
constexpr int64_t kMaxScalaNoteCount = 1000;

struct ScalaPitch {
    double cents = 0;  // above the implicit 1/1
    bool isRatio = false;
    // For a ratio (an integer p is p/1), its terms as written, of any length,
    // so that it is written back as it came.
    WholeNumber numerator = 0;
    WholeNumber denominator = 1;
    std::size_t line = 0;  // 1-based line of the file
};

struct ScalaScale {
    std::string description;  // the bytes of its line, without the line end
    // The listed pitches, the implicit 1/1 not among them; the last one is
    // the period.
    std::vector<ScalaPitch> pitches;
};

enum class ScalaError {
    None,
    FileTooLarge,       // more than kMaxScalaFileBytes
    MissingCount,       // no line for the number of notes
    BadCount,           // the count is not a number, or negative
    CountTooLarge,      // more than kMaxScalaNoteCount
    MissingPitches,     // the file ends before `count` pitches
    NotANumber,         // a pitch line that holds no number
    NonPositiveRatio,   // a ratio that is zero or negative, or has denominator 0
    NumberTooLarge,     // cents whose whole part passes 64 bits (a ratio's terms may have any length)
};

// What is wrong, more closely than ScalaError: each front end words it.
enum class ScalaDetail {
    None,
    TooLarge,                // FileTooLarge
    NoDescription,           // MissingCount: the file ends before the description
    NoCount,                 // MissingCount: ... before the number of notes
    NegativeCount,           // BadCount
    CountNotANumber,         // BadCount
    CountTooLarge,           // CountTooLarge
    TooFewPitches,           // MissingPitches: pitchesRead of count
    NumberTooLarge,          // NumberTooLarge
    NoPitchValue,            // NotANumber
    NoDenominator,           // NotANumber
    ZeroDenominator,         // NonPositiveRatio
    RatioNotPositive,        // NonPositiveRatio
};

struct ScalaReadResult {
    ScalaError error = ScalaError::None;
    ScalaDetail detail = ScalaDetail::None;
    std::size_t line = 0;  // 1-based line of the error; 0 for the whole file
    std::size_t pitchesRead = 0;  // TooFewPitches: of `count`
    std::size_t count = 0;
    ScalaScale scale;
    bool ok() const { return error == ScalaError::None; }
};

// Reads a scale by the format's rules. A line whose first byte is '!' is a
// comment. The first other line is the description (any bytes, possibly
// empty); the next holds the number of notes; then one pitch per line:
// leading white space, then a value with a '.' (cents, optional sign and
// fraction, e.g. "701.955" or "-5." or ".5") or a ratio "p/q" or integer "p"
// of any number of digits; anything after the value is ignored, as are
// lines after the last pitch. Lines end with LF or CR LF. An empty line where a pitch is due is
// NotANumber.
ScalaReadResult parseScala(std::string_view bytes);

enum class ScaleMapError {
    None,
    NoPitches,         // count 0: the scale has no period
    PeriodNotOctave,   // the last pitch is not 2/1 or 1200 cents
    TooManyNotes,      // more than twelve notes per period
    DegreesCollide,    // two degrees on one pitch class
};

struct ScaleMapResult {
    ScaleMapError error = ScaleMapError::None;
    std::size_t periodLine = 0;  // PeriodNotOctave: the line of the last pitch
    std::size_t noteCount = 0;   // TooManyNotes
    // For DegreesCollide: the two degrees (0 is the implicit 1/1), their
    // lines (0 for the implicit 1/1) and their pitch class.
    int firstDegree = 0;
    int secondDegree = 0;
    std::size_t firstDegreeLine = 0;
    std::size_t secondDegreeLine = 0;
    int pitchClass = 0;
    PitchClassOffsets offsets;
    bool ok() const { return error == ScaleMapError::None; }
};

// Maps a scale whose period is an octave onto the pitch classes C..B, the
// implicit 1/1 on C. Twelve notes: degree d (d = 0 the 1/1, 1..11 the first
// eleven listed pitches) is pitch class d. Fewer: each degree, reduced into
// the octave, goes to its nearest equal-tempered pitch class (a half rounds
// up); pitch classes no degree reaches stay at 0 and are marked unmapped.
// The offset of a pitch class is the degree's cents minus 100 times its
// pitch class.
ScaleMapResult mapScaleToPitchClasses(const ScalaScale& scale);
