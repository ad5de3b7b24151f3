// A preset is a section of the preset file named as typed, with one key per
// pitch class ("0" C ... "11" B) holding its non-zero offset in cents.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/IniFile.h"

using PresetOffsets = std::array<int32_t, 12>;

constexpr int32_t kMinOffset = -64;
constexpr int32_t kMaxOffset = 63;

// Each key read by the INI number rule; missing keys give 0; values are
// brought into -64..63.
PresetOffsets readPresetOffsets(const IniFile& presetFile, std::string_view name);

// For keys 0..11 in order: sets the offset, then deletes the key again when
// the offset is 0, so the section ends up holding exactly the non-zero
// offsets. Creates the section at the end when it is missing.
void writePresetOffsets(IniFile& presetFile, std::string_view name,
                        const PresetOffsets& offsets);
