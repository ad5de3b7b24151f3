// Program-wide state shared by the window procedures. Everything here lives
// for the whole run and is touched by the user-interface thread only.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"
#include "tuning/Tuning.h"

extern HINSTANCE appInstance;
extern HWND mainWindow;  // null until the main dialog has been created

// While 0, refreshSysexView and tuningChanged do nothing; bulk changes turn
// it off through an UpdatesScope (shell/UpdatesScope.h) and end with one
// refresh.
extern int32_t updatesEnabled;

extern IniFile presetFile;    // Preset.ini
extern IniFile settingsFile;  // Velmarin.ini

// The values kept in [AppSetting].
extern int32_t midiFormat;
extern int32_t midiPartOrChannel;
extern int32_t sysexEventDivision;
extern int32_t sysexEventDelta;
extern RECT windowRect;
extern std::string midiOutDevice;  // by name, UTF-8; empty for none
extern int32_t sysexPause;         // milliseconds between messages sent
extern int32_t songResetGap;       // milliseconds from a song's reset to its tuning
extern int32_t songMessageGap;     // milliseconds between the tuning's messages in a song
extern int32_t songMethod;         // kSongMethodSysex or kSongMethodPitchBend
extern int32_t mtsForm;            // the GM2 format's form, as MtsForm numbers it
extern std::string languageSetting;  // the Language key as AppSettings reads it
// Tools → MTS-ESP master is checked (the MtsEspMaster key): the user's
// choice, which the master's deregistering as the window goes keeps.
extern bool mtsEspMasterChosen;
// Tools → Play through: the choices last started with (device names UTF-8).
extern PlayChoices playChoices;

// Puts the settings read at start-up into the values above: the dialect, the
// parts or channels, the two timing values, the MIDI output choice and the
// two gaps of writing into songs. The window position is the main dialog's to apply; windowRect is captured from
// the window itself.
void applyAppSettings(const AppSettings& settings);
// The values above as settings, the position taken from windowRect.
AppSettings collectAppSettings();
// Writes Preset.ini (merged with another copy's changes when the file changed
// since start), then the [AppSetting] keys into Velmarin.ini. Once per run:
// after the session's end has saved, the close that may follow writes
// nothing again.
// A file that cannot be written is reported, once, over the main window.
void saveSettings();

// Main-dialog controls other modules work on.
extern HWND sysexEdit;
extern std::array<HWND, 3> saveButtons;  // MIDI file, raw SysEx, text
extern HWND presetCombo;
extern std::array<HWND, 16> partCheckBoxes;  // entry n belongs to bit n
extern HMENU mainMenu;

// The window's tuning: what the listing, the saves, sending and the song
// command take. The twelve edits show its twelve pitch classes (greyed
// while it is a keyboard tuning, still showing what they showed), the marks
// beside them its exact hundredths, the keyboard line its origin. It is
// changed only through ui/TuningChanges.h, which tells every change in one
// place (tuningChanged).
extern Tuning currentTuning;

// The messages of the last refresh and their hex text, which is what the
// listing shows (lines out of view may follow a moment later). The buffer
// holds the SysEx (sysexLength bytes), then in the key-based GM2 forms the
// program select of the ticked channels (channelMessageLength bytes): all of
// it is listed, saved in .mid and .txt, written into songs and sent; a .syx
// holds the SysEx alone.
extern uint8_t sysexBuffer[kSysexBufferSize];
extern uint32_t sysexLength;
extern uint32_t channelMessageLength;
extern std::string sysexText;
inline uint32_t tuningMessagesLength() { return sysexLength + channelMessageLength; }
// The name a bulk dump carries: the preset last chosen or saved; empty for
// none, which names it "Velmarin".
extern std::string dumpPresetName;
