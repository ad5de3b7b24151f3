#include <windows.h>
#include <io.h>

#include <cstdio>

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
