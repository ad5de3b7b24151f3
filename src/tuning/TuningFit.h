// From a temperament or scale to the twelve integer offsets the SysEx carries,
// with a report of how well they fit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"

struct Temperament;

// Offsets in cents from equal temperament of C..B for a temperament or scale
// built on C, before any of the fit's steps. `unmapped` has bit k set for a
// pitch class that no scale degree reaches (its offset is then 0).
struct PitchClassOffsets {
    std::array<double, 12> cents{};
    uint16_t unmapped = 0;
};

// offset of pitch class k = cents above C - 100 k.
PitchClassOffsets temperamentOffsets(const Temperament& temperament);
PitchClassOffsets offsetsFromCentsAboveC(const std::array<double, 12>& centsAboveC);

// None keeps the offsets where they are: for twelve offsets given as they
// are meant to be sent (the command line's offset list), not for a
// temperament built on C.
enum class ZeroNote { Tonic, A, None };

constexpr double kMinA4Hz = 380.0;
constexpr double kMaxA4Hz = 480.0;
constexpr int32_t kLowestSentOffset = -64;
constexpr int32_t kHighestSentOffset = 63;

// The frequency of A4 as the user types it: digits with at most one decimal
// point ("442", "415.3", ".5"), spaces around them allowed; no sign,
// exponent or locale. Nothing for other text or a value beyond 1e6. Whether
// it lies in kMinA4Hz..kMaxA4Hz is the fit's to tell.
std::optional<double> parseFrequency(std::string_view text);

struct FitOptions {
    int tonic = 0;  // pitch class 0..11 that the temperament's C is moved to
    ZeroNote zeroNote = ZeroNote::Tonic;
    double a4Hz = 440.0;  // kMinA4Hz..kMaxA4Hz
    // The format and form the offsets go out in: their range and whether
    // they keep hundredths of a cent (offsetRange).
    TuningFormat format = TuningFormat::GS;
    MtsForm form = MtsForm::ScaleOctave1Byte;
};

struct NoteFit {
    // After tonic, zero note and A4 frequency, less the coarse tuning.
    double exactCents = 0;
    int32_t sent = 0;        // in whole cents: rounded, then held to the form's range
    int32_t sentHundredths = 0;  // as the form keeps it: sent * 100, or the hundredths
    double error = 0;        // sentHundredths / 100 - exactCents
    bool held = false;       // the rounded value lay outside the range
};

struct TuningFit {
    std::array<NoteFit, 12> notes{};  // C..B
    std::vector<int> heldNotes;       // pitch classes, ascending
    // Pitch classes (after the move to the tonic) that no scale degree
    // reaches, ascending; empty for temperaments.
    std::vector<int> unmappedNotes;
    // The A4 shift in whole semitones, sent as coarse tuning, when the
    // offsets would be held with it; 0 otherwise and in the key-based forms.
    int32_t coarseSemitones = 0;
    bool fractions = false;  // the form keeps hundredths

    ScaleOffsets sentOffsets() const;
    ExactOffsets exactOffsets() const;  // sentHundredths and the coarse tuning
};

enum class FitError { None, TonicOutOfRange, A4OutOfRange };

struct FitResult {
    FitError error = FitError::None;
    TuningFit fit;
    bool ok() const { return error == FitError::None; }
};

// Applies, in order: (1) tonic t: offset'(p) = offset((p - t) mod 12);
// (2) subtracts the offset of the zero note (the tonic, or A; nothing for
// None) from all twelve; (3) adds 1200 log2(a4Hz / 440) to all; (4) rounds to the nearest integer
// (hundredths of a cent in a form that keeps them), halves away from zero,
// and holds the result to the form's range. A value within 1e-9 of a half
// counts as the half, so that the order of floating-point operations cannot
// decide a rounding. When a value would be held and the A4 shift rounds to
// whole semitones other than 0, those semitones become the coarse tuning
// and step (3) adds only the rest. The key-based forms hold nothing but keys
// beyond 0..127 (a note is held when one of its keys is); their keys carry
// any shift. A tonic outside 0..11 or a frequency outside 380..480 Hz (or
// not a number) is an error and yields no fit.
FitResult fitOffsets(const PitchClassOffsets& offsets, const FitOptions& options);

// The cells of the fit report's row of each note, C..B: its name, the exact
// cents and the rounding error with two decimals ("-0.00" as "0.00"), the
// integer sent, and whether it was held at a limit. Each front end lays
// them out under its own header. In a form that keeps hundredths the sent
// value is hundredthsText of them.
struct FitReportRow {
    const char* note;
    std::string exact;
    std::string sent;
    std::string error;
    bool held;
};
std::array<FitReportRow, 12> fitReportRows(const TuningFit& fit);

