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

extern HINSTANCE appInstance;
extern HWND mainWindow;  // null until the main dialog has been created

// While 0, refreshSysexView does nothing; bulk changes turn it off through an
// UpdatesScope (shell/UpdatesScope.h) and end with one refresh.
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

// The twelve offset edits as the listing reads them: each entry follows its
// edit's EN_CHANGE, also while updatesEnabled is 0; text that is no number
// gives an empty entry.
extern ScaleOffsets scaleOffsets;
// What the 音律 dialog, a preset or an opened file gave beyond the edits:
// each note's exact value in hundredths of a cent where the edit cannot show
// it (a fraction, or a key-based value beyond -64..63; empty: the edit's
// whole number), and the coarse tuning in semitones of an A4 shift
// the offsets could not hold. Writing the edits from elsewhere forgets both;
// typing into a note's edit makes that note whole again.
extern std::array<std::optional<int32_t>, 12> exactHundredths;
extern int32_t coarseSemitones;
// A keyboard tuning from the 音律 dialog (a scale twelve pitch classes cannot
// hold, or one laid on the keys by a keyboard map): while held, the listing
// sends it in the key-based forms instead of the edits, which are greyed;
// writing the edits from elsewhere forgets it. The names are the scale's and
// the map's, for the line that says what is held.
extern std::optional<KeyOffsets> keyboardKeys;
extern std::string keyboardScaleName;
extern std::string keyboardMapName;

// The messages of the last refresh and their hex text, which is what the
// listing shows (lines out of view may follow a moment later). The buffer
// holds the SysEx (sysexLength bytes), then in the key-based GM2 forms the
// program select of the ticked channels (channelMessageLength bytes): all of
// it is listed, saved in .mid and .txt, written into songs and sent; a .syx
// holds the SysEx alone.
extern uint8_t sysexBuffer[kSysexBufferSize];
extern uint32_t sysexLength;
extern uint32_t channelMessageLength;
extern ScaleDataBytes scaleDataBytes;
extern std::string sysexText;
inline uint32_t tuningMessagesLength() { return sysexLength + channelMessageLength; }
// The name a bulk dump carries: the preset last chosen or saved; empty for
// none, which names it "Velmarin".
extern std::string dumpPresetName;
