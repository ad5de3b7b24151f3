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
//   VELMARIN_MIDI_FAIL_AFTER "NAME:COUNT": the output device NAME refuses
//                          every message after the first COUNT since it was
//                          opened (MMSYSERR_NODRIVER), as one unplugged does;
//                          the trace says "refused"
// Input devices, which play a script from a thread of the double's own once
// started, as a driver's thread would:
//   VELMARIN_MIDI_IN_DEVICES  names as VELMARIN_MIDI_DEVICES; unset: one
//                          device "Velmarin Test Keyboard"; empty: none
//   VELMARIN_MIDI_IN_SCRIPT file of lines "MS HEX..." (one message MS ms after
//                          midiInStart; a SysEx fills the application's
//                          buffers, as many as it needs, each handed back
//                          with MIM_LONGDATA) or "MS close" (the device goes
//                          away: MIM_CLOSE); "#" begins a comment line
//   The trace gets "in open N", "in start", "in stop", "in reset",
//   "in unprepare", "in close" (or "in close refused": a buffer was still
//   queued) and "in lost" (a SysEx came and no buffer was queued for 2 s).
#define _WINMM_  // this is winmm: its functions are defined here, not imported
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
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

std::vector<std::string> namesIn(const std::string& text) {
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
    return namesIn(text);
}

std::vector<std::string> inputNames() {
    bool present = false;
    const std::string text = environment("VELMARIN_MIDI_IN_DEVICES", &present);
    if (!present) return {"Velmarin Test Keyboard"};
    return namesIn(text);
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
    unsigned handedOver = 0;  // messages since the open
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

// True when VELMARIN_MIDI_FAIL_AFTER has the port's device refuse the
// message about to be handed over; counts it otherwise.
bool refusedAfterCount(Port* port) {
    const std::string rule = environment("VELMARIN_MIDI_FAIL_AFTER");
    const std::size_t colon = rule.rfind(':');
    const std::vector<std::string> names = deviceNames();
    if (colon != std::string::npos && port->device < names.size() && names[port->device] == rule.substr(0, colon) &&
        port->handedOver >= std::strtoul(rule.c_str() + colon + 1, nullptr, 10)) {
        trace("refused");
        return true;
    }
    ++port->handedOver;
    return false;
}

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


struct InPort {
    UINT device = 0;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    DWORD kind = CALLBACK_NULL;
    std::vector<MIDIHDR*> queued;  // guarded by the lock
    HANDLE player = nullptr;       // the thread that plays the script
    HANDLE stopEvent = nullptr;    // manual reset: the player ends
    HANDLE bufferEvent = nullptr;  // a buffer was added
    DWORD startTick = 0;
};

void notifyIn(InPort* port, UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    if (port->kind == CALLBACK_FUNCTION && port->callback)
        reinterpret_cast<void(CALLBACK*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)>(port->callback)(
            reinterpret_cast<HMIDIIN>(port), message, port->instance, param1, param2);
}

struct ScriptLine {
    DWORD ms = 0;
    bool close = false;
    std::vector<uint8_t> bytes;
};

std::vector<ScriptLine> readScript() {
    std::vector<ScriptLine> lines;
    FILE* file = std::fopen(environment("VELMARIN_MIDI_IN_SCRIPT").c_str(), "rb");
    if (!file) return lines;
    char text[65536];
    while (std::fgets(text, sizeof text, file)) {
        ScriptLine line;
        char* at = text;
        if (*at == '#' || std::sscanf(at, "%lu", &line.ms) != 1) continue;
        std::strtoul(at, &at, 10);
        line.close = std::strstr(at, "close") != nullptr;
        for (char* end = at;; at = end) {
            const unsigned long byte = std::strtoul(at, &end, 16);
            if (end == at) break;
            line.bytes.push_back(static_cast<uint8_t>(byte));
        }
        if (line.close || !line.bytes.empty()) lines.push_back(line);
    }
    std::fclose(file);
    return lines;
}

// The first buffer the application queued, waiting up to 2 s for one; null
// when none came or the player is to end.
MIDIHDR* takeBuffer(InPort* port) {
    for (;;) {
        EnterCriticalSection(&lock);
        MIDIHDR* header = nullptr;
        if (!port->queued.empty()) {
            header = port->queued.front();
            port->queued.erase(port->queued.begin());
        }
        LeaveCriticalSection(&lock);
        if (header) return header;
        HANDLE events[] = {port->stopEvent, port->bufferEvent};
        if (WaitForMultipleObjects(2, events, FALSE, 2000) != WAIT_OBJECT_0 + 1) return nullptr;
    }
}

DWORD WINAPI playScript(void* parameter) {
    InPort* port = static_cast<InPort*>(parameter);
    for (const ScriptLine& line : readScript()) {
        const LONG wait = static_cast<LONG>(port->startTick + line.ms - GetTickCount());
        if (WaitForSingleObject(port->stopEvent, wait > 0 ? static_cast<DWORD>(wait) : 0) != WAIT_TIMEOUT) return 0;
        const DWORD stamp = GetTickCount() - port->startTick;
        if (line.close) {
            notifyIn(port, MIM_CLOSE, 0, 0);
            return 0;
        }
        if (line.bytes[0] != 0xF0) {
            DWORD packed = 0;
            for (std::size_t i = 0; i < line.bytes.size() && i < 3; ++i) packed |= DWORD{line.bytes[i]} << (8 * i);
            notifyIn(port, MIM_DATA, packed, stamp);
            continue;
        }
        for (std::size_t at = 0; at < line.bytes.size();) {
            MIDIHDR* header = takeBuffer(port);
            if (!header) {
                trace("in lost");
                break;
            }
            const std::size_t count = std::min<std::size_t>(line.bytes.size() - at, header->dwBufferLength);
            std::memcpy(header->lpData, line.bytes.data() + at, count);
            header->dwBytesRecorded = static_cast<DWORD>(count);
            header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
            at += count;
            notifyIn(port, MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), stamp);
        }
    }
    return 0;
}

