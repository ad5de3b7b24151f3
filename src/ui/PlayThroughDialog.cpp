#include "ui/PlayThroughDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "midiin/MidiInDevice.h"
#include "midiout/MidiDeviceLookup.h"
#include "play/PlaySession.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Resources.h"
#include "shell/WindowText.h"
#include "song/TuningBends.h"
#include "ui/GuardedDialogProc.h"
#include "ui/TuningReports.h"

namespace {

// The dialog's private message: lParam is a PlayEvent allocated with new,
// for onPlayEvent to take over.
constexpr UINT kPlayEventMessage = WM_APP + 0x50;
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusEveryMs = 250;

static_assert(IDS_PLAY_METHOD_LAST - IDS_PLAY_METHOD_FIRST == kPlayMethodMpe, "a list entry for every method");

HWND dialogWindow = nullptr;
std::unique_ptr<PlaySession> session;

// The devices present when the dialog opened; entry n of a list is device
// n, and a remembered device that is not among them gets one more entry.
struct DeviceList {
    std::vector<std::string> names;
    std::string missing;  // the remembered name shown after them; empty for none
};
DeviceList inputs, outputs;

std::vector<uint8_t> windowListing() { return {sysexBuffer, sysexBuffer + tuningMessagesLength()}; }

void setStatus(const std::string& text) { setItemText(dialogWindow, IDC_PLAY_STATUS, text); }

DeviceList fillDeviceList(HWND combo, std::vector<std::string> names, const std::string& remembered) {
    DeviceList list{std::move(names), {}};
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : list.names) addComboItem(combo, name);
    const MidiDeviceMatch match = findDeviceByName(list.names, remembered);
    WPARAM selected = match.status == MidiDeviceMatch::Status::Found ? match.index : 0;
    if (match.status == MidiDeviceMatch::Status::Missing) {
        list.missing = remembered;
        const std::string format = loadResourceString(IDS_MIDI_DEVICE_MISSING_ENTRY);
        std::vector<char> text(format.size() + remembered.size() + 1);
        std::snprintf(text.data(), text.size(), format.c_str(), remembered.c_str());
        addComboItem(combo, text.data());
        selected = list.names.size();
    }
    SendMessageW(combo, CB_SETCURSEL, selected, 0);
    return list;
}

void showChoices(HWND dialog, const PlayChoices& choices) {
    inputs = fillDeviceList(GetDlgItem(dialog, IDC_PLAY_IN_COMBO), platformMidiIn().listDevices().names,
                            choices.inDevice);
    outputs = fillDeviceList(GetDlgItem(dialog, IDC_PLAY_OUT_COMBO), platformMidiOut().listDevices().names,
                             choices.outDevice);
    HWND methods = GetDlgItem(dialog, IDC_PLAY_METHOD_COMBO);
    for (UINT id = IDS_PLAY_METHOD_FIRST; id <= IDS_PLAY_METHOD_LAST; ++id) addComboItem(methods, loadResourceString(id));
    SendMessageW(methods, CB_SETCURSEL, static_cast<WPARAM>(choices.method), 0);
    for (int n = 0; n < 16; ++n)
        CheckDlgButton(dialog, IDC_PLAY_CHANNEL_FIRST + n, (choices.outputChannels >> n) & 1 ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, IDC_PLAY_BEND_RANGE_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kMaxPlayBendRange, 0));
    SetDlgItemInt(dialog, IDC_PLAY_BEND_RANGE_EDIT, static_cast<UINT>(choices.bendRange), FALSE);
    CheckDlgButton(dialog, IDC_PLAY_DRUMS, choices.drumsUntouched ? BST_CHECKED : BST_UNCHECKED);
}

// The device an entry names: a present one, or the missing one's name.
std::string chosenName(HWND dialog, int comboId, const DeviceList& list) {
    const LRESULT entry = SendDlgItemMessageW(dialog, comboId, CB_GETCURSEL, 0, 0);
    if (entry < 0) return "";
    if (static_cast<std::size_t>(entry) < list.names.size()) return list.names[static_cast<std::size_t>(entry)];
    return list.missing;
}

