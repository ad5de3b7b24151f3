#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

#include "cli/InterruptWait.h"

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// The handler writes a byte into the pipe and the waiting poll wakes on it:
// the one thing a signal handler may safely do, and one that wakes the wait
// whichever thread the signal lands on.
int pipeEnds[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> previousActions;

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void closeOnExecNonBlocking(int descriptor) {
    fcntl(descriptor, F_SETFD, FD_CLOEXEC);
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK);
}

}  // namespace

InterruptWait::InterruptWait() {
    if (pipe(pipeEnds) != 0) return;  // no pipe: nothing is caught, and a signal ends the program as before
    closeOnExecNonBlocking(pipeEnds[0]);
    closeOnExecNonBlocking(pipeEnds[1]);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &previousActions[i]);
}

InterruptWait::~InterruptWait() {
    if (pipeEnds[0] < 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previousActions[i], nullptr);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

bool InterruptWait::wait(std::chrono::milliseconds timeout) {
    if (interrupted_ || pipeEnds[0] < 0) return interrupted_;
    pollfd readable{pipeEnds[0], POLLIN, 0};
    // Cut short by another signal, the wait ends early: the caller waits again.
    poll(&readable, 1, static_cast<int>(timeout.count()));
    char byte = 0;
    interrupted_ = read(pipeEnds[0], &byte, 1) == 1;
    return interrupted_;
}
