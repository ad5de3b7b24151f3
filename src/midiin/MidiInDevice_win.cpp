#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <string>

#include "base/SystemLibrary.h"
#include "midi/StatusBytes.h"
#include "midiin/QueuedMidiIn.h"
#include "midiout/WinmmDeviceList.h"

namespace {

// winmm's input side, loaded at run time from the system folder only
// (SystemLibrary), as the output side loads it.
class WinmmIn {
public:
    WinmmIn() : library_("winmm.dll") {
        library_.lookUp(getNumDevs, "midiInGetNumDevs");
        library_.lookUp(getDevCaps, "midiInGetDevCapsW");
        library_.lookUp(open, "midiInOpen");
        library_.lookUp(prepareHeader, "midiInPrepareHeader");
        library_.lookUp(unprepareHeader, "midiInUnprepareHeader");
        library_.lookUp(addBuffer, "midiInAddBuffer");
        library_.lookUp(start, "midiInStart");
        library_.lookUp(stop, "midiInStop");
        library_.lookUp(reset, "midiInReset");
        library_.lookUp(close, "midiInClose");
        library_.lookUp(getErrorText, "midiInGetErrorTextW");
    }

    bool usable() const {
        return getNumDevs && getDevCaps && open && prepareHeader && unprepareHeader && addBuffer && start &&
               stop && reset && close && getErrorText;
    }

    decltype(&::midiInGetNumDevs) getNumDevs = nullptr;
    decltype(&::midiInGetDevCapsW) getDevCaps = nullptr;
    decltype(&::midiInOpen) open = nullptr;
    decltype(&::midiInPrepareHeader) prepareHeader = nullptr;
    decltype(&::midiInUnprepareHeader) unprepareHeader = nullptr;
    decltype(&::midiInAddBuffer) addBuffer = nullptr;
    decltype(&::midiInStart) start = nullptr;
    decltype(&::midiInStop) stop = nullptr;
    decltype(&::midiInReset) reset = nullptr;
    decltype(&::midiInClose) close = nullptr;
    decltype(&::midiInGetErrorTextW) getErrorText = nullptr;

private:
    SystemLibrary library_;
};

// Room for this many messages waiting, and SysEx buffers of 32 KiB
// together: the driver fills one after another and returns each full one
// (or the one a message ends in), so a longer SysEx takes several.
constexpr std::size_t kQueuedMessages = 4096;
constexpr unsigned kSysexBuffers = 16;
constexpr DWORD kSysexBufferSize = 2048;
// A driver that keeps a buffer after a reset is asked again a few times.
constexpr int kCloseAttempts = 3;

// An open device with CALLBACK_FUNCTION. winmm calls back on the driver's
// thread, where only a few system calls are allowed (midiInAddBuffer is not
// among them): the callback queues the message, or the buffer a SysEx piece
// is in, and the consumer copies the piece and adds the buffer again.
class WinMidiInDevice final : public QueuedMidiIn {
public:
    explicit WinMidiInDevice(WinmmIn& winmm)
        : QueuedMidiIn(kQueuedMessages),
          winmm_(winmm),
          headers_(std::make_unique<MIDIHDR[]>(kSysexBuffers)),
          storage_(std::make_unique<char[]>(std::size_t{kSysexBuffers} * kSysexBufferSize)) {}
    ~WinMidiInDevice() override { close(); }
    WinMidiInDevice(const WinMidiInDevice&) = delete;
    WinMidiInDevice& operator=(const WinMidiInDevice&) = delete;

