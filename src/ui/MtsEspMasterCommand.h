// Tools → MTS-ESP master: Velmarin as the MTS-ESP master of the session,
// publishing the window's tuning to every MTS-ESP client (software
// instruments in a DAW, in any program) while the item is checked. The
// window's title says so, with the clients connected, counted every second.
#pragma once

#include <windows.h>

// The main window's timer that counts the clients while the master is on.
constexpr UINT_PTR kMtsEspClientTimer = 0x4D45;

// The menu item. Checked: deregisters and lets the library go. Unchecked:
// loads the installed library, registers and publishes currentTuning. A
// library that is missing or unusable, or another master in the session,
// is told in a box over `owner`, and the item stays unchecked; where a
// master is registered that may have crashed, a reset is offered first.
// The choice is what the settings remember (mtsEspMasterChosen).
void toggleMtsEspMaster(HWND owner);

// At start, once the window shows its tuning, when the settings remember
// the master on: turns it on as the item does, but without a box. When it
// cannot, the item shows unchecked, which the settings then remember.
void resumeMtsEspMaster();

// tuningChanged's: while on, publishes currentTuning (what changed since
// the last publication only).
void publishMtsEspTuning();

// kMtsEspClientTimer's: the title follows the number of clients.
void countMtsEspClients();

// The window goes or the Windows session ends: deregisters and lets the
// library go. The choice stays as the settings saved it just before.
void endMtsEspMaster();
