#include "song/TuningBends.h"

#include "retune/RetuneTuning.h"
#include "tuning/TuningOutputs.h"

SongBendOptions tuningBendOptions(const Tuning& tuning, TuningFormat format, MtsForm form) {
    SongBendOptions options;
    if (tuning.keys) {
        options.keyCents = keyCentsOfKeys(tuning.keys->offsets);
        options.nearestKeys = true;
    } else {
        options.keyCents = keyCentsOfPitchClasses(pitchClassCents(tuning, CentsKind::Sent, format, form));
    }
    return options;
}
