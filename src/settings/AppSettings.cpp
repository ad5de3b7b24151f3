#include "settings/AppSettings.h"

#include "settings/NumberText.h"
#include "sysex/MtsForms.h"

namespace {

int32_t readNumber(const IniFile& file, const char* key, const char* defaultText) {
    return parseIniInt(file.getValueOr(kAppSettingSection, key, defaultText));
}

}  // namespace

int32_t clampMidiFormat(int32_t value) { return value < 0 || value > 2 ? 0 : value; }
int32_t clampDivision(int32_t value) { return clampInt(value, kMinDivision, kMaxDivision); }
int32_t clampDelta(int32_t value) { return clampInt(value, kMinDelta, kMaxDelta); }
int32_t clampSysexPause(int32_t value) { return clampInt(value, kMinSysexPause, kMaxSysexPause); }
int32_t clampSongGap(int32_t value) { return clampInt(value, kMinSongGap, kMaxSongGap); }
int32_t clampMtsForm(int32_t value) { return value < 0 || value >= kMtsFormCount ? 0 : value; }

AppSettings readAppSettings(const IniFile& settingsFile) {
    AppSettings settings;
    settings.midiFormat = clampMidiFormat(readNumber(settingsFile, "MidiFormat", "0"));
    settings.midiPartOrChannel = readNumber(settingsFile, "MidiPartOrChannel", "0");
    settings.sysexEventDivision =
        clampDivision(readNumber(settingsFile, "SysexEventDivision", "120"));
    settings.sysexEventDelta = clampDelta(readNumber(settingsFile, "SysexEventDelta", "0"));
    settings.midiOutDevice = settingsFile.getValueOr(kAppSettingSection, "MidiOutDevice", "");
    settings.sysexPause = clampSysexPause(readNumber(settingsFile, "SysexPause", "20"));
    settings.songResetGap = clampSongGap(readNumber(settingsFile, "SongResetGap", "100"));
    settings.songMessageGap = clampSongGap(readNumber(settingsFile, "SongMessageGap", "0"));
    settings.mtsForm = clampMtsForm(readNumber(settingsFile, "MtsForm", "0"));
    settings.songMethod = readNumber(settingsFile, "SongMethod", "0") == kSongMethodPitchBend ? kSongMethodPitchBend
                                                                                             : kSongMethodSysex;
    settings.language = settingsFile.getValueOr(kAppSettingSection, "Language", "");
    if (settings.language != "ja" && settings.language != "en") settings.language.clear();
    settings.mtsEspMaster = readNumber(settingsFile, "MtsEspMaster", "0") == 1;
    PlayChoices& play = settings.play;
    play.inDevice = settingsFile.getValueOr(kAppSettingSection, "PlayInDevice", "");
    play.outDevice = settingsFile.getValueOr(kAppSettingSection, "PlayOutDevice", "");
    play.method = readNumber(settingsFile, "PlayMethod", "1");
    if (play.method < kPlayMethodTuningMessages || play.method > kPlayMethodMpe) play.method = kPlayMethodPitchBend;
    play.outputChannels = readNumber(settingsFile, "PlayChannels", "65535") & kPlayAllChannels;
    play.bendRange = clampInt(readNumber(settingsFile, "PlayBendRange", "0"), 0, kMaxPlayBendRange);
    play.drumsUntouched = readNumber(settingsFile, "PlayDrums", "1") != 0;

    std::string left, top;
    if (settingsFile.getValue(kAppSettingSection, "Left", left) &&
        settingsFile.getValue(kAppSettingSection, "Top", top)) {
        settings.hasPosition = true;
        settings.left = parseIniInt(left);
        settings.top = parseIniInt(top);
    }
    return settings;
}

void writeAppSettings(IniFile& settingsFile, const AppSettings& settings) {
    const struct {
        const char* key;
        int32_t value;
    } entries[] = {
        {"Left", settings.left},
        {"Top", settings.top},
        {"MidiFormat", settings.midiFormat},
        {"MidiPartOrChannel", settings.midiPartOrChannel},
        {"SysexEventDivision", settings.sysexEventDivision},
        {"SysexEventDelta", settings.sysexEventDelta},
    };
    for (const auto& entry : entries)
        settingsFile.setValue(kAppSettingSection, entry.key, formatIniInt(entry.value));

    std::string unused;
    const auto setUnlessDefault = [&](const char* key, const std::string& value, bool isDefault) {
        if (!isDefault || settingsFile.getValue(kAppSettingSection, key, unused))
            settingsFile.setValue(kAppSettingSection, key, value);
    };
    setUnlessDefault("MidiOutDevice", settings.midiOutDevice, settings.midiOutDevice.empty());
    setUnlessDefault("SysexPause", formatIniInt(settings.sysexPause),
                     settings.sysexPause == kDefaultSysexPause);
    setUnlessDefault("SongResetGap", formatIniInt(settings.songResetGap),
                     settings.songResetGap == kDefaultSongResetGap);
    setUnlessDefault("SongMessageGap", formatIniInt(settings.songMessageGap),
                     settings.songMessageGap == kDefaultSongMessageGap);
    setUnlessDefault("MtsForm", formatIniInt(settings.mtsForm), settings.mtsForm == 0);
    setUnlessDefault("SongMethod", formatIniInt(settings.songMethod), settings.songMethod == kSongMethodSysex);
    setUnlessDefault("Language", settings.language, settings.language.empty());
    setUnlessDefault("MtsEspMaster", settings.mtsEspMaster ? "1" : "0", !settings.mtsEspMaster);
    const PlayChoices& play = settings.play;
    const PlayChoices unset;
    setUnlessDefault("PlayInDevice", play.inDevice, play.inDevice.empty());
    setUnlessDefault("PlayOutDevice", play.outDevice, play.outDevice.empty());
    setUnlessDefault("PlayMethod", formatIniInt(play.method), play.method == unset.method);
    setUnlessDefault("PlayChannels", formatIniInt(play.outputChannels), play.outputChannels == unset.outputChannels);
    setUnlessDefault("PlayBendRange", formatIniInt(play.bendRange), play.bendRange == unset.bendRange);
    setUnlessDefault("PlayDrums", play.drumsUntouched ? "1" : "0", play.drumsUntouched);
}

bool chooseEnglishInterface(const std::string& languageSetting, bool windowsIsJapanese) {
    if (languageSetting == "ja") return false;
    if (languageSetting == "en") return true;
    return !windowsIsJapanese;
}
