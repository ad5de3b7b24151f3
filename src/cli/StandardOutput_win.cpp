#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "base/WideText.h"
#include "cli/StandardOutput.h"

SystemError writeStandardOutput(const char* bytes, std::size_t count) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE || output == nullptr) return ERROR_INVALID_HANDLE;
    while (count != 0) {
        const DWORD chunk = count > 0x10000 ? 0x10000 : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(output, bytes, chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes += written;
        count -= written;
    }
    return 0;
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

ConsoleUtf8Scope::ConsoleUtf8Scope() {
    DWORD mode = 0;
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                         GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
    if (!console) return;
    const UINT previous = GetConsoleOutputCP();
    if (previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) previousCodePage_ = previous;
}

ConsoleUtf8Scope::~ConsoleUtf8Scope() {
    if (previousCodePage_ != 0) SetConsoleOutputCP(previousCodePage_);
}

std::vector<std::string> programArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}
