#include <windows.h>

#include "cli/InterruptWait.h"

namespace {

// Made once and never closed: a handler may still be running on its own
// thread after the object that installed it is gone.
HANDLE interruptedEvent = nullptr;
HANDLE finishedEvent = nullptr;  // the object is gone: a closing console may end the program

BOOL WINAPI onConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        SetEvent(interruptedEvent);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The program ends when this returns; Windows waits five seconds
        // for it at most.
        SetEvent(interruptedEvent);
        WaitForSingleObject(finishedEvent, 4000);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

InterruptWait::InterruptWait() {
    if (!interruptedEvent) interruptedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!finishedEvent) finishedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!interruptedEvent || !finishedEvent) return;  // nothing is caught: Ctrl+C ends the program as before
    ResetEvent(interruptedEvent);
    ResetEvent(finishedEvent);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptWait::~InterruptWait() {
    if (!interruptedEvent || !finishedEvent) return;
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    SetEvent(finishedEvent);
}

bool InterruptWait::wait(std::chrono::milliseconds timeout) {
    if (interrupted_ || !interruptedEvent) return interrupted_;
    interrupted_ = WaitForSingleObject(interruptedEvent, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    return interrupted_;
}
