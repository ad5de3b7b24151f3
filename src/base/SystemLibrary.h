// A library of the operating system loaded at run time from its system folder
// only. A statically imported DLL is resolved before the program runs, from
// the program's folder first, where a planted copy could wait; one loaded by
// its bare name at run time could come from there too. Windows only.
#pragma once

class SystemLibrary {
public:
    // Loads `fileName` (e.g. "winmm.dll") from the system folder; on failure
    // the library is not loaded and every symbol is null.
    explicit SystemLibrary(const char* fileName);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    // The system's error code from the failed load; 0 once loaded.
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
