// A winmm.dll test double with fake MIDI output devices, for tests under
// Wine (which has no MIDI device). Placed in the prefix's system32 and loaded
// by a process started with WINEDLLOVERRIDES=winmm=n. Read at every open and
// listing, so that a test may change them between cases:
//   VELMARIN_MIDI_DEVICES  device names separated by "|" (ANSI code page);
//                          unset: one device "Velmarin Test MIDI"; empty: none
//   VELMARIN_MIDI_DEVICE_FILE a file holding such a list instead, read at
//                          every call: devices come and go while a test runs
//   VELMARIN_MIDI_LOG      file that every long and short message's bytes are
//                          appended to
//   VELMARIN_MIDI_TRACE    file that gets a line per call: "open N", "long N"
//                          (byte count), "short", "reset", "close"
//   VELMARIN_MIDI_DELAY_MS a message is done this long after it was handed over
//   VELMARIN_MIDI_FAIL     "open": midiOutOpen fails with MMSYSERR_ALLOCATED;
//                          "send": midiOutLongMsg fails with MMSYSERR_NODRIVER;
//                          "never": messages are never done (until a reset)
//                          "stuck": messages are never done, even after a reset
#define _WINMM_  // this is winmm: its functions are defined here, not imported
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Read through the W call: Wine 8's GetEnvironmentVariableA cuts a
// double-byte value short (it counts characters, not bytes).
std::string environment(const char* name, bool* present = nullptr) {
    wchar_t wideName[64];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 64);
    wchar_t value[1024];
    SetLastError(0);
    const DWORD length = GetEnvironmentVariableW(wideName, value, 1024);
    if (present) *present = length != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (length == 0 || length >= 1024) return {};
    char bytes[4096];
    const int count = WideCharToMultiByte(CP_ACP, 0, value, static_cast<int>(length), bytes,
                                          sizeof bytes, nullptr, nullptr);
    return std::string(bytes, count > 0 ? count : 0);
}

std::vector<std::string> deviceNames() {
    bool present = false;
    std::string text = environment("VELMARIN_MIDI_DEVICES", &present);
    if (FILE* file = std::fopen(environment("VELMARIN_MIDI_DEVICE_FILE").c_str(), "rb")) {
        char bytes[1024];
        text.assign(bytes, std::fread(bytes, 1, sizeof bytes, file));
        std::fclose(file);
        present = true;
    }
    if (!present) return {"Velmarin Test MIDI"};
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('|', start);
        if (end == std::string::npos) end = text.size();
        names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

void appendTo(const char* variable, const void* bytes, std::size_t count) {
    const std::string path = environment(variable);
    if (path.empty()) return;
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fwrite(bytes, 1, count, file);
        std::fclose(file);
    }
}

void trace(const std::string& line) {
    const std::string text = line + "\n";
    appendTo("VELMARIN_MIDI_TRACE", text.data(), text.size());
}

CRITICAL_SECTION lock;

struct Port {
    UINT device = 0;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    DWORD kind = CALLBACK_NULL;
    MIDIHDR* pending = nullptr;
    unsigned generation = 0;
};

void notify(Port* port, UINT message, MIDIHDR* header) {
    if (port->kind == CALLBACK_EVENT) {
        SetEvent(reinterpret_cast<HANDLE>(port->callback));
    } else if (port->kind == CALLBACK_FUNCTION && port->callback) {
        reinterpret_cast<void(CALLBACK*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)>(
            port->callback)(reinterpret_cast<HMIDIOUT>(port), message, port->instance,
                            reinterpret_cast<DWORD_PTR>(header), 0);
    }
}

// Called with the lock held.
void complete(Port* port) {
    MIDIHDR* header = port->pending;
    if (!header) return;
    port->pending = nullptr;
    ++port->generation;
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    notify(port, MOM_DONE, header);
}

struct DelayedCompletion {
    Port* port;
    unsigned generation;
    DWORD delayMs;
};

DWORD WINAPI completeLater(void* parameter) {
    const DelayedCompletion job = *static_cast<DelayedCompletion*>(parameter);
    delete static_cast<DelayedCompletion*>(parameter);
    Sleep(job.delayMs);
    EnterCriticalSection(&lock);
    // A reset or close in the meantime has finished the message already.
    if (job.port->generation == job.generation) complete(job.port);
    LeaveCriticalSection(&lock);
    return 0;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&lock);
    return TRUE;
}

// Lets a test tell the double from Wine's own winmm.
const char* velmarinMidiDouble() { return "winmm test double"; }

