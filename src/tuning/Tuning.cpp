#include "tuning/Tuning.h"

#include "tuning/Temperaments.h"

ExactOffsets TwelveOffsets::exactOffsets() const {
    ExactOffsets exact;
    for (int k = 0; k < 12; ++k) exact.hundredths[k] = exactHundredths[k].value_or(whole[k] * 100);
    exact.coarseSemitones = coarseSemitones;
    return exact;
}

int32_t TwelveOffsets::sentHundredths(int pitchClass, TuningFormat format, MtsForm form) const {
    const std::optional<int32_t>& exact = exactHundredths[pitchClass];
    return offsetRange(format, form).fractions && exact ? *exact : whole[pitchClass] * 100;
}

bool formCarries(const Tuning& tuning, TuningFormat format, MtsForm form) {
    return !tuning.onKeys() || (format == TuningFormat::GM2 && isKeyBasedForm(form));
}

std::string englishTuningName(const Tuning& tuning) {
    const TuningOrigin& origin = tuning.origin;
    switch (origin.kind) {
    case TuningOriginKind::Temperament: {
        const Temperament* temperament = findTemperament(origin.temperamentId);
        return temperament ? temperament->englishName : origin.temperamentId;
    }
    case TuningOriginKind::Scala:
        return origin.name.find_first_not_of(" \t") == std::string::npos ? origin.scaleFileName : origin.name;
    case TuningOriginKind::Preset:
    case TuningOriginKind::TuningFile:
        return origin.name;
    case TuningOriginKind::Edits:
    case TuningOriginKind::Offsets:
        break;
    }
    return "Twelve offsets from equal temperament";
}