void stopPlayer(InPort* port) {
    if (!port->player) return;
    SetEvent(port->stopEvent);
    WaitForSingleObject(port->player, INFINITE);
    CloseHandle(port->player);
    port->player = nullptr;
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
    if (failure == "send" || refusedAfterCount(port)) return MMSYSERR_NODRIVER;
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
    if (refusedAfterCount(reinterpret_cast<Port*>(handle))) return MMSYSERR_NODRIVER;
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


UINT WINAPI midiInGetNumDevs() { return static_cast<UINT>(inputNames().size()); }

MMRESULT WINAPI midiInGetDevCapsW(UINT_PTR id, LPMIDIINCAPSW caps, UINT size) {
    const std::vector<std::string> names = inputNames();
    if (id >= names.size()) return MMSYSERR_BADDEVICEID;
    if (!caps || size < sizeof(MIDIINCAPSW)) return MMSYSERR_INVALPARAM;
    std::memset(caps, 0, sizeof(MIDIINCAPSW));
    caps->wMid = 0xFFFF;
    caps->vDriverVersion = 0x0100;
    MultiByteToWideChar(CP_ACP, 0, names[id].c_str(), -1, caps->szPname, MAXPNAMELEN - 1);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    if (!handle) return MMSYSERR_INVALPARAM;
    if (id >= inputNames().size()) return MMSYSERR_BADDEVICEID;
    trace("in open " + std::to_string(id));
    InPort* port = new InPort;
    port->device = id;
    port->callback = callback;
    port->instance = instance;
    port->kind = flags & CALLBACK_TYPEMASK;
    port->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    port->bufferEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    *handle = reinterpret_cast<HMIDIIN>(port);
    notifyIn(port, MIM_OPEN, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInPrepareHeader(HMIDIIN, LPMIDIHDR header, UINT size) {
    if (!header || size < sizeof(MIDIHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInUnprepareHeader(HMIDIIN, LPMIDIHDR header, UINT size) {
    if (!header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
    EnterCriticalSection(&lock);
    const bool queued = (header->dwFlags & MHDR_INQUEUE) != 0;
    if (!queued) header->dwFlags &= ~MHDR_PREPARED;
    LeaveCriticalSection(&lock);
    trace(queued ? "in unprepare refused" : "in unprepare");
    return queued ? MIDIERR_STILLPLAYING : MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    InPort* port = reinterpret_cast<InPort*>(handle);
    if (!port || !header || size < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    EnterCriticalSection(&lock);
    const bool queued = (header->dwFlags & MHDR_INQUEUE) != 0;
    if (!queued) {
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
        header->dwBytesRecorded = 0;
        port->queued.push_back(header);
    }
    LeaveCriticalSection(&lock);
    SetEvent(port->bufferEvent);
    return queued ? MIDIERR_STILLPLAYING : MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInStart(HMIDIIN handle) {
    InPort* port = reinterpret_cast<InPort*>(handle);
    if (!port) return MMSYSERR_INVALHANDLE;
    trace("in start");
    if (port->player) return MMSYSERR_NOERROR;
    ResetEvent(port->stopEvent);
    port->startTick = GetTickCount();
    port->player = CreateThread(nullptr, 0, playScript, port, 0, nullptr);
    return port->player ? MMSYSERR_NOERROR : MMSYSERR_NOMEM;
}

MMRESULT WINAPI midiInStop(HMIDIIN handle) {
    InPort* port = reinterpret_cast<InPort*>(handle);
    if (!port) return MMSYSERR_INVALHANDLE;
    trace("in stop");
    stopPlayer(port);
    return MMSYSERR_NOERROR;
}

// Every queued buffer comes back, empty and done, as a driver returns them.
MMRESULT WINAPI midiInReset(HMIDIIN handle) {
    InPort* port = reinterpret_cast<InPort*>(handle);
    if (!port) return MMSYSERR_INVALHANDLE;
    trace("in reset");
    stopPlayer(port);
    EnterCriticalSection(&lock);
    std::vector<MIDIHDR*> returned;
    returned.swap(port->queued);
    for (MIDIHDR* header : returned) header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    LeaveCriticalSection(&lock);
    for (MIDIHDR* header : returned) notifyIn(port, MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), 0);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInClose(HMIDIIN handle) {
    InPort* port = reinterpret_cast<InPort*>(handle);
    if (!port) return MMSYSERR_INVALHANDLE;
    EnterCriticalSection(&lock);
    const bool buffersQueued = !port->queued.empty();
    LeaveCriticalSection(&lock);
    if (buffersQueued) {
        trace("in close refused");
        return MIDIERR_STILLPLAYING;
    }
    stopPlayer(port);
    trace("in close");
    notifyIn(port, MIM_CLOSE, 0, 0);
    CloseHandle(port->stopEvent);
    CloseHandle(port->bufferEvent);
    delete port;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI midiInGetErrorTextW(MMRESULT error, LPWSTR text, UINT size) {
    return midiOutGetErrorTextW(error, text, size);
}

}  // extern "C"
