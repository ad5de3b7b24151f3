#include "ui/SysexView.h"

#include <vector>

#include "resource.h"
#include "shell/AppState.h"
#include "sysex/HexListing.h"
#include "sysex/ListingDiff.h"
#include "ui/MidiSendCommands.h"

namespace {

// Redrawing of a control is off for the object's life; one repaint follows.
class RedrawPause {
public:
    explicit RedrawPause(HWND control) : control_(control) { SendMessageA(control_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause() {
        SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control_, nullptr, FALSE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND control_;
};

// Turns the listing's text (sysexText) into `text`. Replacing a run makes the
// edit scroll to the caret and lay out only the lines of the run, so the
// selection and then the first visible line are put back afterwards; setting
// the selection scrolls as well, hence that order. Under Wine each selection
// and replacement costs a caret scroll worth many lines of layout (sixteen
// runs took seven times a whole set), so all runs go into one replacement.
void showListing(const std::string& text) {
    const std::vector<TextEdit> edits = diffListing(sysexText, text, 0, 1);
    if (edits.empty()) return;

    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    SendMessageA(sysexEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                 reinterpret_cast<LPARAM>(&selectionEnd));
    const LRESULT firstLine = SendMessageA(sysexEdit, EM_GETFIRSTVISIBLELINE, 0, 0);

    RedrawPause pause(sysexEdit);
    if (edits.size() == 1 && edits.front().removed == sysexText.size()) {
        SetWindowTextA(sysexEdit, text.c_str());
    } else {
        for (const TextEdit& edit : edits) {
            SendMessageA(sysexEdit, EM_SETSEL, edit.start, edit.start + edit.removed);
            SendMessageA(sysexEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(edit.inserted.c_str()));
        }
    }
    SendMessageA(sysexEdit, EM_SETSEL, mapPosition(selectionStart, edits), mapPosition(selectionEnd, edits));
    const LRESULT nowFirst = SendMessageA(sysexEdit, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine) SendMessageA(sysexEdit, EM_LINESCROLL, 0, firstLine - nowFirst);
}

}  // namespace

std::optional<int32_t> readScaleOffset(HWND dialog, int id) {
    BOOL translated = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    return translated ? std::optional<int32_t>(value) : std::nullopt;
}

ScaleOffsets readScaleOffsets(HWND dialog) {
    ScaleOffsets offsets;
    for (int k = 0; k < 12; ++k) offsets[k] = readScaleOffset(dialog, IDC_OFFSET_FIRST + k);
    return offsets;
}

void setOffsetEdits(const std::array<int32_t, 12>& offsets) {
    for (int k = 0; k < 12; ++k)
        SetDlgItemInt(mainWindow, IDC_OFFSET_FIRST + k, static_cast<UINT>(offsets[k]), TRUE);
}

void refreshSysexView() {
    if (updatesEnabled == 0) return;

    std::string text;
    if (buildSysexList(static_cast<TuningFormat>(midiFormat), scaleOffsets,
                       static_cast<uint32_t>(midiPartOrChannel), scaleDataBytes, sysexBuffer,
                       sysexLength))
        text = formatHexListing(sysexBuffer, sysexLength);
    showListing(text);
    sysexText = std::move(text);

    const bool enabled = !sysexText.empty();
    for (HWND button : saveButtons) EnableWindow(button, enabled);
    for (UINT command : {IDM_SAVE_SMF, IDM_SAVE_BINARY, IDM_SAVE_TEXT})
        EnableMenuItem(mainMenu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));

    EnableMenuItem(mainMenu, IDM_SEND_MIDI, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    sendListingLive();
}
