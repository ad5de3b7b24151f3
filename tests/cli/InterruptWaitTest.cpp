// The POSIX side of the interruption seam; the Windows side is driven end to
// end under Wine (check-cli-mtsesp.sh).
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "cli/InterruptWait.h"

namespace {

// Each signal ends the wait instead of the program, until the object goes.
TEST(InterruptWait, aSignalEndsTheWaitNotTheProgram) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        {
            InterruptWait interrupt;
            EXPECT_FALSE(interrupt.wait(std::chrono::milliseconds(0)));
            std::raise(signal);
            EXPECT_TRUE(interrupt.wait(std::chrono::seconds(10)));
            EXPECT_TRUE(interrupt.wait(std::chrono::milliseconds(0)));
        }
        struct sigaction after {};
        sigaction(signal, nullptr, &after);
        EXPECT_EQ(SIG_DFL, after.sa_handler);
    }
}

}  // namespace
