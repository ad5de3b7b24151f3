#include "tuning/TuningOutputs.h"

#include <utility>

#include "tuning/KeyPitch.h"

namespace {

// Each pitch class's exact cents, without the coarse tuning.
std::array<double, 12> exactCents(const Tuning& tuning) {
    std::array<double, 12> cents{};
    const ExactOffsets held = tuning.twelve.exactOffsets();
    for (int p = 0; p < 12; ++p) cents[p] = tuning.fit ? tuning.fit->notes[p].exactCents : held.hundredths[p] / 100.0;
    return cents;
}

}  // namespace

std::optional<TuningListing> tuningListing(const Tuning& tuning, TuningFormat format, const MtsOptions& mts,
                                           uint32_t selection) {
    if (!formCarries(tuning, format, mts.form)) return std::nullopt;
    if (tuning.keys) return buildKeyboardListing(mts, tuning.keys->offsets, selection);
    ScaleDataBytes dataBytes;
    return buildTuningListingExact(format, mts, tuning.twelve.exactOffsets(), selection, dataBytes);
}

std::array<std::optional<double>, kKeyboardKeyCount> keyFrequencies(const Tuning& tuning) {
    std::array<std::optional<double>, kKeyboardKeyCount> hz{};
    const std::array<double, 12> cents = exactCents(tuning);
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        if (!tuning.keys)
            hz[key] = keyHz(key + tuning.twelve.coarseSemitones, kStandardA4Hz, cents[key % 12]);
        else if (tuning.keys->tuning.mapped.test(static_cast<std::size_t>(key)))
            hz[key] = tuning.keys->tuning.hz[key];
    }
    return hz;
}

std::array<double, 12> pitchClassCents(const Tuning& tuning, CentsKind kind, TuningFormat format, MtsForm form) {
    std::array<double, 12> cents = exactCents(tuning);
    // The coarse tuning is part of what sounds: it moves the beat rates and the bends.
    for (int p = 0; p < 12; ++p)
        cents[p] = (kind == CentsKind::Sent ? tuning.twelve.sentHundredths(p, format, form) / 100.0 : cents[p]) +
                   tuning.twelve.coarseSemitones * 100.0;
    return cents;
}

std::optional<ScaleOnKeys> synthScale(const Tuning& tuning, const std::string& description) {
    if (tuning.scaleOnKeys) return tuning.scaleOnKeys;
    if (tuning.keys) return std::nullopt;
    return twelveToneScale(exactCents(tuning), tuning.twelve.coarseSemitones, tuning.origin.tonic, description);
}

std::string synthFileDescription(const Tuning& tuning) {
    return tuning.origin.kind == TuningOriginKind::Scala ? tuning.origin.name : englishTuningName(tuning);
}

std::optional<std::string> synthFileText(const Tuning& tuning, SynthFileKind kind, const std::string& fileName,
                                         const std::string& description) {
    if (kind == SynthFileKind::None) return std::nullopt;
    const std::optional<ScaleOnKeys> onKeys = synthScale(tuning, description);
    if (!onKeys) return std::nullopt;
    switch (kind) {
    case SynthFileKind::Scl: return scalaScaleText(onKeys->scale, fileName);
    case SynthFileKind::Kbm: return keyboardMapText(onKeys->map, fileName);
    case SynthFileKind::Tun: {
        const KeyboardTuningResult keys = keyboardTuning(onKeys->scale, onKeys->map);
        if (!keys.ok()) return std::nullopt;  // the tuning itself was made the same way
        return anaMarkTuningText(keys.tuning, description);
    }
    case SynthFileKind::None: break;
    }
    return std::nullopt;
}
