// The values kept in section [AppSetting] of the settings file, with their
// defaults and ranges.
#pragma once

#include <cstdint>

#include "settings/IniFile.h"

constexpr char kAppSettingSection[] = "AppSetting";

constexpr int32_t kDefaultDivision = 120;
constexpr int32_t kMinDivision = 1;
constexpr int32_t kMaxDivision = 32767;
constexpr int32_t kDefaultDelta = 0;
constexpr int32_t kMinDelta = 0;
constexpr int32_t kMaxDelta = 32767;

struct AppSettings {
    // Left and top of the main window's outer rectangle; restored only when
    // both keys were found.
    bool hasPosition = false;
    int32_t left = 0;
    int32_t top = 0;
    int32_t midiFormat = 0;         // 0 GS, 1 XG, 2 GM2
    int32_t midiPartOrChannel = 0;  // bit n: part or channel n + 1; bits 16-31 kept
    int32_t sysexEventDivision = kDefaultDivision;
    int32_t sysexEventDelta = kDefaultDelta;
};

int32_t clampMidiFormat(int32_t value);  // outside 0..2 becomes 0
int32_t clampDivision(int32_t value);    // 1..32767
int32_t clampDelta(int32_t value);       // 0..32767

// Reads the six keys with their defaults and ranges. Top is looked up only
// when Left was found.
AppSettings readAppSettings(const IniFile& settingsFile);

// Sets Left, Top, MidiFormat, MidiPartOrChannel, SysexEventDivision and
// SysexEventDelta in this order, each as "%d". Existing lines keep their place.
void writeAppSettings(IniFile& settingsFile, const AppSettings& settings);
