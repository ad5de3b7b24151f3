#include "settings/Presets.h"

#include "settings/NumberText.h"

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
