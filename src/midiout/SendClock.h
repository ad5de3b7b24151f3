// The time source of the sending engine, a seam so that tests run the
// engine's pauses in virtual time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class SendClock {
public:
    virtual ~SendClock() = default;
    // Milliseconds on a clock that never goes back.
    virtual int64_t nowMs() = 0;
    // Waits on `wake`, with `lock` (held by the caller) released meanwhile,
    // until it is notified or nowMs() reaches `deadlineMs`. May return early;
    // the caller checks its conditions and the time again.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                           int64_t deadlineMs) = 0;
};

// std::chrono::steady_clock.
SendClock& steadyClock();
