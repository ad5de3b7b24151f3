// The values kept in section [AppSetting] of the settings file, with their
// defaults and ranges.
#pragma once

#include <cstdint>
#include <string>

#include "settings/IniFile.h"
#include "song/SongTuning.h"

constexpr char kAppSettingSection[] = "AppSetting";

constexpr int32_t kDefaultDivision = 120;
constexpr int32_t kMinDivision = 1;
constexpr int32_t kMaxDivision = 32767;
constexpr int32_t kDefaultDelta = 0;
constexpr int32_t kMinDelta = 0;
constexpr int32_t kMaxDelta = 32767;
// Milliseconds between two messages sent to the MIDI output device.
constexpr int32_t kDefaultSysexPause = 20;
constexpr int32_t kMinSysexPause = 0;
constexpr int32_t kMaxSysexPause = 500;
// Milliseconds from a song's reset to the tuning written into it, and
// between the tuning's messages.
constexpr int32_t kDefaultSongResetGap = kDefaultResetGapMs;
constexpr int32_t kDefaultSongMessageGap = kDefaultMessageGapMs;
constexpr int32_t kMinSongGap = 0;
constexpr int32_t kMaxSongGap = kMaxSongGapMs;

// How the song command writes the tuning: as the SysEx of the listing, or as
// pitch bends for the players that ignore it.
constexpr int32_t kSongMethodSysex = 0;
constexpr int32_t kSongMethodPitchBend = 1;

// Tools → Play through: how the player's keyboard was last played through,
// as the settings keep it.
constexpr int32_t kPlayMethodTuningMessages = 0;
constexpr int32_t kPlayMethodPitchBend = 1;
constexpr int32_t kPlayMethodMpe = 2;
constexpr int32_t kPlayAllChannels = 0xFFFF;
constexpr int32_t kMaxPlayBendRange = 96;  // semitones; MPE's member channels go this far

struct PlayChoices {
    // The devices by name, as the file holds them (code page 932 bytes);
    // empty for none chosen.
    std::string inDevice;
    std::string outDevice;
    int32_t method = kPlayMethodPitchBend;
    int32_t outputChannels = kPlayAllChannels;  // bit n: output channel n + 1 may carry retuned notes
    int32_t bendRange = 0;                      // semitones; 0 for as wide as needed (MPE: its own 48)
    bool drumsUntouched = true;                 // channel 10 passes as it comes
    bool operator==(const PlayChoices& other) const {
        return inDevice == other.inDevice && outDevice == other.outDevice && method == other.method &&
               outputChannels == other.outputChannels && bendRange == other.bendRange &&
               drumsUntouched == other.drumsUntouched;
    }
};

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
    // The MIDI output device by name, as the file holds it (code page 932
    // bytes; the window converts them); empty for none.
    std::string midiOutDevice;
    int32_t sysexPause = kDefaultSysexPause;
    int32_t songResetGap = kDefaultSongResetGap;
    int32_t songMessageGap = kDefaultSongMessageGap;
    int32_t mtsForm = 0;  // the GM2 format's form, as MtsForm numbers it
    int32_t songMethod = kSongMethodSysex;
    // The interface's language: "ja", "en", or empty (any other text too)
    // for Windows' display language.
    std::string language;
    // Tools → MTS-ESP master was checked when the window closed: it is
    // turned on again at the next start.
    bool mtsEspMaster = false;
    PlayChoices play;
};

int32_t clampMidiFormat(int32_t value);  // outside 0..2 becomes 0
int32_t clampDivision(int32_t value);    // 1..32767
int32_t clampDelta(int32_t value);       // 0..32767
int32_t clampSysexPause(int32_t value);  // 0..500
int32_t clampSongGap(int32_t value);     // 0..1000
int32_t clampMtsForm(int32_t value);     // outside 0..3 becomes 0

// Reads the twenty keys with their defaults and ranges. Top is looked up only
// when Left was found. An empty MidiOutDevice is no device.
AppSettings readAppSettings(const IniFile& settingsFile);

// Sets Left, Top, MidiFormat, MidiPartOrChannel, SysexEventDivision and
// SysexEventDelta in this order, each as "%d". Existing lines keep their place.
// Then MidiOutDevice (the name as it is) and SysexPause ("%d"), but each only
// when its value is not the default or the file has the key already: a file
// that never had them gets the same bytes as before they existed, and a user
// who goes back to no device keeps the line, as "MidiOutDevice=". Then
// SongResetGap, SongMessageGap, MtsForm and SongMethod ("%d"), Language
// (as it is) and MtsEspMaster ("1" or "0") by the same rule. Then the play
// through's PlayInDevice, PlayOutDevice (as they are), PlayMethod,
// PlayChannels, PlayBendRange and PlayDrums ("%d") by the same rule.
void writeAppSettings(IniFile& settingsFile, const AppSettings& settings);

// Whether the window speaks English: the Language setting when it is "ja"
// or "en", else English unless Windows' display language is Japanese.
bool chooseEnglishInterface(const std::string& languageSetting, bool windowsIsJapanese);
