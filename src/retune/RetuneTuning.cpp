#include "retune/RetuneTuning.h"

#include <algorithm>
#include <cmath>

std::array<double, 128> keyCentsOfPitchClasses(const std::array<double, 12>& pitchClassCents) {
    std::array<double, 128> keys{};
    for (int key = 0; key < 128; ++key) keys[key] = pitchClassCents[key % 12];
    return keys;
}

std::array<double, 128> keyCentsOfKeys(const std::array<std::optional<int32_t>, 128>& keyHundredths) {
    std::array<double, 128> keys{};
    for (int key = 0; key < 128; ++key) keys[key] = keyHundredths[key].value_or(0) / 100.0;
    return keys;
}

KeyPlan planKeys(const RetuneTuning& tuning) {
    KeyPlan plan;
    for (int key = 0; key < 128; ++key) {
        const double pitch = key * 100.0 + tuning.keyCents[key];
        const int sounds = tuning.nearestKeys ? static_cast<int>(std::clamp(std::round(pitch / 100), 0.0, 127.0)) : key;
        plan.sounds[key] = static_cast<uint8_t>(sounds);
        plan.cents[key] = pitch - sounds * 100.0;
    }
    return plan;
}
