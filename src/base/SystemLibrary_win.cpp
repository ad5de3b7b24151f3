#include <windows.h>

#include <string>

#include "base/SystemLibrary.h"

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

SystemLibrary::~SystemLibrary() {
    if (module_) FreeLibrary(static_cast<HMODULE>(module_));
}

void* SystemLibrary::symbol(const char* name) const {
    if (!module_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}
