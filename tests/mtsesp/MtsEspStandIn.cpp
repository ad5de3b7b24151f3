// A stand-in for the MTS-ESP library (libMTS) for Velmarin's tests: it
// exports the entry points a master uses, written from their documented
// declarations, and records every call in "<its own file>.log", one line
// each, in order: the name, then the arguments, separated by spaces
// (numbers as printf's %.17g, keys and channels as integers, a bool as 0 or 1,
// the scale name as the rest of the line with "\" and line ends escaped as
// "\\", "\n", "\r"; RegisterMaster's pointer as "null" or "pointer").
//
// The session lives in "<its own file>.state", read at every call and
// rewritten when a master registers or leaves, so that every process that
// loads this file shares it and a test can set it up beforehand, a line each:
//   master=1    a master is registered (another one, or one left by a crash)
//   ipc=1       the session is shared between processes
//   clients=N   the clients connected
//   version=N   what MTS_GetVersionNumber returns
// Missing lines count as 0.
//
// Built with VELMARIN_MTSESP_OLD it lacks the entry points later versions
// added (period ratio, map size, map start key, reference key, note filter),
// as a library too old for them; with VELMARIN_MTSESP_NO_MASTER it lacks
// registering and deregistering, as a library no master can use.
#ifdef _WIN32
#include <windows.h>
#define STAND_IN_EXPORT extern "C" __declspec(dllexport)
#else
#include <dlfcn.h>
#define STAND_IN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The path of this library's own file.
std::string ownPath() {
#ifdef _WIN32
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownPath), &self);
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    char utf8[4 * MAX_PATH];
    const int size = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), utf8, sizeof utf8, nullptr,
                                         nullptr);
    return std::string(utf8, size > 0 ? size : 0);
#else
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&ownPath), &info);
    return info.dli_fname ? info.dli_fname : "";
#endif
}

FILE* openBeside(const char* extension, const char* mode) {
    const std::string path = ownPath() + extension;
#ifdef _WIN32
    wchar_t widePath[4 * MAX_PATH];
    wchar_t wideMode[8];
    if (!MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, widePath, 4 * MAX_PATH)) return nullptr;
    MultiByteToWideChar(CP_UTF8, 0, mode, -1, wideMode, 8);
    return _wfopen(widePath, wideMode);
#else
    return std::fopen(path.c_str(), mode);
#endif
}

void record(const std::string& line) {
    if (FILE* file = openBeside(".log", "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::string number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

struct Session {
    int master = 0;
    int ipc = 0;
    int clients = 0;
    int version = 0;
};

Session readSession() {
    Session session;
    FILE* file = openBeside(".state", "rb");
    if (!file) return session;
    char line[128];
    while (std::fgets(line, sizeof line, file)) {
        const char* equals = std::strchr(line, '=');
        if (!equals) continue;
        const std::string name(line, static_cast<std::size_t>(equals - line));
        const int value = std::atoi(equals + 1);
        if (name == "master") session.master = value;
        if (name == "ipc") session.ipc = value;
        if (name == "clients") session.clients = value;
        if (name == "version") session.version = value;
    }
    std::fclose(file);
    return session;
}

void setMaster(int master) {
    Session session = readSession();
    session.master = master;
    if (FILE* file = openBeside(".state", "wb")) {
        std::fprintf(file, "master=%d\nipc=%d\nclients=%d\nversion=%d\n", session.master, session.ipc,
                     session.clients, session.version);
        std::fclose(file);
    }
}

}  // namespace

#ifndef VELMARIN_MTSESP_NO_MASTER
STAND_IN_EXPORT void MTS_RegisterMaster(void* reserved) {
    record(std::string("MTS_RegisterMaster ") + (reserved ? "pointer" : "null"));
    setMaster(1);
}

STAND_IN_EXPORT void MTS_DeregisterMaster() {
    record("MTS_DeregisterMaster");
    setMaster(0);
}
#endif

STAND_IN_EXPORT bool MTS_HasMaster() {
    record("MTS_HasMaster");
    return readSession().master != 0;
}

STAND_IN_EXPORT bool MTS_HasIPC() {
    record("MTS_HasIPC");
    return readSession().ipc != 0;
}

STAND_IN_EXPORT void MTS_Reinitialize() {
    record("MTS_Reinitialize");
    setMaster(0);
}

STAND_IN_EXPORT int MTS_GetVersionNumber() {
    record("MTS_GetVersionNumber");
    return readSession().version;
}

STAND_IN_EXPORT int MTS_GetNumClients() {
    record("MTS_GetNumClients");
    return readSession().clients;
}

STAND_IN_EXPORT void MTS_SetNoteTunings(const double* hz) {
    std::string line = "MTS_SetNoteTunings";
    for (int key = 0; key < 128; ++key) line += " " + number(hz[key]);
    record(line);
}

STAND_IN_EXPORT void MTS_SetNoteTuning(double hz, char key) {
    record("MTS_SetNoteTuning " + number(hz) + " " + std::to_string(static_cast<int>(key)));
}

STAND_IN_EXPORT void MTS_SetScaleName(const char* name) {
    std::string line = "MTS_SetScaleName ";
    for (const char* c = name; *c; ++c) {
        if (*c == '\\') line += "\\\\";
        else if (*c == '\n') line += "\\n";
        else if (*c == '\r') line += "\\r";
        else line += *c;
    }
    record(line);
}

#ifndef VELMARIN_MTSESP_OLD
STAND_IN_EXPORT void MTS_SetPeriodRatio(double ratio) { record("MTS_SetPeriodRatio " + number(ratio)); }

STAND_IN_EXPORT void MTS_SetMapSize(signed char size) { record("MTS_SetMapSize " + std::to_string(size)); }

STAND_IN_EXPORT void MTS_SetMapStartKey(signed char key) { record("MTS_SetMapStartKey " + std::to_string(key)); }

STAND_IN_EXPORT void MTS_SetRefKey(signed char key) { record("MTS_SetRefKey " + std::to_string(key)); }

STAND_IN_EXPORT void MTS_FilterNote(bool filter, char key, signed char channel) {
    record("MTS_FilterNote " + std::to_string(filter ? 1 : 0) + " " + std::to_string(static_cast<int>(key)) + " " +
           std::to_string(channel));
}

STAND_IN_EXPORT void MTS_ClearNoteFilter() { record("MTS_ClearNoteFilter"); }
#endif
