#include "ui/OptionsDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "midiout/MidiDeviceLookup.h"
#include "midiout/MidiOutDevice.h"
#include "resource.h"
#include "settings/AppSettings.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/DialogControl.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "ui/GuardedDialogProc.h"
#include "ui/SysexView.h"

namespace {

// The devices present when the dialog opened; combo entry n + 1 is device n.
// A remembered device that is not among them gets one more entry after them.
std::vector<std::string> deviceNames;

// The number in an edit brought into its range; text that is no number, or
// is below the range, gives the lower bound.
int32_t clampedEditValue(HWND dialog, int id, int32_t lowest, int32_t highest) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    if (!translated || value < lowest) return lowest;
    return value > highest ? highest : value;
}

bool isSongGapEdit(int id) { return id == IDC_SONG_RESET_GAP_EDIT || id == IDC_SONG_MESSAGE_GAP_EDIT; }

int32_t lowestOf(int id) {
    if (isSongGapEdit(id)) return kMinSongGap;
    if (id == IDC_SYSEX_PAUSE_EDIT) return kMinSysexPause;
    return id == IDC_DIVISION_EDIT ? kMinDivision : kMinDelta;
}
int32_t highestOf(int id) {
    if (isSongGapEdit(id)) return kMaxSongGap;
    if (id == IDC_SYSEX_PAUSE_EDIT) return kMaxSysexPause;
    return id == IDC_DIVISION_EDIT ? kMaxDivision : kMaxDelta;
}

// Rewrites the edit only when its text is not already a number in range.
void correctEdit(HWND dialog, int id) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    const int32_t corrected = clampedEditValue(dialog, id, lowestOf(id), highestOf(id));
    if (!translated || value != corrected) SetDlgItemInt(dialog, id, static_cast<UINT>(corrected), TRUE);
}

void addDeviceEntry(HWND combo, const std::string& text) { addComboItem(combo, text); }

void fillDeviceList(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_MIDI_DEVICE_COMBO);
    deviceNames = platformMidiOut().listDevices().names;
    addDeviceEntry(combo, loadResourceString(IDS_MIDI_DEVICE_NONE));
    for (const std::string& name : deviceNames) addDeviceEntry(combo, name);
    const MidiDeviceMatch match = findDeviceByName(deviceNames, midiOutDevice);
    WPARAM selected = 0;
    if (match.status == MidiDeviceMatch::Status::Found) {
        selected = match.index + 1;
    } else if (match.status == MidiDeviceMatch::Status::Missing) {
        const std::string format = loadResourceString(IDS_MIDI_DEVICE_MISSING_ENTRY);
        std::vector<char> text(format.size() + midiOutDevice.size() + 1);
        std::snprintf(text.data(), text.size(), format.c_str(), midiOutDevice.c_str());
        addDeviceEntry(combo, text.data());
        selected = deviceNames.size() + 1;
    }
    SendMessageA(combo, CB_SETCURSEL, selected, 0);
}

static_assert(IDS_MTS_FORM_LAST - IDS_MTS_FORM_FIRST + 1 == kMtsFormCount, "a list entry for every form, in its order");

void fillMtsFormList(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_MTS_FORM_COMBO);
    for (UINT id = IDS_MTS_FORM_FIRST; id <= IDS_MTS_FORM_LAST; ++id)
        addComboItem(combo, loadResourceString(id));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(mtsForm), 0);
}

// The listing follows a new form at once; the same form rebuilds nothing.
void storeMtsForm(HWND dialog) {
    const LRESULT chosen = SendDlgItemMessageA(dialog, IDC_MTS_FORM_COMBO, CB_GETCURSEL, 0, 0);
    const int32_t form = clampMtsForm(static_cast<int32_t>(chosen));
    if (form == mtsForm) return;
    mtsForm = form;
    refreshSysexView();
}

// The interface language's row, added where the buttons stood so that the
// template stays as it is: a label and a list (as Windows, 日本語, English,
// in the order of kLanguageSettings), the buttons moved down to make room.
constexpr const char* kLanguageSettings[] = {"", "ja", "en"};
constexpr int kLanguageRowHeight = 26;  // dialog units

