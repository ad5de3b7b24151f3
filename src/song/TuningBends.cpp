#include "song/TuningBends.h"

#include "retune/RetuneTuning.h"
#include "tuning/TuningOutputs.h"

namespace {

RetuneTuning bentBy(const Tuning& tuning, CentsKind kind, TuningFormat format, MtsForm form) {
    if (tuning.keys) return {keyCentsOfKeys(tuning.keys->offsets), true};
    return {keyCentsOfPitchClasses(pitchClassCents(tuning, kind, format, form)), false};
}

}  // namespace

SongBendOptions tuningBendOptions(const Tuning& tuning, TuningFormat format, MtsForm form) {
    const RetuneTuning bent = bentBy(tuning, CentsKind::Sent, format, form);
    SongBendOptions options;
    options.keyCents = bent.keyCents;
    options.nearestKeys = bent.nearestKeys;
    return options;
}

RetuneTuning liveRetuneTuning(const Tuning& tuning) {
    // The format and form only matter to the cents as sent.
    return bentBy(tuning, CentsKind::Exact, TuningFormat::GS, MtsForm::ScaleOctave1Byte);
}
