#include "ui/MidiSendCommands.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "midiout/MidiDeviceLookup.h"
#include "midiout/SysexSender.h"
#include "resource.h"
#include "settings/AppSettings.h"
#include "shell/AppState.h"
#include "shell/MainTitle.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "ui/OptionsDialog.h"

static_assert(kDefaultSysexPause == kDefaultSysexPauseMs && kMaxSysexPause == kMaxSysexPauseMs,
              "the settings offer the engine's pause range");

namespace {

constexpr int64_t kProgressAfterMs = 500;

std::unique_ptr<SysexSender> engine;
bool stopped = false;  // stopMidiSending has run

bool liveSending = false;
std::string liveDeviceName;    // midiOutDevice when live sending last found its device
unsigned liveDeviceIndex = 0;  // the number it had then

std::string sendingDeviceName;  // for the error box of the current send

// Runs on the engine's thread: hands a copy of the event to the window.
void postEvent(const SendEvent& event) {
    auto copy = std::make_unique<SendEvent>(event);
    if (PostMessageA(mainWindow, kSendEventMessage, 0, reinterpret_cast<LPARAM>(copy.get())))
        copy.release();
}

SysexSender& sender() {
    if (!engine) engine = std::make_unique<SysexSender>(platformMidiOut(), postEvent);
    return *engine;
}

// `format` from the string table with one %s or two %u filled in.
template <class... Values>
std::string formatted(UINT formatId, Values... values) {
    const std::string format = loadResourceString(formatId);
    const int size = std::snprintf(nullptr, 0, format.c_str(), values...);
    if (size <= 0) return format;
    std::vector<char> text(static_cast<std::size_t>(size) + 1);
    std::snprintf(text.data(), text.size(), format.c_str(), values...);
    return text.data();
}

// True when the user wants the options opened to choose a device.
bool askToChooseDevice(HWND owner, MidiDeviceMatch::Status status) {
    const std::string text = status == MidiDeviceMatch::Status::None
                                 ? loadResourceString(IDS_MIDI_NO_DEVICE)
                                 : formatted(IDS_MIDI_DEVICE_MISSING, midiOutDevice.c_str());
    const std::string caption = loadResourceString(IDS_MIDI_CAPTION);
    const UINT icon = status == MidiDeviceMatch::Status::None ? MB_ICONINFORMATION : MB_ICONWARNING;
    return centeredMessageBox(owner, text.c_str(), caption.c_str(), MB_YESNO | icon) == IDYES;
}

// The number of the chosen device when it is present now; otherwise asks,
// opens the options on Yes and looks again after OK.
bool findChosenDevice(HWND owner, unsigned& index) {
    for (;;) {
        const MidiDeviceMatch match = findDeviceByName(platformMidiOut().listDevices().names, midiOutDevice);
        if (match.status == MidiDeviceMatch::Status::Found) {
            index = match.index;
            return true;
        }
        if (!askToChooseDevice(owner, match.status)) return false;
        if (showDialog(IDD_OPTIONS, owner, optionsDialogProc) != IDOK)
            return false;
    }
}

void startSend(SendMode mode, unsigned deviceIndex) {
    sendingDeviceName = midiOutDevice;
    sender().send(mode, deviceIndex, sysexBuffer, tuningMessagesLength(), static_cast<uint32_t>(sysexPause));
}

void endLiveSending() {
    liveSending = false;
    CheckMenuItem(mainMenu, IDM_LIVE_SEND, MF_BYCOMMAND | MF_UNCHECKED);
    if (engine) engine->release();
}

// The chosen device among those present now. Asked before every live send:
// a device plugged in ahead of it renumbers the list, and the old number may
// carry another device.
MidiDeviceMatch findLiveDevice() {
    return findDeviceByName(platformMidiOut().listDevices().names, midiOutDevice);
}

// Live sending cannot go on: it ends, and says why when the device went away
// (not when the user chose none).
void endLiveSendingFor(MidiDeviceMatch::Status status) {
    endLiveSending();
    if (status != MidiDeviceMatch::Status::Missing) return;
    const std::string text = formatted(IDS_MIDI_LIVE_DEVICE_GONE, midiOutDevice.c_str());
    const std::string caption = loadResourceString(IDS_MIDI_CAPTION);
    centeredMessageBox(mainWindow, text.c_str(), caption.c_str(), MB_ICONWARNING);
}

// After a failed open during live sending: true when the device now has
// another number (the listing goes there) or is gone (live sending ends),
// false when the failure stands.
bool liveDeviceMoved() {
    const MidiDeviceMatch match = findLiveDevice();
    if (match.status == MidiDeviceMatch::Status::Found && match.index == liveDeviceIndex) return false;
    sendListingLive();
    return true;
}

void showProgress(const SendEvent& event) {
    showTitleProgress(formatted(IDS_MIDI_SENDING_TITLE, titleWithoutProgress().c_str(), event.sent, event.total));
}

void reportFailure(HWND window, const SendFailure& failure) {
    const UINT lead = failure.step == SendFailure::Step::Open ? IDS_MIDI_OPEN_FAILED : IDS_MIDI_SEND_FAILED;
    // A stuck device may not be the one chosen now, so its text names none.
    const std::string leadText = failure.step == SendFailure::Step::Stuck
                                     ? loadResourceString(IDS_MIDI_DEVICE_STUCK)
                                     : formatted(lead, sendingDeviceName.c_str());
    std::string detail;
    if (failure.step == SendFailure::Step::Timeout)
        detail = loadResourceString(IDS_MIDI_TIMED_OUT);
    else if (!failure.text.empty())
        detail = failure.text;
    else
        detail = formatted(IDS_MIDI_ERROR_CODE, static_cast<unsigned>(failure.code));
    const std::string text = leadText + "\n\n" + detail;
    const std::string caption = loadResourceString(IDS_ERROR_CAPTION);
    centeredMessageBox(window, text.c_str(), caption.c_str(), MB_ICONERROR);
}

}  // namespace