    // Opens device `index` and hands the driver every buffer, prepared.
    MidiError open(UINT index) {
        HMIDIIN handle = nullptr;
        MMRESULT result = winmm_.open(&handle, index, reinterpret_cast<DWORD_PTR>(&WinMidiInDevice::callback),
                                      reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
        if (result != MMSYSERR_NOERROR) return result;
        handle_ = handle;
        for (unsigned i = 0; i < kSysexBuffers; ++i) {
            MIDIHDR& header = headers_[i];
            header = MIDIHDR{};
            header.lpData = storage_.get() + std::size_t{i} * kSysexBufferSize;
            header.dwBufferLength = kSysexBufferSize;
            header.dwUser = i;
            result = winmm_.prepareHeader(handle_, &header, sizeof header);
            if (result != MMSYSERR_NOERROR) return result;
            ++prepared_;
            result = winmm_.addBuffer(handle_, &header, sizeof header);
            if (result != MMSYSERR_NOERROR) return result;
        }
        return MMSYSERR_NOERROR;
    }

    MidiError stop() override { return handle_ ? winmm_.stop(handle_) : 0; }

private:
    MidiError startSystem() override { return winmm_.start(handle_); }
    const uint8_t* pieceBytes(uint32_t buffer) override {
        return reinterpret_cast<const uint8_t*>(headers_[buffer].lpData);
    }
    void returnBuffer(uint32_t buffer) override {
        // A buffer the driver refuses is one fewer for long messages; the
        // short ones go on.
        if (!closing_.load(std::memory_order_acquire))
            winmm_.addBuffer(handle_, &headers_[buffer], sizeof(MIDIHDR));
    }

    // Stop, then reset (which returns every buffer, marked done), then
    // unprepare each and close: a device closed with a buffer still queued
    // refuses (MIDIERR_STILLPLAYING).
    void close() {
        if (!handle_) return;
        closing_.store(true, std::memory_order_release);
        winmm_.stop(handle_);
        for (int attempt = 0; attempt < kCloseAttempts && handle_; ++attempt) {
            winmm_.reset(handle_);
            for (unsigned i = 0; i < prepared_; ++i)
                winmm_.unprepareHeader(handle_, &headers_[i], sizeof(MIDIHDR));
            if (winmm_.close(handle_) == MMSYSERR_NOERROR) handle_ = nullptr;
        }
        if (handle_) {
            // The driver may still write into them: never freed.
            headers_.release();
            storage_.release();
        }
    }

    static void CALLBACK callback(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                  DWORD_PTR param2) {
        try {
            reinterpret_cast<WinMidiInDevice*>(instance)->take(message, param1, param2);
        } catch (...) {
        }
    }

    void take(UINT message, DWORD_PTR param1, DWORD_PTR param2) {
        const int64_t timeUs = static_cast<int64_t>(param2) * 1000;  // ms from midiInStart
        const bool closing = closing_.load(std::memory_order_acquire);
        switch (message) {
        case MIM_DATA: {
            // Status in the low byte, the data bytes above it.
            const uint8_t bytes[3] = {static_cast<uint8_t>(param1), static_cast<uint8_t>(param1 >> 8),
                                      static_cast<uint8_t>(param1 >> 16)};
            pushShort(bytes, shortMessageSize(bytes[0]), timeUs);
            break;
        }
        case MIM_LONGDATA:
            // On close the buffers come back through reset and stay.
            if (!closing) {
                const MIDIHDR& header = *reinterpret_cast<const MIDIHDR*>(param1);
                pushSysexPiece(static_cast<uint32_t>(header.dwUser), header.dwBytesRecorded, timeUs);
            }
            break;
        case MIM_ERROR: noteDamaged(); break;
        case MIM_LONGERROR:
            if (!closing) pushDamagedPiece(static_cast<uint32_t>(reinterpret_cast<const MIDIHDR*>(param1)->dwUser));
            break;
        case MIM_CLOSE:
            if (!closing) fail(kMidiDeviceGone);
            break;
        default: break;
        }
    }

    WinmmIn& winmm_;
    HMIDIIN handle_ = nullptr;
    std::unique_ptr<MIDIHDR[]> headers_;
    std::unique_ptr<char[]> storage_;
    unsigned prepared_ = 0;
    std::atomic<bool> closing_{false};
};

class WinMidiIn final : public MidiInSystem {
public:
    MidiDeviceList listDevices() override { return winmmDeviceList<MIDIINCAPSW>(winmm_); }
    std::unique_ptr<MidiInDevice> open(unsigned index, MidiError& error) override {
        if (!winmm_.usable()) {
            error = MMSYSERR_NODRIVER;
            return nullptr;
        }
        auto device = std::make_unique<WinMidiInDevice>(winmm_);
        error = device->open(index);
        if (error != MMSYSERR_NOERROR) return nullptr;
        return device;
    }
    std::string errorText(MidiError error) override { return winmmErrorText<MAXERRORLENGTH>(winmm_, error); }

private:
    WinmmIn winmm_;
};

}  // namespace

MidiInSystem& platformMidiIn() {
    static WinMidiIn system;
    return system;
}
