// A preset is a section of the preset file named as typed, with one key per
// pitch class ("0" C ... "11" B) holding its non-zero offset in cents.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
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

// Beyond the whole offsets, which any version reads: a note's exact value in
// hundredths of a cent under "Hundredths<k>", only when the whole key does
// not say it (a fraction, or a key-based value beyond -64..63),
// and the coarse tuning in semitones under "CoarseTuning", only when not 0.
struct PresetExactTuning {
    std::array<std::optional<int32_t>, 12> hundredths{};
    int32_t coarseSemitones = 0;
};
// A hundredths key counts only while the whole key still holds its rounding
// (held to -64..63): a version that knows no hundredths may have changed
// the note since. The coarse tuning is held to -64..63.
PresetExactTuning readPresetExactTuning(const IniFile& presetFile, std::string_view name,
                                        const PresetOffsets& offsets);
// Sets the keys of the notes with a fraction and of a coarse tuning, and
// deletes the others of them.
void writePresetExactTuning(IniFile& presetFile, std::string_view name, const PresetExactTuning& exact);
