#include "mtsesp/MtsEspKeyTable.h"

#include <cmath>
#include <utility>

#include "tuning/KeyPitch.h"
#include "tuning/KeyboardMap.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningOutputs.h"

namespace {

bool playable(const MtsEspKeyTable& table, int key) {
    const double hz = table.hz[static_cast<std::size_t>(key)];
    return table.mapped.test(static_cast<std::size_t>(key)) && std::isfinite(hz) && hz > 0;
}

std::optional<int> within(int value, int lowest, int highest) {
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

// The map of twelve pitch classes: every twelve keys from C4, at 2/1.
void describeTwelvePitchClasses(MtsEspKeyTable& table) {
    table.periodRatio = 2.0;
    table.mapSize = 12;
    table.mapStartKey = 60;
}

void describeMap(MtsEspKeyTable& table, const ScalaScale& scale, const KeyboardMap& map) {
    if (!scale.pitches.empty()) table.periodRatio = std::exp2(scale.pitches.back().cents / 1200.0);
    table.mapSize = map.mapSize == 0 ? static_cast<int>(scale.pitches.size()) : map.mapSize;
    table.mapStartKey = map.middleKey;
    table.referenceKey = map.referenceKey;
}

}  // namespace

MtsEspPublication mtsEspPublication(const MtsEspKeyTable& table) {
    MtsEspPublication publication;
    int firstPlayable = 0;
    while (firstPlayable < kMtsEspKeyCount && !playable(table, firstPlayable)) ++firstPlayable;
    for (int key = 0; key < kMtsEspKeyCount; ++key) {
        if (playable(table, key)) {
            publication.hz[key] = table.hz[key];
            continue;
        }
        publication.filtered.set(static_cast<std::size_t>(key));
        if (key > firstPlayable)
            publication.hz[key] = publication.hz[key - 1];  // the nearest mapped key's below, passed up
        else
            publication.hz[key] = firstPlayable < kMtsEspKeyCount ? table.hz[firstPlayable] : keyHz(key);
    }
    publication.scaleName = table.scaleName;
    if (std::isfinite(table.periodRatio) && table.periodRatio > 0) publication.periodRatio = table.periodRatio;
    publication.mapSize = within(table.mapSize, 1, 127);
    publication.mapStartKey = within(table.mapStartKey, 0, 127);
    publication.referenceKey = within(table.referenceKey, 0, 127).value_or(-1);
    return publication;
}

MtsEspKeyTable mtsEspKeyTable(const Tuning& tuning) {
    MtsEspKeyTable table;
    const std::array<std::optional<double>, kKeyboardKeyCount> hz = keyFrequencies(tuning);
    for (int key = 0; key < kMtsEspKeyCount; ++key) {
        if (!hz[key]) continue;
        table.hz[key] = *hz[key];
        table.mapped.set(static_cast<std::size_t>(key));
    }
    table.scaleName = englishTuningName(tuning);
    if (tuning.scaleOnKeys)
        describeMap(table, tuning.scaleOnKeys->scale, tuning.scaleOnKeys->map);
    else if (!tuning.onKeys())
        describeTwelvePitchClasses(table);
    else
        table.periodRatio = 0.0;  // keys read back from a file: no scale repeats on them
    return table;
}
