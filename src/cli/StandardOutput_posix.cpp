#include <unistd.h>

#include <cerrno>

#include "cli/StandardOutput.h"

SystemError writeStandardOutput(const char* bytes, std::size_t count) {
    while (count != 0) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return static_cast<SystemError>(errno);
        }
        if (written == 0) return EIO;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return 0;
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

ConsoleUtf8Scope::ConsoleUtf8Scope() { previousCodePage_ = 0; }
ConsoleUtf8Scope::~ConsoleUtf8Scope() {}

std::vector<std::string> programArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }
