#include "tuning/ResolveTuning.h"

#include <algorithm>
#include <utility>

#include "tuning/Temperaments.h"

namespace {

// The whole cents the edits show of a note sent as `hundredths`, and the
// hundredths themselves where those do not say it all.
void setNote(TwelveOffsets& twelve, int pitchClass, int32_t whole, int32_t hundredths) {
    twelve.whole[pitchClass] = whole;
    if (hundredths != whole * 100) twelve.exactHundredths[pitchClass] = hundredths;
}

// An edit's whole cents as the listing takes them.
int32_t editCents(std::optional<int32_t> edit) {
    return std::clamp(edit.value_or(0), kLowestSentOffset, kHighestSentOffset);
}

void addNotes(std::vector<TuningNotice>& notices, TuningNoticeKind kind, const std::vector<int>& items) {
    if (!items.empty()) notices.push_back({kind, items, 0, {}, 0});
}

void takeFit(ResolvedTuning& result, const PitchClassOffsets& offsets, const FitOptions& options) {
    const FitResult fitted = fitOffsets(offsets, options);
    if (!fitted.ok()) {
        result.error = TuningError::Fit;
        result.fitError = fitted.error;
        return;
    }
    const TuningFit& fit = fitted.fit;
    Tuning& tuning = result.tuning;
    tuning.fit = fit;
    for (int p = 0; p < 12; ++p) setNote(tuning.twelve, p, fit.notes[p].sent, fit.notes[p].sentHundredths);
    tuning.twelve.coarseSemitones = fit.coarseSemitones;
    addNotes(result.notices, TuningNoticeKind::HeldNotes, fit.heldNotes);
    if (fit.coarseSemitones != 0) result.notices.push_back({TuningNoticeKind::CoarseTuning, {}, fit.coarseSemitones, {}, 0});
    addNotes(result.notices, TuningNoticeKind::UnmappedNotes, fit.unmappedNotes);
}

void takeKeys(ResolvedTuning& result, const KeyboardTuning& keys) {
    const KeyOffsets offsets = keyOffsets(keys);
    std::vector<int> held;
    for (int key = 0; key < kKeyboardKeyCount; ++key)
        if (offsets[key] && keyTargetHeld(key, *offsets[key])) held.push_back(key);
    addNotes(result.notices, TuningNoticeKind::HeldKeys, held);
    if (const std::size_t unmapped = keys.mapped.size() - keys.mapped.count())
        result.notices.push_back({TuningNoticeKind::UnmappedKeys, {}, static_cast<int32_t>(unmapped), {}, 0});
    result.tuning.keys = TunedKeys{offsets, keys};
}

// A scale on the keys: a keyboard tuning, or twelve pitch classes fitted.
void resolveOnKeys(ResolvedTuning& result, const TuningSource& source) {
    const FitOptions& fit = source.fit;
    KeyboardMap map = source.keyboardMap ? *source.keyboardMap : linearKeyboardMap(fit.tonic, fit.a4Hz, fit.zeroNote);
    const KeyboardTuningResult keys = keyboardTuning(source.scale, map);
    if (!keys.ok()) {
        result.error = TuningError::KeyboardTuning;
        result.keyboardTuning = keys;
        return;
    }
    Tuning& tuning = result.tuning;
    if (source.keyboardMap) tuning.a4Hz = keys.tuning.mapped.test(kA4Key) ? keys.tuning.hz[kA4Key] : 0.0;
    tuning.scaleOnKeys = ScaleOnKeys{source.scale, std::move(map)};
    const std::optional<KeyboardPitchClasses> classes = keyboardPitchClasses(keys.tuning);
    if (!classes) {
        takeKeys(result, keys.tuning);
        return;
    }
    FitOptions options = fit;
    options.tonic = 0;
    options.zeroNote = ZeroNote::None;
    options.a4Hz = classes->a4Hz;
    takeFit(result, classes->offsets, options);
}

// A scale by its layout: on the keys, or onto the twelve pitch classes and
// fitted; laid out Automatic, one the twelve cannot hold goes on the keys.
void resolveScale(ResolvedTuning& result, const TuningSource& source) {
    const ScaleLayout layout = source.layout;
    if (source.keyboardMap || layout == ScaleLayout::Keys ||
        (layout == ScaleLayout::Automatic && scaleNeedsKeyboard(source.scale))) {
        resolveOnKeys(result, source);
        return;
    }
    const ScaleMapResult mapped = mapScaleToPitchClasses(source.scale);
    if (mapped.ok()) {
        takeFit(result, mapped.offsets, source.fit);
        return;
    }
    if (layout == ScaleLayout::Automatic && mapped.error == ScaleMapError::DegreesCollide) {
        TuningNotice collide{TuningNoticeKind::DegreesCollide, {mapped.firstDegree, mapped.secondDegree}, 0, {}, 0};
        collide.lines = {mapped.firstDegreeLine, mapped.secondDegreeLine};
        collide.pitchClass = mapped.pitchClass;
        result.notices.push_back(std::move(collide));
        resolveOnKeys(result, source);
        return;
    }
    result.error = TuningError::ScaleMap;
    result.scaleMap = mapped;
}

}  // namespace

