// A library loaded at run time from one place only: a library of the
// operating system from its system folder, or another program's library
// from the absolute path it is installed at. A statically imported DLL is
// resolved before the program runs, from the program's folder first, where a
// planted copy could wait; one loaded by its bare name at run time could come
// from there too.
#pragma once

#include <string>

// The absolute path (UTF-8) of a library that is loaded from there or not at
// all: "C:\..." or "\\..." on Windows, "/..." elsewhere.
struct AbsoluteLibraryPath {
    std::string utf8;
};

class SystemLibrary {
public:
    // Loads `fileName` (e.g. "winmm.dll") from the system folder (Windows
    // only); on failure the library is not loaded and every symbol is null.
    explicit SystemLibrary(const char* fileName);
    // Loads the library at `path` and nowhere else; a relative path is
    // refused, never searched for. On Windows the library's own imports come
    // from the system folder only (not the program's folder, the current
    // folder, PATH or the library's own folder), and a system without that
    // search (Windows 7 before KB2533623) does not load it. Elsewhere every
    // symbol is bound at once and none is offered to other libraries.
    explicit SystemLibrary(const AbsoluteLibraryPath& path);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    // The system's error code from the failed load; 0 once loaded. For a
    // path: a bad path name for a relative one; on POSIX, where the loader
    // gives text rather than a code, the file's own error when it cannot be
    // found, else ENOEXEC.
    unsigned long loadError() const { return loadError_; }
    // The exported function `name`, or null.
    void* symbol(const char* name) const;
    // The same, as the function pointer type of `function`.
    template <typename Function>
    void lookUp(Function& function, const char* name) const {
        function = reinterpret_cast<Function>(symbol(name));
    }

private:
    void* module_ = nullptr;
    unsigned long loadError_ = 0;
};
