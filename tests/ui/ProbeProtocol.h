// The contract between the test program and ui_probe.dll, the hook library it
// places on Velmarin's user-interface thread. Some state can only be read or
// set from inside that thread: Wine cannot read another process's menu, and
// the keyboard state that GetKeyState reports belongs to the thread.
//
// A question is the registered message kProbeMessage sent (or posted) to the
// main window with wParam = (operation << 16) | argument and lParam = a
// sequence number. The hooks answer by setting the window property
// kProbeAnswer to (sequence << 32) | (32-bit answer), which any process can
// read with GetPropW.
#pragma once

#include <windows.h>

#include <cstdint>

namespace probe {

constexpr wchar_t kProbeMessage[] = L"VelmarinUiTestProbe";
constexpr wchar_t kProbeAnswer[] = L"VelmarinUiTestProbeAnswer";

enum Operation : unsigned {
    Ping = 0,            // answer 0; posted, it tells that earlier posted messages were handled
    MenuState = 1,       // argument: command id; answer: GetMenuState of the main menu
    KeyDown = 2,         // argument: virtual key; set it down in the thread's keyboard state
    KeyUp = 3,           // argument: virtual key; set it up again
    ListingUpdates = 4,  // answer: changes of the listing (1068) since the last question
    OpenedRect = 5,      // argument 0..3: left, top, right, bottom of the window that last got
                         // WM_INITDIALOG, as it stood then (after hooks set before this one)
    EndOwnedBox = 6,     // ends the dialog box the main window owns with result 0, what a box
                         // that could not be shown returns; answer: 1 when there was one
    ScrollPosition = 7,  // argument: control id; answer: the position of its vertical scroll
                         // bar, which only its own process can read
    CircleDraws = 8,     // answer: WM_DRAWITEM of the circle of fifths (1086) since the last question
    OwnedPixels = 9,     // argument: control id in the dialog the main window owns; answer: a
                         // hash (FNV-1a) of the pixels it shows
    DropFile = 10,       // argument: a global atom naming a file; posts WM_DROPFILES with it to
                         // the main window, as the shell does (a drop's memory is the
                         // receiving process's); answer: 1 when posted
};

inline WPARAM question(Operation operation, unsigned argument) {
    return (static_cast<WPARAM>(operation) << 16) | (argument & 0xFFFF);
}

// The answer and its sequence number share one window property, which is
// pointer-sized: the protocol needs a 64-bit build (the suite is built for
// x86_64 only).
static_assert(sizeof(uintptr_t) == 8, "the probe protocol packs two 32-bit values into a pointer");

inline uint64_t answerValue(uint32_t sequence, uint32_t answer) {
    return (static_cast<uint64_t>(sequence) << 32) | answer;
}

}  // namespace probe
