#include <windows.h>

#include <string>

#include "base/SystemLibrary.h"
#include "base/WideText.h"

namespace {

bool isAbsoluteWindowsPath(const std::string& path) {
    const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && path[2] == '\\';
    return drive || path.rfind("\\\\", 0) == 0;
}

// A library that cannot be loaded is an error to return, never a system
// message box about a missing DLL or an unreadable disk.
class QuietLoadErrors {
public:
    QuietLoadErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
    ~QuietLoadErrors() { SetThreadErrorMode(previous_, nullptr); }
    QuietLoadErrors(const QuietLoadErrors&) = delete;
    QuietLoadErrors& operator=(const QuietLoadErrors&) = delete;

private:
    DWORD previous_ = 0;
};

}  // namespace

SystemLibrary::SystemLibrary(const char* fileName) {
    HMODULE module = LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        // Systems without the search flag: name the file in the system folder.
        char folder[MAX_PATH];
        const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
        const std::string path = std::string(folder, length < MAX_PATH ? length : 0) + "\\" + fileName;
        if (length != 0 && length < MAX_PATH && path.size() < MAX_PATH) module = LoadLibraryA(path.c_str());
    }
    module_ = module;
    if (!module) loadError_ = GetLastError();
}

SystemLibrary::SystemLibrary(const AbsoluteLibraryPath& path) {
    if (!isAbsoluteWindowsPath(path.utf8)) {
        loadError_ = ERROR_BAD_PATHNAME;
        return;
    }
    // A full path is the only place the library itself is looked for; the
    // flag limits its imports to System32. LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
    // would add the library's own folder, and no search flag at all the
    // standard order with the program's and the current folder. Unlike the
    // system libraries above there is no fallback without the flag: it
    // would bring that standard order back.
    const QuietLoadErrors quiet;
    const HMODULE module = LoadLibraryExW(wideFromUtf8(path.utf8).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    module_ = module;
    if (!module) loadError_ = GetLastError();
}

SystemLibrary::~SystemLibrary() {
    if (module_) FreeLibrary(static_cast<HMODULE>(module_));
}

void* SystemLibrary::symbol(const char* name) const {
    if (!module_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}