bool aboutKeyMessages(TuningNoticeKind kind) {
    return kind == TuningNoticeKind::HeldKeys || kind == TuningNoticeKind::UnmappedKeys;
}

ResolvedTuning resolveTuning(const TuningSource& source) {
    ResolvedTuning result;
    Tuning& tuning = result.tuning;
    tuning.a4Hz = source.fit.a4Hz;
    tuning.origin.tonic = source.fit.tonic;
    PitchClassOffsets offsets;
    switch (source.kind) {
    case TuningSourceKind::Temperament: {
        tuning.origin.kind = TuningOriginKind::Temperament;
        tuning.origin.temperamentId = source.temperamentId;
        const Temperament* temperament = findTemperament(source.temperamentId);
        if (!temperament) {
            result.error = TuningError::UnknownTemperament;
            return result;
        }
        offsets = temperamentOffsets(*temperament);
        break;
    }
    case TuningSourceKind::Offsets:
        tuning.origin.kind = TuningOriginKind::Offsets;
        for (int k = 0; k < 12; ++k) offsets.cents[k] = source.offsetHundredths[k] / 100.0;
        break;
    case TuningSourceKind::Scala: {
        tuning.origin.kind = TuningOriginKind::Scala;
        tuning.origin.name = source.scale.description;
        tuning.origin.scaleFileName = source.scaleFileName;
        tuning.origin.mapFileName = source.mapFileName;
        resolveScale(result, source);
        return result;
    }
    }
    takeFit(result, offsets, source.fit);
    return result;
}

Tuning tuningOfEdits(const ScaleOffsets& edits, const std::array<std::optional<int32_t>, 12>& exactHundredths,
                     int32_t coarseSemitones) {
    Tuning tuning;
    for (int k = 0; k < 12; ++k) tuning.twelve.whole[k] = editCents(edits[k]);
    tuning.twelve.exactHundredths = exactHundredths;
    tuning.twelve.coarseSemitones = coarseSemitones;
    return tuning;
}

void typeIntoEdit(Tuning& tuning, int pitchClass, std::optional<int32_t> edit) {
    tuning.twelve.whole[pitchClass] = editCents(edit);
    tuning.twelve.exactHundredths[pitchClass].reset();
    if (tuning.onKeys()) return;
    tuning.fit.reset();
    tuning.scaleOnKeys.reset();
    tuning.a4Hz = kStandardA4Hz;
    tuning.origin = TuningOrigin{};
}

Tuning tuningOfFile(const TuningReadResult& read, std::string fileName) {
    Tuning tuning;
    for (int k = 0; k < 12; ++k) setNote(tuning.twelve, k, read.offsets[k], read.hundredths[k]);
    tuning.twelve.coarseSemitones = read.coarseSemitones;
    if (const std::optional<KeyOffsets> keys = keyboardKeysRead(read))
        tuning.keys = TunedKeys{*keys, keyboardTuningOfOffsets(*keys)};
    tuning.a4Hz = read.impliedA4Hz;
    tuning.origin.kind = TuningOriginKind::TuningFile;
    tuning.origin.name = std::move(fileName);
    return tuning;
}
