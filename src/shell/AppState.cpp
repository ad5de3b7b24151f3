#include "shell/AppState.h"

#include "settings/AppSettings.h"

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

HWND sysexEdit = nullptr;
std::array<HWND, 3> saveButtons = {};
HWND presetCombo = nullptr;
std::array<HWND, 16> partCheckBoxes = {};
HMENU mainMenu = nullptr;

uint8_t sysexBuffer[kSysexBufferSize] = {};
uint32_t sysexLength = 0;
ScaleDataBytes scaleDataBytes = {};
std::string sysexText;
