// What every system's input device shares: the queue between the system's
// input thread and the consumer, SysEx put together from the pieces the
// system fills its buffers with, the losses counted and the failure kept.
// Platform-free; MidiInDevice_win.cpp and the RtMidi side derive from it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "midiin/MidiInDevice.h"
#include "midiin/SpscQueue.h"

class QueuedMidiIn : public MidiInDevice {
public:
    // A SysEx longer than this is let go as damaged: no tuning or reset is
    // near it, and a stuck sender must not fill the memory.
    static constexpr std::size_t kMaxSysexSize = 65536;
    // The most system buffers a device may have (one bit each in a word).
    static constexpr unsigned kMaxBuffers = 64;

    // Room for `events` messages and SysEx pieces waiting.
    explicit QueuedMidiIn(std::size_t events);

    // Keeps `wake`, then startSystem().
    MidiError start(MidiInWake& wake) final;
    bool receive(MidiInMessage& message) final;
    MidiInLosses losses() const final;
    MidiError failure() const final;
    std::string failureText() const final;

protected:
    // Producer side: the system's input thread, one at a time. Nothing here
    // waits or allocates; each tells the wake.
    //
    // A short message of `size` bytes (extra bytes are not kept); timing
    // traffic (isTimingTraffic) is passed by.
    void pushShort(const uint8_t* bytes, std::size_t size, int64_t timeUs);
    // System buffer `buffer` (below kMaxBuffers) holds `length` bytes of a
    // SysEx: the whole message, its beginning, a middle or its end, as the
    // system cut it. The consumer copies them and gives the buffer back
    // (returnBuffer), at once if the queue has no room.
    void pushSysexPiece(uint32_t buffer, uint32_t length, int64_t timeUs);
    // The same for a buffer the system returned with damaged data in it.
    void pushDamagedPiece(uint32_t buffer);
    // A short message arrived damaged (winmm's MIM_ERROR).
    void noteDamaged();
    // A message the system had no room for on its own side.
    void noteOverflow();
    // Any thread: the device stopped delivering. The first failure stays.
    void fail(MidiError code, const std::string& text = std::string());
    // Producer: places left in the queue.
    std::size_t queueRoom() const { return events_.room(); }

    // Called on the consumer's thread (in receive): where the bytes of a
    // piece are, and the buffer given back to the system for the next one.
    virtual const uint8_t* pieceBytes(uint32_t buffer) = 0;
    virtual void returnBuffer(uint32_t buffer) = 0;
    // Starts the system's delivery; the wake is set by then.
    virtual MidiError startSystem() = 0;

private:
    struct Event {
        enum class Kind : uint8_t { Short, Piece, DamagedPiece };
        Kind kind = Kind::Short;
        // Something was lost just before: a SysEx being put together may
        // miss a piece.
        bool afterLoss = false;
        uint8_t size = 0;
        uint8_t bytes[3] = {};
        uint32_t buffer = 0;
        uint32_t length = 0;
        int64_t timeUs = 0;
    };

    void push(Event event);
    void tellWake();
    // True when the piece ends a whole SysEx, then in `assembly_`.
    bool addPiece(const uint8_t* bytes, uint32_t length, int64_t timeUs, bool afterLoss);
    void returnOrphans();

    SpscQueue<Event> events_;
    std::atomic<MidiInWake*> wake_{nullptr};
    std::atomic<uint64_t> overflowed_{0};  // beside the queue's own overflows
    std::atomic<uint64_t> damaged_{0};
    // Bit n: buffer n came back while the queue was full; the consumer gives
    // it back to the system unread.
    std::atomic<uint64_t> orphaned_{0};
    std::atomic<MidiError> failure_{0};
    mutable std::mutex failureMutex_;
    std::string failureText_;

    bool lostSincePush_ = false;  // producer only

    // Consumer only.
    std::vector<uint8_t> assembly_;
    int64_t assemblyTimeUs_ = 0;
    bool skipping_ = false;  // the rest of a SysEx that lost a piece or ran too long
};

// An input device whose system hands over whole messages (RtMidi, a test's
// fake device): SysEx are copied into buffers of the device's own, from a
// pool, and given back to it once received.
class PooledMidiIn : public QueuedMidiIn {
public:
    // `buffers` (at most kMaxBuffers) of `bufferSize` bytes each; a SysEx
    // longer than one takes several.
    PooledMidiIn(std::size_t events, unsigned buffers, std::size_t bufferSize);

protected:
    // Producer side: one whole message, a SysEx or a short one. A SysEx
    // with too few buffers or too little room in the queue left is lost
    // whole, and counted.
    void pushWhole(const uint8_t* bytes, std::size_t size, int64_t timeUs);

private:
    const uint8_t* pieceBytes(uint32_t buffer) final;
    void returnBuffer(uint32_t buffer) final;

    const std::size_t bufferSize_;
    std::unique_ptr<uint8_t[]> storage_;
    SpscQueue<uint32_t> free_;  // the consumer gives back, the producer takes
};