void addLanguageRow(HWND dialog) {
    RECT shift = {0, 0, 0, kLanguageRowHeight};
    MapDialogRect(dialog, &shift);
    int buttonsTop = 0;
    for (int id : {IDOK, IDCANCEL}) {
        HWND button = GetDlgItem(dialog, id);
        RECT place;
        GetWindowRect(button, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        buttonsTop = place.top;
        SetWindowPos(button, nullptr, place.left, place.top + shift.bottom, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT outer;
    GetWindowRect(dialog, &outer);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + shift.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // In dialog units from the top of the OK button.
    HWND label = addDialogControl(dialog, GetDlgItem(dialog, IDC_MTS_FORM_COMBO), L"STATIC", 0, -1, {6, -2, 162, 6},
                                  loadResourceString(IDS_LANGUAGE_LABEL), buttonsTop);
    HWND combo = addDialogControl(dialog, label, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                  IDC_LANGUAGE_COMBO, {6, 8, 162, 68}, "", buttonsTop);
    for (UINT id = IDS_LANGUAGE_AS_WINDOWS; id <= IDS_LANGUAGE_ENGLISH; ++id)
        addComboItem(combo, loadResourceString(id));
    WPARAM selected = 0;
    for (WPARAM k = 0; k < 3; ++k)
        if (languageSetting == kLanguageSettings[k]) selected = k;
    SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

// The choice takes effect at the next start; the window keeps its language.
void storeLanguage(HWND dialog) {
    const LRESULT chosen = SendDlgItemMessageW(dialog, IDC_LANGUAGE_COMBO, CB_GETCURSEL, 0, 0);
    if (chosen >= 0 && chosen <= 2) languageSetting = kLanguageSettings[chosen];
}

void onInitDialog(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_DIVISION_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kMaxDivision, kMinDivision));
    SendDlgItemMessageA(dialog, IDC_DELTA_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kMaxDelta, kMinDelta));
    SetDlgItemInt(dialog, IDC_DIVISION_EDIT, static_cast<UINT>(sysexEventDivision), TRUE);
    SetDlgItemInt(dialog, IDC_DELTA_EDIT, static_cast<UINT>(sysexEventDelta), TRUE);
    SendDlgItemMessageA(dialog, IDC_DIVISION_EDIT, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageA(dialog, IDC_DELTA_EDIT, EM_LIMITTEXT, 5, 0);
    fillDeviceList(dialog);
    SendDlgItemMessageA(dialog, IDC_SYSEX_PAUSE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kMaxSysexPause, kMinSysexPause));
    SetDlgItemInt(dialog, IDC_SYSEX_PAUSE_EDIT, static_cast<UINT>(sysexPause), TRUE);
    SendDlgItemMessageA(dialog, IDC_SYSEX_PAUSE_EDIT, EM_LIMITTEXT, 3, 0);
    const auto initSongGap = [dialog](int edit, int spin, int32_t value) {
        SendDlgItemMessageA(dialog, spin, UDM_SETRANGE, 0, MAKELPARAM(kMaxSongGap, kMinSongGap));
        SetDlgItemInt(dialog, edit, static_cast<UINT>(value), TRUE);
        SendDlgItemMessageA(dialog, edit, EM_LIMITTEXT, 4, 0);
    };
    initSongGap(IDC_SONG_RESET_GAP_EDIT, IDC_SONG_RESET_GAP_SPIN, songResetGap);
    initSongGap(IDC_SONG_MESSAGE_GAP_EDIT, IDC_SONG_MESSAGE_GAP_SPIN, songMessageGap);
    fillMtsFormList(dialog);
    CheckDlgButton(dialog, IDC_SONG_PITCH_BEND, songMethod == kSongMethodPitchBend ? BST_CHECKED : BST_UNCHECKED);
    addLanguageRow(dialog);
    centerWindow(nullptr, dialog);
}

// The chosen device's name: none for the first entry, the remembered name
// for the entry of a missing device.
std::string chosenDevice(HWND dialog) {
    const LRESULT entry = SendDlgItemMessageA(dialog, IDC_MIDI_DEVICE_COMBO, CB_GETCURSEL, 0, 0);
    if (entry <= 0) return {};
    const auto index = static_cast<std::size_t>(entry - 1);
    return index < deviceNames.size() ? deviceNames[index] : midiOutDevice;
}

INT_PTR onCommand(HWND dialog, int id, int notification) {
    switch (id) {
    case IDC_DIVISION_EDIT:
    case IDC_DELTA_EDIT:
    case IDC_SYSEX_PAUSE_EDIT:
    case IDC_SONG_RESET_GAP_EDIT:
    case IDC_SONG_MESSAGE_GAP_EDIT:
        if (notification != EN_KILLFOCUS) return FALSE;
        correctEdit(dialog, id);
        return TRUE;
    case IDC_RESET_DEFAULTS:
        SetDlgItemInt(dialog, IDC_DIVISION_EDIT, kDefaultDivision, TRUE);
        SetDlgItemInt(dialog, IDC_DELTA_EDIT, kDefaultDelta, TRUE);
        return FALSE;
    case IDOK:
        sysexEventDivision = clampedEditValue(dialog, IDC_DIVISION_EDIT, kMinDivision, kMaxDivision);
        sysexEventDelta = clampedEditValue(dialog, IDC_DELTA_EDIT, kMinDelta, kMaxDelta);
        sysexPause = clampedEditValue(dialog, IDC_SYSEX_PAUSE_EDIT, kMinSysexPause, kMaxSysexPause);
        midiOutDevice = chosenDevice(dialog);
        songResetGap = clampedEditValue(dialog, IDC_SONG_RESET_GAP_EDIT, kMinSongGap, kMaxSongGap);
        songMessageGap = clampedEditValue(dialog, IDC_SONG_MESSAGE_GAP_EDIT, kMinSongGap, kMaxSongGap);
        storeMtsForm(dialog);
        songMethod = IsDlgButtonChecked(dialog, IDC_SONG_PITCH_BEND) == BST_CHECKED ? kSongMethodPitchBend
                                                                                   : kSongMethodSysex;
        storeLanguage(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return guardedDialogCall<handleMessage>(dialog, message, wParam, lParam);
}
