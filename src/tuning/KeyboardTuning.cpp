#include "tuning/KeyboardTuning.h"

#include <algorithm>
#include <cmath>

#include "tuning/KeyPitch.h"

namespace {

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
        tuning.hz[key] = raisedHz(map.referenceHz, degreeCents(scale, *degree) - referenceCents);
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
    map.referenceKey = zeroNote == ZeroNote::A ? kA4Key : map.middleKey;
    map.referenceHz = keyHz(map.referenceKey, a4Hz);
    return map;
}

std::optional<KeyboardPitchClasses> keyboardPitchClasses(const KeyboardTuning& tuning) {
    if (!tuning.mapped.all()) return std::nullopt;
    for (int key = 0; key + 12 < kKeyboardKeyCount; ++key)
        if (std::fabs(centsAboveKey(key + 12, tuning.hz[key + 12]) -
                      centsAboveKey(key, tuning.hz[key])) > 1e-6)
            return std::nullopt;
    KeyboardPitchClasses classes;
    const double a4Hz = tuning.hz[kA4Key];
    if (a4Hz >= kMinA4Hz && a4Hz <= kMaxA4Hz) classes.a4Hz = a4Hz;
    const double shift = centsAboveKey(kA4Key, classes.a4Hz);
    for (int pitchClass = 0; pitchClass < 12; ++pitchClass)
        classes.offsets.cents[pitchClass] =
            centsAboveKey(60 + pitchClass, tuning.hz[60 + pitchClass]) - shift;
    return classes;
}

KeyOffsets keyOffsets(const KeyboardTuning& tuning) {
    constexpr double kHeldHundredths = 1e8;
    KeyOffsets keys;
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        if (!tuning.mapped.test(static_cast<std::size_t>(key))) continue;
        const double hundredths = centsAboveKey(key, tuning.hz[key]) * 100.0;
        // A key beyond every limit (an infinite or vanishing frequency) is held too.
        const double held = std::isnan(hundredths) ? 0.0 : std::clamp(hundredths, -kHeldHundredths, kHeldHundredths);
        keys[key] = static_cast<int32_t>(std::llround(held));
    }
    return keys;
}

KeyboardTuning keyboardTuningOfOffsets(const KeyOffsets& keys) {
    KeyboardTuning tuning;
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        if (!keys[key]) continue;
        tuning.mapped.set(static_cast<std::size_t>(key));
        tuning.hz[key] = keyHz(key, kStandardA4Hz, *keys[key] / 100.0);
    }
    return tuning;
}
