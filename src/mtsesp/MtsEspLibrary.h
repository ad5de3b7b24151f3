// The MTS-ESP library (libMTS), which the user installs once for every
// program: a master publishes the tuning of the 128 keys through it, and
// every MTS-ESP client in the session, in this process or another, follows.
// Velmarin never ships it; it loads it at run time from the one place it is
// installed at, or finds it missing.
#pragma once

#include <optional>
#include <string>

#include "base/SystemError.h"
#include "base/SystemLibrary.h"

// The library's entry points that a master uses, each null where the library
// lacks it: a library older than the call, whose call is then skipped. C
// functions with the default calling convention (cdecl on 32-bit Windows);
// a C bool is one byte, as a C++ one is here.
struct MtsEspFunctions {
    void (*registerMaster)(void* reserved) = nullptr;
    void (*deregisterMaster)() = nullptr;
    bool (*hasMaster)() = nullptr;  // a master is registered; another may not register
    bool (*hasIpc)() = nullptr;     // the session is shared between processes
    void (*reinitialize)() = nullptr;  // forgets a master that crashed while registered
    int (*versionNumber)() = nullptr;
    int (*clientCount)() = nullptr;
    void (*setNoteTunings)(const double* hz128) = nullptr;
    void (*setNoteTuning)(double hz, char key) = nullptr;
    void (*setScaleName)(const char* name) = nullptr;
    void (*setPeriodRatio)(double ratio) = nullptr;
    void (*setMapSize)(signed char size) = nullptr;
    void (*setMapStartKey)(signed char key) = nullptr;
    void (*setRefKey)(signed char key) = nullptr;  // -1: none
    void (*filterNote)(bool filter, char key, signed char channel) = nullptr;  // channel -1: all
    void (*clearNoteFilter)() = nullptr;
};

// A master needs to register, to leave, to see another master, and one way
// to publish the keys.
bool canServeAsMaster(const MtsEspFunctions& functions);

// Where the library is installed on this system: on Windows
// "<Common Files>\MTS-ESP\LIBMTS.dll" (the known folder, the 32-bit one for a
// 32-bit program), on macOS "/Library/Application Support/MTS-ESP/libMTS.dylib",
// elsewhere "/usr/local/lib/libMTS.so". Fixed: no setting or environment
// variable changes it. "" when Windows cannot name the folder.
std::string installedMtsEspLibraryPath();

enum class MtsEspLibraryError {
    None,
    NotInstalled,  // nothing at the path
    CannotLoad,    // something there that the system would not load: systemError()
    NotMtsEsp,     // loaded, but without what canServeAsMaster asks for
};

class MtsEspLibrary {
public:
    // The installed library, at installedMtsEspLibraryPath().
    MtsEspLibrary();
    // The library at `absolutePath`: for tests, which point it at a stand-in.
    explicit MtsEspLibrary(const std::string& absolutePath);
    MtsEspLibrary(const MtsEspLibrary&) = delete;
    MtsEspLibrary& operator=(const MtsEspLibrary&) = delete;

    MtsEspLibraryError error() const { return error_; }
    SystemError systemError() const { return systemError_; }
    const std::string& path() const { return path_; }
    // Every entry point found; all null unless error() is None. They are
    // callable while this object lives.
    const MtsEspFunctions& functions() const { return functions_; }

private:
    std::string path_;
    std::optional<SystemLibrary> library_;
    MtsEspFunctions functions_;
    MtsEspLibraryError error_ = MtsEspLibraryError::None;
    SystemError systemError_ = 0;
};
