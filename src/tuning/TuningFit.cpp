#include "tuning/TuningFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tuning/KeyPitch.h"
#include "tuning/NoteNames.h"
#include "tuning/Temperaments.h"

namespace {

constexpr double kHalfTolerance = 1e-9;

double roundHalfAwayFromZero(double value) {
    return std::round(value + (value < 0 ? -kHalfTolerance : kHalfTolerance));
}

// Values so small in magnitude that they print as zero are shown without the
// sign, "0.00" rather than "-0.00".
double forPrinting(double value) { return std::fabs(value) < 0.005 ? 0.0 : value; }

}  // namespace

PitchClassOffsets offsetsFromCentsAboveC(const std::array<double, 12>& centsAboveC) {
    PitchClassOffsets offsets;
    for (int k = 0; k < 12; ++k) offsets.cents[k] = centsAboveC[k] - 100.0 * k;
    return offsets;
}

PitchClassOffsets temperamentOffsets(const Temperament& temperament) {
    return offsetsFromCentsAboveC(temperament.centsAboveC);
}

ScaleOffsets TuningFit::sentOffsets() const {
    ScaleOffsets offsets;
    for (int k = 0; k < 12; ++k) offsets[k] = notes[k].sent;
    return offsets;
}

ExactOffsets TuningFit::exactOffsets() const {
    ExactOffsets exact;
    for (int k = 0; k < 12; ++k) exact.hundredths[k] = notes[k].sentHundredths;
    exact.coarseSemitones = coarseSemitones;
    return exact;
}

FitResult fitOffsets(const PitchClassOffsets& offsets, const FitOptions& options) {
    FitResult result;
    if (options.tonic < 0 || options.tonic > 11) {
        result.error = FitError::TonicOutOfRange;
        return result;
    }
    // Written so that NaN fails too.
    if (!(options.a4Hz >= kMinA4Hz && options.a4Hz <= kMaxA4Hz)) {
        result.error = FitError::A4OutOfRange;
        return result;
    }

    std::array<double, 12> moved{};
    for (int p = 0; p < 12; ++p) {
        const int source = (p - options.tonic + 12) % 12;
        moved[p] = offsets.cents[source];
        if (offsets.unmapped & (1u << source)) result.fit.unmappedNotes.push_back(p);
    }
    const int zeroNote = options.zeroNote == ZeroNote::A ? 9 : options.tonic;
    const double zeroShift = options.zeroNote == ZeroNote::None ? 0.0 : -moved[zeroNote];
    const double a4Shift = centsAboveKey(kA4Key, options.a4Hz);
    const double shift = zeroShift + a4Shift;
    const OffsetRange range = offsetRange(options.format, options.form);
    const bool keyBased = options.format == TuningFormat::GM2 && isKeyBasedForm(options.form);
    result.fit.fractions = range.fractions;
    const auto place = [&](int32_t coarse) {
        result.fit.heldNotes.clear();
        for (int p = 0; p < 12; ++p) {
            NoteFit& note = result.fit.notes[p];
            note.exactCents = moved[p] + shift - coarse * 100.0;
            const double unit = range.fractions ? 100.0 : 1.0;
            // Compared as doubles: a scale's cents may lie far beyond int32_t.
            const double rounded = roundHalfAwayFromZero(note.exactCents * unit) * (100.0 / unit);
            if (keyBased) {
                // Beyond any key's reach the keys are held anyway; kept in int32_t.
                const double kept = std::clamp(rounded, -1e6, 1e6);
                note.sentHundredths = static_cast<int32_t>(kept);
                note.held = rounded != kept || keyTargetHeld(p, note.sentHundredths) ||
                            keyTargetHeld(p + 12 * ((127 - p) / 12), note.sentHundredths);
            } else {
                note.held = !(rounded >= range.lowest && rounded <= range.highest);
                note.sentHundredths = rounded < range.lowest    ? range.lowest
                                      : rounded > range.highest ? range.highest
                                                                : static_cast<int32_t>(rounded);
            }
            note.sent = std::clamp(wholeCents(note.sentHundredths), kLowestSentOffset, kHighestSentOffset);
            note.error = note.sentHundredths / 100.0 - note.exactCents;
            if (note.held) result.fit.heldNotes.push_back(p);
        }
    };
    place(0);
    const int32_t coarse = static_cast<int32_t>(roundHalfAwayFromZero(a4Shift / 100.0));
    if (!keyBased && !result.fit.heldNotes.empty() && coarse != 0) {
        result.fit.coarseSemitones = coarse;
        place(coarse);
    }
    return result;
}

std::array<FitReportRow, 12> fitReportRows(const TuningFit& fit) {
    const auto twoDecimals = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", forPrinting(value));
        return std::string(text);
    };
    std::array<FitReportRow, 12> rows;
    for (int p = 0; p < 12; ++p) {
        const NoteFit& note = fit.notes[p];
        rows[p] = {pitchClassName(p), twoDecimals(note.exactCents),
                   fit.fractions ? hundredthsText(note.sentHundredths) : std::to_string(note.sent),
                   twoDecimals(note.error), note.held};
    }
    return rows;
}

std::optional<double> parseFrequency(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    double value = 0;
    double scale = 1;
    bool digits = false;
    bool fraction = false;
    for (char c : text) {
        if (c == '.' && !fraction) {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (fraction) {
                scale /= 10;
                value += (c - '0') * scale;
            } else {
                value = value * 10 + (c - '0');
            }
        } else {
            return std::nullopt;
        }
        if (value > 1e6) return std::nullopt;
    }
    if (!digits) return std::nullopt;
    return value;
}

