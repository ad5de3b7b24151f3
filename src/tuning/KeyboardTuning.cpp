#include "tuning/KeyboardTuning.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kReferenceA4Key = 69;

int64_t floorDivision(int64_t numerator, int64_t denominator) {
    const int64_t quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1 : quotient;
}

// The degree the map gives a key, whether or not the key lies in first..last.
std::optional<int64_t> keyDegree(const KeyboardMap& map, int formalOctave, int key) {
    const int64_t step = int64_t{key} - map.middleKey;
    if (map.mapSize == 0) return step;
    const int64_t repetition = floorDivision(step, map.mapSize);
    const int entry = map.degrees[static_cast<std::size_t>(step - repetition * map.mapSize)];
    if (entry == kUnmappedDegree) return std::nullopt;
    return entry + repetition * formalOctave;
}

// Cents of degree `degree` above degree 0.
double degreeCents(const ScalaScale& scale, int64_t degree) {
    const int64_t size = static_cast<int64_t>(scale.pitches.size());
    const int64_t period = floorDivision(degree, size);
    const int64_t step = degree - period * size;
    return static_cast<double>(period) * scale.pitches.back().cents +
           (step == 0 ? 0.0 : scale.pitches[static_cast<std::size_t>(step - 1)].cents);
}

double equalTemperedHz(int key, double a4Hz) { return a4Hz * std::exp2((key - kReferenceA4Key) / 12.0); }

}  // namespace

KeyboardTuningResult keyboardTuning(const ScalaScale& scale, const KeyboardMap& map) {
    KeyboardTuningResult result;
    const int size = static_cast<int>(scale.pitches.size());
    if (size == 0) {
        result.error = KeyboardTuningError::NoPitches;
        return result;
    }
    if (map.formalOctave > size) {
        result.error = KeyboardTuningError::FormalOctaveBeyondScale;
        result.formalOctave = map.formalOctave;
        result.line = map.lineOf(KeyboardMapField::FormalOctave);
        return result;
    }
    const int formalOctave = map.formalOctave == 0 ? size : map.formalOctave;
    const std::optional<int64_t> referenceDegree = keyDegree(map, formalOctave, map.referenceKey);
    if (!referenceDegree) {
        result.error = KeyboardTuningError::ReferenceKeyUnmapped;
        result.line = map.lineOf(KeyboardMapField::ReferenceKey);
        return result;
    }
    const double referenceCents = degreeCents(scale, *referenceDegree);
    KeyboardTuning& tuning = result.tuning;
    tuning.scaleSize = static_cast<std::size_t>(size);
    for (int key = map.firstKey; key <= map.lastKey; ++key) {
        const std::optional<int64_t> degree = keyDegree(map, formalOctave, key);
        if (!degree) continue;
        tuning.mapped.set(static_cast<std::size_t>(key));
        tuning.hz[key] = map.referenceHz * std::exp2((degreeCents(scale, *degree) - referenceCents) / 1200.0);
    }
    return result;
}

bool scaleNeedsKeyboard(const ScalaScale& scale) {
    if (scale.pitches.empty()) return false;
    return scale.pitches.size() > 12 || mapScaleToPitchClasses(scale).error == ScaleMapError::PeriodNotOctave;
}

KeyboardMap linearKeyboardMap(int tonic, double a4Hz, ZeroNote zeroNote) {
    KeyboardMap map;
    map.middleKey = 60 + tonic;
    map.referenceKey = zeroNote == ZeroNote::A ? kReferenceA4Key : map.middleKey;
    map.referenceHz = equalTemperedHz(map.referenceKey, a4Hz);
    return map;
}

double centsFromEqualTemperament(int key, double hz) {
    return 1200.0 * std::log2(hz / equalTemperedHz(key, 440.0));
}

std::optional<KeyboardPitchClasses> keyboardPitchClasses(const KeyboardTuning& tuning) {
    if (!tuning.mapped.all()) return std::nullopt;
    for (int key = 0; key + 12 < kKeyboardKeyCount; ++key)
        if (std::fabs(centsFromEqualTemperament(key + 12, tuning.hz[key + 12]) -
                      centsFromEqualTemperament(key, tuning.hz[key])) > 1e-6)
            return std::nullopt;
    KeyboardPitchClasses classes;
    const double a4Hz = tuning.hz[kReferenceA4Key];
    if (a4Hz >= kMinA4Hz && a4Hz <= kMaxA4Hz) classes.a4Hz = a4Hz;
    const double shift = 1200.0 * std::log2(classes.a4Hz / 440.0);
    for (int pitchClass = 0; pitchClass < 12; ++pitchClass)
        classes.offsets.cents[pitchClass] =
            centsFromEqualTemperament(60 + pitchClass, tuning.hz[60 + pitchClass]) - shift;
    return classes;
}

KeyOffsets keyOffsets(const KeyboardTuning& tuning) {
    constexpr double kHeldHundredths = 1e8;
    KeyOffsets keys;
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        if (!tuning.mapped.test(static_cast<std::size_t>(key))) continue;
        const double hundredths = centsFromEqualTemperament(key, tuning.hz[key]) * 100.0;
        // A key beyond every limit (an infinite or vanishing frequency) is held too.
        const double held = std::isnan(hundredths) ? 0.0 : std::clamp(hundredths, -kHeldHundredths, kHeldHundredths);
        keys[key] = static_cast<int32_t>(std::llround(held));
    }
    return keys;
}
