// Sending the listing to the MIDI output device chosen in the options: once
// on command, or live after every rebuild while the live item is checked.
// The sending engine works on its own thread and posts each event to the
// main window, which shows progress in its title and reports failures.
#pragma once

#include <windows.h>

// The main window's private message: lParam is a SendEvent allocated with
// new, for onSendEvent to take over.
constexpr UINT kSendEventMessage = WM_APP + 0x49;

// File → send: every message of the listing, in order, with the chosen
// pause. With no device chosen, or one that is gone, asks whether to open
// the options and carries on once they name a present device.
void sendListingOnce(HWND owner);

// Tools → live: checks the item and sends the whole tuning, or unchecks it
// and lets the device go. Turning it on needs a device as sendListingOnce
// does.
void toggleLiveSending(HWND owner);

// After a listing rebuild: while live sending is on, sends what changed to
// the number the chosen device has now. A device choice changed in the
// options meanwhile is taken up here; when it is none, live sending ends, and
// when the device is gone it ends with a warning.
void sendListingLive();

// Handles one posted event: progress in the title once a send takes longer
// than half a second, the title restored at the end, an error box for a
// failure (which also ends live sending). A device that live sending could
// not open is looked for again first: under another number it is sent there.
void onSendEvent(HWND window, LPARAM lParam);

// Before the main window goes: stops the send in progress, lets the device
// go, joins the engine's thread and drops the events still queued. Nothing
// is sent or reported afterwards.
void stopMidiSending();
