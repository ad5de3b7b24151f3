// Every change of the window's tuning, currentTuning (shell/AppState.h), and
// the one place that follows them. Each change sets the value and what
// shows it, then tells tuningChanged once.
#pragma once

#include <cstdint>
#include <optional>

#include "shell/AppState.h"
#include "shell/UpdatesScope.h"
#include "tuning/Tuning.h"

// Called once for every change of currentTuning, when the change is
// complete, and once at start with the tuning the window starts with: it
// rebuilds the listing and what is drawn from the tuning (the exact marks,
// the keyboard line), and live sending sends it. Whatever else must follow
// the tuning (a play-through engine, an MTS-ESP master) is told here and
// nowhere else. Does nothing while updates are held back (UpdatesScope): a
// change that holds them calls it once at its end. A change of the format,
// the form or the parts keeps the tuning and only refreshes the listing
// (refreshSysexView).
void tuningChanged();

// Runs `change` with updates held back, then calls tuningChanged once: for a
// tuning that comes with other changes (a file opened sets the format and
// the parts too).
template <class Change>
void changeTuningOnce(Change change) {
    {
        UpdatesScope heldBack(updatesEnabled);
        change();
    }
    tuningChanged();
}

// A note's edit changed (its EN_CHANGE, also while updates are held back):
// the note takes the edit's number and is whole again; the other notes keep
// their exact values (typeIntoEdit).
void followOffsetEdit(int pitchClass, std::optional<int32_t> edit);

// A tuning from elsewhere: a preset chosen, the 音律 dialog's OK, a file
// opened. The edits show its whole cents; what the window held before (exact
// values, a coarse tuning, a keyboard tuning) goes with it.
void setTuning(Tuning tuning);

// A keyboard tuning from the 音律 dialog: the edits, greyed, keep what they
// show, and the value keeps their twelve pitch classes with it.
void holdKeyboardTuning(Tuning keys);
