#include "shell/AppState.h"

#include "base/Cp932Text.h"
#include "settings/PresetMerge.h"
#include "shell/MessageBoxes.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
int32_t updatesEnabled = 1;

IniFile presetFile;
IniFile settingsFile;

int32_t midiFormat = 0;
int32_t midiPartOrChannel = 0;
int32_t sysexEventDivision = kDefaultDivision;
int32_t sysexEventDelta = kDefaultDelta;
RECT windowRect = {};
std::string midiOutDevice;
int32_t sysexPause = kDefaultSysexPause;
int32_t songResetGap = kDefaultSongResetGap;
int32_t songMessageGap = kDefaultSongMessageGap;
int32_t songMethod = kSongMethodSysex;
int32_t mtsForm = 0;
std::string languageSetting;
bool mtsEspMasterChosen = false;
PlayChoices playChoices;

HWND sysexEdit = nullptr;
std::array<HWND, 3> saveButtons = {};
HWND presetCombo = nullptr;
std::array<HWND, 16> partCheckBoxes = {};
HMENU mainMenu = nullptr;

Tuning currentTuning;

// The SysEx and the program select after it fit with room to spare.
static_assert(kLargestSysexList + kLargestChannelList <= kSysexBufferSize, "sysexBuffer holds every tuning");
uint8_t sysexBuffer[kSysexBufferSize] = {};
uint32_t sysexLength = 0;
std::string sysexText;
uint32_t channelMessageLength = 0;
std::string dumpPresetName;

void applyAppSettings(const AppSettings& settings) {
    midiFormat = settings.midiFormat;
    midiPartOrChannel = settings.midiPartOrChannel;
    sysexEventDivision = settings.sysexEventDivision;
    sysexEventDelta = settings.sysexEventDelta;
    midiOutDevice = utf8FromCp932(settings.midiOutDevice);
    sysexPause = settings.sysexPause;
    songResetGap = settings.songResetGap;
    songMessageGap = settings.songMessageGap;
    songMethod = settings.songMethod;
    mtsForm = settings.mtsForm;
    languageSetting = settings.language;
    mtsEspMasterChosen = settings.mtsEspMaster;
    playChoices = settings.play;
    playChoices.inDevice = utf8FromCp932(settings.play.inDevice);
    playChoices.outDevice = utf8FromCp932(settings.play.outDevice);
}

AppSettings collectAppSettings() {
    AppSettings settings;
    settings.hasPosition = true;
    settings.left = windowRect.left;
    settings.top = windowRect.top;
    settings.midiFormat = midiFormat;
    settings.midiPartOrChannel = midiPartOrChannel;
    settings.sysexEventDivision = sysexEventDivision;
    settings.sysexEventDelta = sysexEventDelta;
    // A device name that code page 932 cannot hold is kept as UTF-8: no
    // other device's name is written in its place.
    if (!cp932FromUtf8(midiOutDevice, settings.midiOutDevice)) settings.midiOutDevice = midiOutDevice;
    settings.sysexPause = sysexPause;
    settings.songResetGap = songResetGap;
    settings.songMessageGap = songMessageGap;
    settings.songMethod = songMethod;
    settings.mtsForm = mtsForm;
    settings.language = languageSetting;
    settings.mtsEspMaster = mtsEspMasterChosen;
    settings.play = playChoices;
    // As MidiOutDevice: a name code page 932 cannot hold stays UTF-8.
    if (!cp932FromUtf8(playChoices.inDevice, settings.play.inDevice)) settings.play.inDevice = playChoices.inDevice;
    if (!cp932FromUtf8(playChoices.outDevice, settings.play.outDevice)) settings.play.outDevice = playChoices.outDevice;
    return settings;
}

namespace {
bool settingsSaved = false;
}  // namespace

void saveSettings() {
    if (settingsSaved) return;
    settingsSaved = true;
    // A file that could not be read at start is left alone, as it was
    // (IniFile::save gives that load's error); a write that fails is told.
    SystemError error = savePresetFile(presetFile);
    if (error == presetFile.loadError()) error = 0;
    writeAppSettings(settingsFile, collectAppSettings());
    const SystemError settingsError = settingsFile.save();
    if (error == 0 && settingsError != settingsFile.loadError()) error = settingsError;
    reportSystemError(mainWindow, error);
}
