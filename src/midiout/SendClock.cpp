#include "midiout/SendClock.h"

#include <chrono>

namespace {

class SteadyClock final : public SendClock {
public:
    int64_t nowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                   int64_t deadlineMs) override {
        wake.wait_until(lock, std::chrono::steady_clock::time_point(
                                  std::chrono::milliseconds(deadlineMs)));
    }
};

}  // namespace

SendClock& steadyClock() {
    static SteadyClock clock;
    return clock;
}
