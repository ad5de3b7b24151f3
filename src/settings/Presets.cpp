#include "settings/Presets.h"

#include "settings/NumberText.h"

#include <algorithm>
#include <string>

#include "sysex/MtsForms.h"

namespace {

const char kCoarseTuningKey[] = "CoarseTuning";

std::string hundredthsKey(int32_t pitchClass) { return "Hundredths" + formatIniInt(pitchClass); }

}  // namespace

PresetOffsets readPresetOffsets(const IniFile& presetFile, std::string_view name) {
    PresetOffsets offsets{};
    for (int32_t i = 0; i < 12; ++i) {
        const int32_t value = parseIniInt(presetFile.getValueOr(name, formatIniInt(i), "0"));
        offsets[i] = clampInt(value, kMinOffset, kMaxOffset);
    }
    return offsets;
}

void writePresetOffsets(IniFile& presetFile, std::string_view name,
                        const PresetOffsets& offsets) {
    for (int32_t i = 0; i < 12; ++i) {
        const std::string key = formatIniInt(i);
        presetFile.setValue(name, key, formatIniInt(offsets[i]));
        if (offsets[i] == 0) presetFile.deleteKey(name, key);
    }
}

PresetExactTuning readPresetExactTuning(const IniFile& presetFile, std::string_view name,
                                        const PresetOffsets& offsets) {
    PresetExactTuning exact;
    for (int32_t i = 0; i < 12; ++i) {
        std::string text;
        if (!presetFile.getValue(name, hundredthsKey(i), text)) continue;
        const int32_t value = parseIniInt(text);
        if (value != offsets[i] * 100 && clampInt(wholeCents(value), kMinOffset, kMaxOffset) == offsets[i])
            exact.hundredths[i] = value;
    }
    exact.coarseSemitones = clampInt(parseIniInt(presetFile.getValueOr(name, kCoarseTuningKey, "0")), -64, 63);
    return exact;
}

void writePresetExactTuning(IniFile& presetFile, std::string_view name, const PresetExactTuning& exact) {
    for (int32_t i = 0; i < 12; ++i) {
        const std::string key = hundredthsKey(i);
        const std::optional<int32_t>& value = exact.hundredths[i];
        if (value && *value != clampInt(wholeCents(*value), kMinOffset, kMaxOffset) * 100)
            presetFile.setValue(name, key, formatIniInt(*value));
        else
            presetFile.deleteKey(name, key);
    }
    if (exact.coarseSemitones != 0)
        presetFile.setValue(name, kCoarseTuningKey, formatIniInt(exact.coarseSemitones));
    else
        presetFile.deleteKey(name, kCoarseTuningKey);
}