UINT WINAPI midiOutGetNumDevs() { return static_cast<UINT>(deviceNames().size()); }

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR id, LPMIDIOUTCAPSA caps, UINT size) {
    const std::vector<std::string> names = deviceNames();
    if (id >= names.size()) return MMSYSERR_BADDEVICEID;
    if (!caps || size < sizeof(MIDIOUTCAPSA)) return MMSYSERR_INVALPARAM;
    std::memset(caps, 0, sizeof(MIDIOUTCAPSA));
    caps->wMid = 0xFFFF;  // no manufacturer
    caps->vDriverVersion = 0x0100;
    std::strncpy(caps->szPname, names[id].c_str(), MAXPNAMELEN - 1);
    caps->wTechnology = MOD_MIDIPORT;
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

// The names as the wide call gives them: the variable's ANSI text widened.
MMRESULT WINAPI midiOutGetDevCapsW(UINT_PTR id, LPMIDIOUTCAPSW caps, UINT size) {
    MIDIOUTCAPSA narrow;
    if (!caps || size < sizeof(MIDIOUTCAPSW)) return MMSYSERR_INVALPARAM;
    if (const MMRESULT result = midiOutGetDevCapsA(id, &narrow, sizeof narrow)) return result;
    *caps = {narrow.wMid, narrow.wPid, narrow.vDriverVersion, {}, narrow.wTechnology, narrow.wVoices,
             narrow.wNotes, narrow.wChannelMask, narrow.dwSupport};
    MultiByteToWideChar(CP_ACP, 0, narrow.szPname, -1, caps->szPname, MAXPNAMELEN - 1);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                            DWORD flags) {
    if (!handle) return MMSYSERR_INVALPARAM;
    if (id >= deviceNames().size()) return MMSYSERR_BADDEVICEID;
    trace("open " + std::to_string(id));
    if (environment("VELMARIN_MIDI_FAIL") == "open") return MMSYSERR_ALLOCATED;
    Port* port = new Port;
    port->device = id;
    port->callback = callback;
    port->instance = instance;
    port->kind = flags & CALLBACK_TYPEMASK;
    *handle = reinterpret_cast<HMIDIOUT>(port);
    notify(port, MOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutPrepareHeader(HMIDIOUT, LPMIDIHDR header, UINT size) {
    if (!header || size < sizeof(MIDIHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutUnprepareHeader(HMIDIOUT, LPMIDIHDR header, UINT size) {
    if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
    EnterCriticalSection(&lock);
    const bool playing = (header->dwFlags & MHDR_INQUEUE) != 0;
    if (!playing) header->dwFlags &= ~MHDR_PREPARED;
    LeaveCriticalSection(&lock);
    return playing ? MIDIERR_STILLPLAYING : MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    Port* port = reinterpret_cast<Port*>(handle);
    if (!port || !header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    const std::string failure = environment("VELMARIN_MIDI_FAIL");
    if (failure == "send") return MMSYSERR_NODRIVER;
    appendTo("VELMARIN_MIDI_LOG", header->lpData, header->dwBufferLength);
    trace("long " + std::to_string(header->dwBufferLength));
    const DWORD delayMs = static_cast<DWORD>(std::atoi(environment("VELMARIN_MIDI_DELAY_MS").c_str()));
    EnterCriticalSection(&lock);
    if (port->pending) {
        LeaveCriticalSection(&lock);
        return MIDIERR_NOTREADY;
    }
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    port->pending = header;
    if (failure != "never" && failure != "stuck") {
        if (delayMs == 0) {
            complete(port);
        } else {
            auto* job = new DelayedCompletion{port, port->generation, delayMs};
            if (HANDLE thread = CreateThread(nullptr, 0, completeLater, job, 0, nullptr))
                CloseHandle(thread);
            else
                delete job;
        }
    }
    LeaveCriticalSection(&lock);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message) {
    if (!handle) return MMSYSERR_INVALHANDLE;
    const uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                              static_cast<uint8_t>(message >> 16)};
    // Program change and channel pressure carry one data byte.
    const bool oneDataByte = (bytes[0] & 0xE0) == 0xC0;
    appendTo("VELMARIN_MIDI_LOG", bytes, oneDataByte ? 2 : 3);
    trace("short");
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutReset(HMIDIOUT handle) {
    Port* port = reinterpret_cast<Port*>(handle);
    if (!port) return MMSYSERR_INVALHANDLE;
    trace("reset");
    EnterCriticalSection(&lock);
    if (environment("VELMARIN_MIDI_FAIL") != "stuck") complete(port);
    LeaveCriticalSection(&lock);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT handle) {
    Port* port = reinterpret_cast<Port*>(handle);
    if (!port) return MMSYSERR_INVALHANDLE;
    EnterCriticalSection(&lock);
    const bool playing = port->pending != nullptr;
    LeaveCriticalSection(&lock);
    if (playing) return MIDIERR_STILLPLAYING;
    trace("close");
    notify(port, MOM_CLOSE, nullptr);
    // Never freed: a delayed completion thread that lost to a reset may still
    // look at it.
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
    if (!text || size == 0) return MMSYSERR_INVALPARAM;
    const char* message;
    switch (error) {
    case MMSYSERR_ALLOCATED: message = "The device is already in use (test double)."; break;
    case MMSYSERR_NODRIVER: message = "The device is not connected (test double)."; break;
    case MMSYSERR_BADDEVICEID: message = "No such device (test double)."; break;
    case MIDIERR_STILLPLAYING: message = "The device is still playing a message (test double)."; break;
    default: message = "MIDI error (test double)."; break;
    }
    std::strncpy(text, message, size - 1);
    text[size - 1] = '\0';
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiOutGetErrorTextW(MMRESULT error, LPWSTR text, UINT size) {
    char narrow[MAXERRORLENGTH];
    const MMRESULT result = midiOutGetErrorTextA(error, narrow, sizeof narrow);
    if (result == MMSYSERR_NOERROR && MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, static_cast<int>(size)) == 0)
        return MMSYSERR_INVALPARAM;
    return result;
}

}  // extern "C"