void sendListingOnce(HWND owner) {
    if (stopped || sysexLength == 0) return;
    unsigned index = 0;
    if (findChosenDevice(owner, index)) startSend(SendMode::All, index);
}

void toggleLiveSending(HWND owner) {
    if (stopped) return;
    if (liveSending) {
        endLiveSending();
        return;
    }
    if (!findChosenDevice(owner, liveDeviceIndex)) return;
    liveSending = true;
    liveDeviceName = midiOutDevice;
    CheckMenuItem(mainMenu, IDM_LIVE_SEND, MF_BYCOMMAND | MF_CHECKED);
    sendListingLive();
}

void sendListingLive() {
    if (!liveSending || stopped || sysexLength == 0) return;
    const MidiDeviceMatch match = findLiveDevice();
    if (match.status != MidiDeviceMatch::Status::Found) {
        endLiveSendingFor(match.status);
        return;
    }
    // Another device chosen in the options is opened afresh, even under the
    // number of the previous one, and sent everything.
    if (midiOutDevice != liveDeviceName) {
        sender().release();
        liveDeviceName = midiOutDevice;
    }
    liveDeviceIndex = match.index;
    startSend(SendMode::Changes, liveDeviceIndex);
}

void onSendEvent(HWND window, LPARAM lParam) {
    const std::unique_ptr<SendEvent> event(reinterpret_cast<SendEvent*>(lParam));
    if (stopped || !event) return;
    switch (event->kind) {
    case SendEvent::Kind::Progress:
        if (event->elapsedMs >= kProgressAfterMs && event->sent < event->total) showProgress(*event);
        break;
    case SendEvent::Kind::Done:
    case SendEvent::Kind::Cancelled:
        endTitleProgress();
        break;
    case SendEvent::Kind::Failed:
        endTitleProgress();
        if (liveSending && event->failure.step == SendFailure::Step::Open && liveDeviceMoved()) break;
        if (liveSending) endLiveSending();
        reportFailure(window, event->failure);
        break;
    }
}

void stopMidiSending() {
    stopped = true;
    if (engine) engine->shutdown();
    MSG message;
    while (PeekMessageA(&message, mainWindow, kSendEventMessage, kSendEventMessage, PM_REMOVE))
        delete reinterpret_cast<SendEvent*>(message.lParam);
}
