#include "ui/MainDialog.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "resource.h"
#include "settings/AppSettings.h"
#include "settings/Presets.h"
#include "shell/AppState.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "shell/UpdatesScope.h"
#include "shell/WindowText.h"
#include "tuning/ResolveTuning.h"
#include "ui/AboutDialog.h"
#include "ui/ExactMarks.h"
#include "ui/KeyboardLine.h"
#include "ui/GuardedDialogProc.h"
#include "ui/HandedFiles.h"
#include "ui/ListingEdit.h"
#include "ui/ListingLook.h"
#include "ui/MidiSendCommands.h"
#include "ui/MtsEspMasterCommand.h"
#include "ui/OpenCommand.h"
#include "ui/OptionsDialog.h"
#include "ui/PlayThroughDialog.h"
#include "ui/PresetCommands.h"
#include "ui/SaveCommands.h"
#include "ui/SongCommand.h"
#include "ui/SysexView.h"
#include "ui/TemperamentDialog.h"
#include "ui/TuningChanges.h"

namespace {

constexpr int kOffsetCount = 12;
constexpr int32_t kAllParts = 0xFFFF;

HFONT sysexFont = nullptr;
ListingColours listingColours;
WNDPROC sysexEditProc = nullptr;
std::array<WNDPROC, kOffsetCount> offsetEditProcs = {};
std::string partLabelText;  // the current text of label 1048

bool isOffsetEdit(int id) { return id >= IDC_OFFSET_FIRST && id <= IDC_OFFSET_LAST; }

// Ctrl+A selects all text; every other message goes to the edit's own
// procedure, the listing's once its lines out of view are shown.
LRESULT CALLBACK editKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    if (edit == sysexEdit && !handledWithoutCatchUp(message)) catchUpListing();
    if (message == WM_KEYDOWN && wParam == 'A') {
        const bool firstPress = (lParam & (1L << 30)) == 0;
        if (firstPress && GetKeyState(VK_CONTROL) < 0) SendMessageA(edit, EM_SETSEL, 0, -1);
        return 0;  // typed letters still arrive as WM_CHAR
    }
    const int id = GetDlgCtrlID(edit);
    const WNDPROC original =
        edit == sysexEdit || !isOffsetEdit(id) ? sysexEditProc : offsetEditProcs[id - IDC_OFFSET_FIRST];
    return CallWindowProcW(original, edit, message, wParam, lParam);
}

WNDPROC subclass(HWND control) {
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editKeyProc)));
}


