// What ends a command that runs until the user stops it (mts-esp; a later
// play): Ctrl+C and Ctrl+Break, and the console window closing, on Windows;
// SIGINT, SIGTERM and SIGHUP elsewhere. While the object lives they are
// caught instead of ending the program at once, so that the command lets go
// of what it holds (the MTS-ESP registration, a MIDI port) and exits.
#pragma once

#include <chrono>
#include <functional>

class InterruptWait {
public:
    // Catches them from now on. One object at a time in a process.
    InterruptWait();
    // Puts back what they did before. On Windows a closing console, which
    // ends the program once its handler returns, is held until this runs
    // (for up to four seconds), so that what was destroyed before it was
    // let go of.
    ~InterruptWait();
    InterruptWait(const InterruptWait&) = delete;
    InterruptWait& operator=(const InterruptWait&) = delete;

    // Waits up to `timeout` for one of them; true once one has come since
    // construction (at once from then on), false when the time passed.
    bool wait(std::chrono::milliseconds timeout);

private:
    bool interrupted_ = false;
};

// Waits up to the time given; true once the user has stopped the program
// (InterruptWait::wait, or a test's stand-in).
using InterruptCheck = std::function<bool(std::chrono::milliseconds)>;
