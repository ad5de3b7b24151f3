// Listing updates off for a bulk change: the refreshes the change triggers
// are skipped, and the caller refreshes once at the end.
#pragma once

#include <cstdint>

// Sets `updatesEnabled` (the program-wide flag in AppState) to 0 and gives it
// back the value it had when the scope ends, also when an exception ends it,
// so a failed handler never leaves the listing frozen. Scopes nest.
class UpdatesScope {
public:
    explicit UpdatesScope(int32_t& updatesEnabled) : flag_(updatesEnabled), saved_(updatesEnabled) {
        flag_ = 0;
    }
    ~UpdatesScope() { flag_ = saved_; }
    UpdatesScope(const UpdatesScope&) = delete;
    UpdatesScope& operator=(const UpdatesScope&) = delete;

private:
    int32_t& flag_;
    int32_t saved_;
};
