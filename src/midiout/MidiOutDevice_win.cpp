#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/SystemLibrary.h"
#include "midiout/MidiOutDevice.h"
#include "midiout/WinmmDeviceList.h"

namespace {

// winmm, loaded at run time from the system folder only (SystemLibrary).
class Winmm {
public:
    Winmm() : library_("winmm.dll") {
        library_.lookUp(getNumDevs, "midiOutGetNumDevs");
        library_.lookUp(getDevCaps, "midiOutGetDevCapsW");
        library_.lookUp(open, "midiOutOpen");
        library_.lookUp(prepareHeader, "midiOutPrepareHeader");
        library_.lookUp(longMsg, "midiOutLongMsg");
        library_.lookUp(shortMsg, "midiOutShortMsg");
        library_.lookUp(unprepareHeader, "midiOutUnprepareHeader");
        library_.lookUp(reset, "midiOutReset");
        library_.lookUp(close, "midiOutClose");
        library_.lookUp(getErrorText, "midiOutGetErrorTextW");
    }

    bool usable() const {
        return getNumDevs && getDevCaps && open && prepareHeader && longMsg && shortMsg &&
               unprepareHeader && reset && close && getErrorText;
    }

    decltype(&::midiOutGetNumDevs) getNumDevs = nullptr;
    decltype(&::midiOutGetDevCapsW) getDevCaps = nullptr;
    decltype(&::midiOutOpen) open = nullptr;
    decltype(&::midiOutPrepareHeader) prepareHeader = nullptr;
    decltype(&::midiOutLongMsg) longMsg = nullptr;
    decltype(&::midiOutShortMsg) shortMsg = nullptr;
    decltype(&::midiOutUnprepareHeader) unprepareHeader = nullptr;
    decltype(&::midiOutReset) reset = nullptr;
    decltype(&::midiOutClose) close = nullptr;
    decltype(&::midiOutGetErrorTextW) getErrorText = nullptr;

private:
    SystemLibrary library_;
};

// An open device with CALLBACK_EVENT: winmm signals the event when a header
// is done (and on open and close, which the done flag tells apart).
class WinMidiOutDevice final : public MidiOutDevice {
public:
    WinMidiOutDevice(Winmm& winmm, HMIDIOUT handle, HANDLE event)
        : winmm_(winmm), handle_(handle), event_(event) {}
    ~WinMidiOutDevice() override {
        if (handle_) {
            winmm_.reset(handle_);
            unprepare();
            close();
        }
        CloseHandle(event_);
    }
    WinMidiOutDevice(const WinMidiOutDevice&) = delete;
    WinMidiOutDevice& operator=(const WinMidiOutDevice&) = delete;

    MidiError sendLong(const uint8_t* bytes, std::size_t count) override {
        if (prepared_) return MIDIERR_STILLPLAYING;
        buffer_.assign(bytes, bytes + count);
        header_ = MIDIHDR{};
        header_.lpData = buffer_.data();
        header_.dwBufferLength = static_cast<DWORD>(count);
        header_.dwBytesRecorded = static_cast<DWORD>(count);
        MMRESULT result = winmm_.prepareHeader(handle_, &header_, sizeof header_);
        if (result != MMSYSERR_NOERROR) return result;
        prepared_ = true;
        result = winmm_.longMsg(handle_, &header_, sizeof header_);
        if (result != MMSYSERR_NOERROR) unprepare();
        return result;
    }
    MidiError sendShort(const uint8_t* bytes, std::size_t count) override {
        // Status in the low byte, the data bytes above it.
        DWORD message = 0;
        for (std::size_t i = 0; i < count && i < 3; ++i) message |= DWORD{bytes[i]} << (8 * i);
        return winmm_.shortMsg(handle_, message);
    }
    MidiError waitDone(uint32_t timeoutMs) override {
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            if (done()) return 0;
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeoutMs) return kMidiTimedOut;
            if (WaitForSingleObject(event_, static_cast<DWORD>(timeoutMs - elapsed)) == WAIT_FAILED)
                return MMSYSERR_ERROR;
        }
    }
    MidiError unprepare() override {
        if (!prepared_) return 0;
        const MMRESULT result = winmm_.unprepareHeader(handle_, &header_, sizeof header_);
        if (result == MMSYSERR_NOERROR) prepared_ = false;
        return result;
    }
    MidiError reset() override { return handle_ ? winmm_.reset(handle_) : 0; }
    MidiError close() override {
        if (!handle_) return 0;
        const MMRESULT result = winmm_.close(handle_);
        // A device that refuses (a message still queued) stays open, to be
        // reset and closed again.
        if (result == MMSYSERR_NOERROR) handle_ = nullptr;
        return result;
    }

private:
    // The driver sets the flag on its own thread.
    bool done() const {
        MemoryBarrier();
        return (static_cast<const volatile DWORD&>(header_.dwFlags) & MHDR_DONE) != 0;
    }

    Winmm& winmm_;
    HMIDIOUT handle_;
    HANDLE event_;
    MIDIHDR header_{};
    // The driver reads it until the header is unprepared.
    std::vector<char> buffer_;
    bool prepared_ = false;
};

class WinMidiOut final : public MidiOutSystem {
public:
    MidiDeviceList listDevices() override { return winmmDeviceList<MIDIOUTCAPSW>(winmm_); }
    std::unique_ptr<MidiOutDevice> open(unsigned index, MidiError& error) override {
        if (!winmm_.usable()) {
            error = MMSYSERR_NODRIVER;
            return nullptr;
        }
        HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!event) {
            error = MMSYSERR_NOMEM;
            return nullptr;
        }
        HMIDIOUT handle = nullptr;
        const MMRESULT result = winmm_.open(&handle, index, reinterpret_cast<DWORD_PTR>(event), 0,
                                            CALLBACK_EVENT);
        if (result != MMSYSERR_NOERROR) {
            CloseHandle(event);
            error = result;
            return nullptr;
        }
        error = 0;
        return std::make_unique<WinMidiOutDevice>(winmm_, handle, event);
    }
    std::string errorText(MidiError error) override { return winmmErrorText<MAXERRORLENGTH>(winmm_, error); }

private:
    Winmm winmm_;
};

}  // namespace

MidiOutSystem& platformMidiOut() {
    static WinMidiOut system;
    return system;
}
