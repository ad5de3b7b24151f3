// Standard output as the command line writes it: the bytes reach it as they
// are (no LF to CR LF on Windows), and the first write that fails is
// remembered, so that main reports lost output once, whatever the command.
#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "base/SystemError.h"

class StandardOutput {
public:
    StandardOutput() : stream_(&buffer_) {}
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    std::ostream& stream() { return stream_; }
    // Writes what is still buffered. 0 when every byte reached standard
    // output, else the system's code for the first write that failed (the
    // bytes after it are dropped).
    SystemError finish();

private:
    class Buffer final : public std::streambuf {
    public:
        Buffer() { setp(bytes_, bytes_ + sizeof bytes_); }
        SystemError flush();

    protected:
        int_type overflow(int_type c) override;
        int sync() override { return flush() == 0 ? 0 : -1; }

    private:
        char bytes_[4096];
        SystemError error_ = 0;
    };

    Buffer buffer_;
    std::ostream stream_;
};

// The platform's side: writes all `count` bytes to standard output.
SystemError writeStandardOutput(const char* bytes, std::size_t count);

// True when standard error goes to a terminal (a console on Windows), where
// a long batch may show its progress.
bool standardErrorIsTerminal();

// While it lives, a console the program writes to takes the UTF-8 text of
// both outputs as UTF-8 (its output code page is 65001); the console's own
// code page comes back at the end. Elsewhere the bytes go out as they are.
class ConsoleUtf8Scope {
public:
    ConsoleUtf8Scope();
    ~ConsoleUtf8Scope();
    ConsoleUtf8Scope(const ConsoleUtf8Scope&) = delete;
    ConsoleUtf8Scope& operator=(const ConsoleUtf8Scope&) = delete;

private:
    unsigned previousCodePage_ = 0;  // 0: nothing to put back
};

// The program's arguments after its name, in UTF-8: on Windows read again
// from the wide command line, so that a name outside the code page arrives
// whole; elsewhere `argv` as it is.
std::vector<std::string> programArguments(int argc, char** argv);