PlayChoices readChoices(HWND dialog) {
    PlayChoices choices;
    choices.inDevice = chosenName(dialog, IDC_PLAY_IN_COMBO, inputs);
    choices.outDevice = chosenName(dialog, IDC_PLAY_OUT_COMBO, outputs);
    choices.method = static_cast<int32_t>(SendDlgItemMessageW(dialog, IDC_PLAY_METHOD_COMBO, CB_GETCURSEL, 0, 0));
    if (choices.method < 0) choices.method = kPlayMethodPitchBend;
    choices.outputChannels = 0;
    for (int n = 0; n < 16; ++n)
        if (IsDlgButtonChecked(dialog, IDC_PLAY_CHANNEL_FIRST + n) == BST_CHECKED) choices.outputChannels |= 1 << n;
    BOOL translated = FALSE;
    const UINT range = GetDlgItemInt(dialog, IDC_PLAY_BEND_RANGE_EDIT, &translated, FALSE);
    choices.bendRange = translated && range <= kMaxPlayBendRange ? static_cast<int32_t>(range) : 0;
    choices.drumsUntouched = IsDlgButtonChecked(dialog, IDC_PLAY_DRUMS) == BST_CHECKED;
    return choices;
}

// While playing, the choices it started with stand: only Stop is offered.
void showPlaying(bool playing) {
    for (int id : {IDC_PLAY_IN_COMBO, IDC_PLAY_OUT_COMBO, IDC_PLAY_METHOD_COMBO, IDC_PLAY_BEND_RANGE_EDIT,
                   IDC_PLAY_BEND_RANGE_SPIN, IDC_PLAY_DRUMS, IDC_PLAY_START})
        EnableWindow(GetDlgItem(dialogWindow, id), !playing);
    for (int id = IDC_PLAY_CHANNEL_FIRST; id <= IDC_PLAY_CHANNEL_LAST; ++id)
        EnableWindow(GetDlgItem(dialogWindow, id), !playing);
    EnableWindow(GetDlgItem(dialogWindow, IDC_PLAY_STOP), playing);
    // The focus leaves a control as it greys (and stays where it is elsewhere).
    const HWND focus = GetFocus();
    if (focus && GetParent(focus) == dialogWindow && !IsWindowEnabled(focus)) SetFocus(GetDlgItem(dialogWindow, playing ? IDC_PLAY_STOP : IDC_PLAY_START));
}

void showFigures() {
    if (!session) return;
    const RetuneStatistics figures = session->statistics();
    const std::string held = std::to_string(figures.notesHeld);
    const std::string channels = std::to_string(figures.channelsInUse);
    const std::string played = std::to_string(figures.notesPlayed);
    if (figures.offPitchNotes == 0) {
        setStatus(fillIn(loadResourceString(IDS_PLAY_STATUS), {held, channels, played}));
        return;
    }
    char miss[32];
    std::snprintf(miss, sizeof miss, "%.1f", figures.largestMissCents);
    setStatus(fillIn(loadResourceString(IDS_PLAY_STATUS_OFF_PITCH),
                     {held, channels, played, std::to_string(figures.offPitchNotes), miss}));
}

// Every note ends through the engine, then the devices close; the last
// figures stay in the status line unless a failure took its place.
void stopPlaying(bool keepStatus) {
    if (!session) return;
    KillTimer(dialogWindow, kStatusTimer);
    session->stop();
    const uint64_t played = session->statistics().notesPlayed;
    session.reset();
    if (!keepStatus) setStatus(fillIn(loadResourceString(IDS_PLAY_STOPPED), {std::to_string(played)}));
    showPlaying(false);
}

// Runs on the worker's thread: hands a copy of the event to the dialog.
void postEvent(HWND dialog, const PlayEvent& event) {
    auto copy = std::make_unique<PlayEvent>(event);
    if (PostMessageW(dialog, kPlayEventMessage, 0, reinterpret_cast<LPARAM>(copy.get()))) copy.release();
}

void startPlaying(HWND dialog) {
    const PlayChoices choices = readChoices(dialog);
    const MidiDeviceMatch in = findDeviceByName(inputs.names, choices.inDevice);
    const MidiDeviceMatch out = findDeviceByName(outputs.names, choices.outDevice);
    if (in.status == MidiDeviceMatch::Status::None || out.status == MidiDeviceMatch::Status::None) {
        setStatus(loadResourceString(IDS_PLAY_CHOOSE_DEVICES));
        return;
    }
    if (in.status != MidiDeviceMatch::Status::Found || out.status != MidiDeviceMatch::Status::Found) {
        const std::string& gone = in.status != MidiDeviceMatch::Status::Found ? choices.inDevice : choices.outDevice;
        setStatus(fillIn(loadResourceString(IDS_PLAY_DEVICE_MISSING), {gone}));
        return;
    }
    playChoices = choices;
    setStatus(loadResourceString(IDS_PLAY_STARTING));
    showPlaying(true);
    session = std::make_unique<PlaySession>(platformMidiIn(), in.index, platformMidiOut(), out.index,
                                            retuneOptionsOf(choices), liveRetuneTuning(currentTuning),
                                            windowListing(), [dialog](const PlayEvent& event) { postEvent(dialog, event); });
    SetTimer(dialog, kStatusTimer, kStatusEveryMs, nullptr);
}

// A failure in the status line: what failed, then the system's text for it.
void showFailure(const PlayFailure& failure) {
    // The choices playing started with, which the dialog keeps while it plays.
    const std::string& device =
        failure.device == PlayFailure::Device::Input ? playChoices.inDevice : playChoices.outDevice;
    const UINT lead = failure.step == PlayFailure::Step::Open ? IDS_PLAY_OPEN_FAILED : IDS_PLAY_DEVICE_FAILED;
    std::string reason = failure.text;
    if (reason.empty()) {
        char code[64];
        std::snprintf(code, sizeof code, loadResourceString(IDS_MIDI_ERROR_CODE).c_str(),
                      static_cast<unsigned>(failure.code));
        reason = code;
    }
    setStatus(fillIn(loadResourceString(lead), {device}) + "\n" + reason);
}

void onPlayEvent(LPARAM lParam) {
    const std::unique_ptr<PlayEvent> event(reinterpret_cast<PlayEvent*>(lParam));
    if (!event || !session) return;
    switch (event->kind) {
    case PlayEvent::Kind::Started: showFigures(); break;
    case PlayEvent::Kind::Failed:
        KillTimer(dialogWindow, kStatusTimer);
        showFailure(event->failure);
        break;
    case PlayEvent::Kind::Stopped: stopPlaying(event->failed); break;
    case PlayEvent::Kind::Lost: break;
    }
}

void onDestroy() {
    stopPlaying(true);
    MSG message;
    while (PeekMessageW(&message, dialogWindow, kPlayEventMessage, kPlayEventMessage, PM_REMOVE))
        delete reinterpret_cast<PlayEvent*>(message.lParam);
    dialogWindow = nullptr;
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        dialogWindow = dialog;
        showChoices(dialog, playChoices);
        setStatus(loadResourceString(IDS_PLAY_IDLE));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PLAY_START: startPlaying(dialog); break;
        case IDC_PLAY_STOP: stopPlaying(false); break;
        case IDCANCEL: DestroyWindow(dialog); break;
        default: break;
        }
        return TRUE;
    case WM_TIMER:
        if (wParam == kStatusTimer) showFigures();
        return TRUE;
    case kPlayEventMessage:
        onPlayEvent(lParam);
        return TRUE;
    case WM_DESTROY:
        onDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK playThroughDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return guardedDialogCall<handleMessage>(dialog, message, wParam, lParam);
}

}  // namespace

void showPlayThroughDialog(HWND owner) {
    if (!dialogWindow) createDialog(IDD_PLAY_THROUGH, owner, playThroughDialogProc);
    if (!dialogWindow) return;
    ShowWindow(dialogWindow, SW_SHOW);
    SetForegroundWindow(dialogWindow);
}

bool isPlayThroughDialogMessage(MSG& message) {
    return dialogWindow && IsDialogMessageW(dialogWindow, &message);
}

void retunePlayThrough() {
    if (session) session->changeTuning(liveRetuneTuning(currentTuning), windowListing());
}

void endPlayThrough() {
    if (dialogWindow) DestroyWindow(dialogWindow);
}