void onInitDialog(HWND dialog) {
    sysexEdit = GetDlgItem(dialog, IDC_SYSEX_EDIT);
    saveButtons = {GetDlgItem(dialog, IDC_SAVE_SMF), GetDlgItem(dialog, IDC_SAVE_BINARY),
                   GetDlgItem(dialog, IDC_SAVE_TEXT)};
    presetCombo = GetDlgItem(dialog, IDC_PRESET_COMBO);
    sysexFont = makeListingFont(sysexEdit);
    listingColours = ListingColours::fetch();
    // The template names the menu by number, which the dialog manager loads
    // in a language of its own choice.
    if (HMENU menu = loadUiMenu(IDR_MAIN_MENU)) {
        HMENU templateMenu = GetMenu(dialog);
        SetMenu(dialog, menu);
        if (templateMenu) DestroyMenu(templateMenu);
    }
    mainMenu = GetMenu(dialog);
    // What DragAcceptFiles does, without loading shell32 at every start.
    SetWindowLongPtrA(dialog, GWL_EXSTYLE, GetWindowLongPtrA(dialog, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);

    for (int k = 0; k < kOffsetCount; ++k) {
        SendDlgItemMessageA(dialog, IDC_OFFSET_SPIN_FIRST + k, UDM_SETRANGE, 0,
                            MAKELPARAM(kMaxOffset, static_cast<WORD>(kMinOffset)));
        SendDlgItemMessageA(dialog, IDC_OFFSET_FIRST + k, EM_LIMITTEXT, 4, 0);
        offsetEditProcs[k] = subclass(GetDlgItem(dialog, IDC_OFFSET_FIRST + k));
    }

    const AppSettings settings = readAppSettings(settingsFile);
    applyAppSettings(settings);
    HWND formatCombo = GetDlgItem(dialog, IDC_FORMAT_COMBO);
    for (const char* name : {"GS (Roland)", "XG (Yamaha)", "GM2 (General MIDI level 2)"})
        SendMessageA(formatCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(formatCombo, CB_SETCURSEL, static_cast<WPARAM>(midiFormat), 0);
    // Selecting by program sends no notification; send the one a user's
    // choice would, so the label follows.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FORMAT_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(formatCombo));

    for (int n = 0; n < 16; ++n) {
        partCheckBoxes[n] = GetDlgItem(dialog, IDC_PART_FIRST + n);
        if (static_cast<uint32_t>(midiPartOrChannel) & (1u << n))
            SendMessageA(partCheckBoxes[n], BM_SETCHECK, BST_CHECKED, 0);
    }
    fillPresetList();
    createExactMarks(dialog);
    createKeyboardLine(dialog);
    // The tuning the window starts with: the edits' as the template gives them.
    currentTuning = tuningOfEdits(readScaleOffsets(dialog), {}, 0);
    sysexEditProc = subclass(sysexEdit);

    // The stored position is used as it is, even off every screen.
    if (settings.hasPosition)
        SetWindowPos(dialog, nullptr, settings.left, settings.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(dialog, &windowRect);
}

// Text that is no number, or out of range, is replaced by the value the
// listing already uses for it, so no refresh is needed.
void correctOffsetEdit(HWND dialog, int id) {
    UpdatesScope noUpdates(updatesEnabled);
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    if (!translated)
        SetDlgItemTextA(dialog, id, "0");
    else if (value < kMinOffset)
        SetDlgItemTextA(dialog, id, "-64");
    else if (value > kMaxOffset)
        SetDlgItemTextA(dialog, id, "63");
}

void onFormatChange(HWND dialog) {
    midiFormat = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_FORMAT_COMBO, CB_GETCURSEL, 0, 0));
    if (midiFormat == static_cast<int32_t>(TuningFormat::GM2))
        partLabelText = loadResourceString(IDS_LABEL_CHANNEL);
    else if (midiFormat == static_cast<int32_t>(TuningFormat::GS) ||
             midiFormat == static_cast<int32_t>(TuningFormat::XG))
        partLabelText = loadResourceString(IDS_LABEL_PART);
    setItemText(dialog, IDC_PART_LABEL, partLabelText);
    refreshSysexView();
}

void onPartClicked(int n) {
    const uint32_t bit = 1u << n;
    uint32_t mask = static_cast<uint32_t>(midiPartOrChannel);
    if (SendMessageA(partCheckBoxes[n], BM_GETCHECK, 0, 0) == BST_CHECKED)
        mask |= bit;
    else
        mask &= ~bit;
    midiPartOrChannel = static_cast<int32_t>(mask);
    refreshSysexView();
}

void setAllParts(bool ticked) {
    {
        UpdatesScope noUpdates(updatesEnabled);
        midiPartOrChannel = ticked ? kAllParts : 0;
        for (HWND box : partCheckBoxes)
            SendMessageA(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    refreshSysexView();
}

void openManual(HWND dialog) {
    const std::string path = helpFilePath();
    if (path.empty()) {
        // The program's folder is too deep for the document's path.
        reportSystemError(dialog, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    shellOpen(path.c_str(), dialog);
}

void onCommand(HWND dialog, int id, int notification) {
    if (isOffsetEdit(id)) {
        if (notification == EN_CHANGE)
            followOffsetEdit(id - IDC_OFFSET_FIRST, readScaleOffset(dialog, id));
        else if (notification == EN_KILLFOCUS)
            correctOffsetEdit(dialog, id);
        return;
    }
    if (id >= IDC_PART_FIRST && id <= IDC_PART_LAST) {
        onPartClicked(id - IDC_PART_FIRST);
        return;
    }
    switch (id) {
    case IDC_PRESET_COMBO:
        if (notification == CBN_SELCHANGE) pickPreset();
        break;
    case IDC_PRESET_SAVE: savePreset(); break;
    case IDC_PRESET_DELETE: deletePreset(); break;
    case IDC_FORMAT_COMBO:
        if (notification == CBN_SELCHANGE) onFormatChange(dialog);
        break;
    case IDC_CHECK_ALL: setAllParts(true); break;
    case IDC_UNCHECK_ALL: setAllParts(false); break;
    case IDM_OPEN: openTuningFile(); break;
    case IDC_SAVE_SMF:
    case IDM_SAVE_SMF: saveAsSmf(); break;
    case IDC_SAVE_BINARY:
    case IDM_SAVE_BINARY: saveAsBinary(); break;
    case IDC_SAVE_TEXT:
    case IDM_SAVE_TEXT: saveAsText(); break;
    case IDM_APPLY_TO_SONG: runSongCommand(); break;
    case IDM_TEMPERAMENT: showTemperamentDialog(dialog); break;
    case IDM_SEND_MIDI: sendListingOnce(dialog); break;
    case IDM_LIVE_SEND: toggleLiveSending(dialog); break;
    case IDM_MTSESP_MASTER: toggleMtsEspMaster(dialog); break;
    case IDM_PLAY_THROUGH: showPlayThroughDialog(dialog); break;
    case IDM_OPTIONS:
        showDialog(IDD_OPTIONS, dialog, optionsDialogProc);
        break;
    case IDM_ABOUT:
        showDialog(IDD_ABOUT, dialog, aboutDialogProc);
        break;
    case IDM_EXIT: SendMessageA(dialog, WM_CLOSE, 0, 0); break;
    case IDM_MANUAL: openManual(dialog); break;
    default: break;  // IDOK and IDCANCEL (Enter, Escape) do nothing
    }
}

// Puts back the procedure a control had before subclass(); nothing for a
// control that was never subclassed (an initialisation that stopped early).
void unsubclass(HWND control, WNDPROC& original) {
    if (!original) return;
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    original = nullptr;
}

void onDestroy(HWND dialog) {
    unsubclass(sysexEdit, sysexEditProc);
    for (int k = 0; k < kOffsetCount; ++k)
        unsubclass(GetDlgItem(dialog, IDC_OFFSET_FIRST + k), offsetEditProcs[k]);
    if (sysexFont) {
        DeleteObject(sysexFont);
        sysexFont = nullptr;
    }
    endPlayThrough();
    stopMidiSending();
    endMtsEspMaster();
    PostQuitMessage(0);
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog);
        return TRUE;  // focus to the first tab stop, the preset list
    case WM_COMMAND:
        onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_CTLCOLORSTATIC:
        // The read-only listing would get the grey dialog background.
        if (reinterpret_cast<HWND>(lParam) == sysexEdit && listingColours.brush)
            return listingColours.paint(reinterpret_cast<HDC>(wParam));
        return FALSE;
    case WM_SYSCOLORCHANGE:
        listingColours = ListingColours::fetch();
        return FALSE;
    case WM_EXITSIZEMOVE:
        GetWindowRect(dialog, &windowRect);
        return FALSE;
    case WM_QUERYENDSESSION:
        // A dialog procedure gives a message's result through DWLP_MSGRESULT.
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_ENDSESSION:
        // Logging off or shutting down may end the process without WM_CLOSE:
        // the settings remember the master on, then it leaves the session;
        // no note is left sounding.
        if (wParam) {
            saveSettings();
            endPlayThrough();
            endMtsEspMaster();
        }
        return FALSE;
    case WM_CLOSE:
        saveSettings();
        DestroyWindow(dialog);
        return FALSE;
    case WM_DESTROY:
        onDestroy(dialog);
        return FALSE;
    case WM_TIMER:
        if (wParam == kMtsEspClientTimer) countMtsEspClients();
        return FALSE;
    case kSendEventMessage:
        onSendEvent(dialog, lParam);
        return TRUE;
    case WM_DROPFILES:
        openDroppedFile(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK mainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return guardedDialogCall<handleMessage>(dialog, message, wParam, lParam);
}
