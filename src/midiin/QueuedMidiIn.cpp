#include "midiin/QueuedMidiIn.h"

#include <algorithm>

#include "midi/StatusBytes.h"

QueuedMidiIn::QueuedMidiIn(std::size_t events) : events_(events) { assembly_.reserve(4096); }

MidiError QueuedMidiIn::start(MidiInWake& wake) {
    wake_.store(&wake, std::memory_order_release);
    return startSystem();
}

void QueuedMidiIn::pushShort(const uint8_t* bytes, std::size_t size, int64_t timeUs) {
    if (size == 0) return;
    const StatusClass status = classOf(bytes[0]);
    if (status == StatusClass::Data || status == StatusClass::SysexStart || status == StatusClass::SysexEnd) {
        noteDamaged();  // no status of a short message
        return;
    }
    if (isTimingTraffic(bytes[0])) return;
    Event event;
    event.size = static_cast<uint8_t>(std::min<std::size_t>(size, sizeof event.bytes));
    std::copy(bytes, bytes + event.size, event.bytes);
    event.timeUs = timeUs;
    push(event);
}

void QueuedMidiIn::pushSysexPiece(uint32_t buffer, uint32_t length, int64_t timeUs) {
    Event event;
    event.kind = Event::Kind::Piece;
    event.buffer = buffer;
    event.length = length;
    event.timeUs = timeUs;
    push(event);
}

void QueuedMidiIn::pushDamagedPiece(uint32_t buffer) {
    damaged_.fetch_add(1, std::memory_order_relaxed);
    Event event;
    event.kind = Event::Kind::DamagedPiece;
    event.buffer = buffer;
    push(event);
}

void QueuedMidiIn::noteDamaged() {
    damaged_.fetch_add(1, std::memory_order_relaxed);
    lostSincePush_ = true;
    tellWake();
}

void QueuedMidiIn::noteOverflow() {
    overflowed_.fetch_add(1, std::memory_order_relaxed);
    lostSincePush_ = true;
    tellWake();
}

void QueuedMidiIn::push(Event event) {
    event.afterLoss = lostSincePush_;
    if (events_.push(event)) {
        lostSincePush_ = false;
    } else {
        lostSincePush_ = true;
        // The buffer must go back to the system all the same, or it runs
        // out of them.
        if (event.kind != Event::Kind::Short)
            orphaned_.fetch_or(uint64_t{1} << event.buffer, std::memory_order_release);
    }
    tellWake();
}

void QueuedMidiIn::tellWake() {
    if (MidiInWake* wake = wake_.load(std::memory_order_acquire)) wake->wake();
}

void QueuedMidiIn::fail(MidiError code, const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(failureMutex_);
        if (failure_.load(std::memory_order_relaxed) != 0) return;
        failureText_ = text;
        failure_.store(code, std::memory_order_release);
    }
    tellWake();
}

MidiInLosses QueuedMidiIn::losses() const {
    return {events_.overflows() + overflowed_.load(std::memory_order_relaxed),
            damaged_.load(std::memory_order_relaxed)};
}

MidiError QueuedMidiIn::failure() const { return failure_.load(std::memory_order_acquire); }

std::string QueuedMidiIn::failureText() const {
    std::lock_guard<std::mutex> lock(failureMutex_);
    return failureText_;
}

void QueuedMidiIn::returnOrphans() {
    uint64_t orphans = orphaned_.exchange(0, std::memory_order_acquire);
    for (uint32_t buffer = 0; orphans != 0; ++buffer, orphans >>= 1)
        if (orphans & 1) returnBuffer(buffer);
}

bool QueuedMidiIn::receive(MidiInMessage& message) {
    returnOrphans();
    Event event;
    while (events_.pop(event)) {
        if (event.afterLoss && !assembly_.empty()) {
            // The SysEx being put together may have lost a piece.
            assembly_.clear();
            skipping_ = true;
        }
        switch (event.kind) {
        case Event::Kind::Short:
            message.bytes.assign(event.bytes, event.bytes + event.size);
            message.timeUs = event.timeUs;
            return true;
        case Event::Kind::DamagedPiece:
            assembly_.clear();
            skipping_ = false;
            returnBuffer(event.buffer);
            break;
        case Event::Kind::Piece: {
            const bool whole = addPiece(pieceBytes(event.buffer), event.length, event.timeUs, event.afterLoss);
            returnBuffer(event.buffer);
            if (whole) {
                message.bytes.assign(assembly_.begin(), assembly_.end());
                message.timeUs = assemblyTimeUs_;
                assembly_.clear();
                return true;
            }
            break;
        }
        }
    }
    return false;
}

bool QueuedMidiIn::addPiece(const uint8_t* bytes, uint32_t length, int64_t timeUs, bool afterLoss) {
    if (length == 0) return false;  // a buffer handed back unfilled (a reset)
    if (bytes[0] == kSysexStart) {
        if (!assembly_.empty()) damaged_.fetch_add(1, std::memory_order_relaxed);  // cut short by this one
        assembly_.clear();
        assemblyTimeUs_ = timeUs;
        skipping_ = false;
    } else if (assembly_.empty() && !skipping_) {
        // The rest of a SysEx whose beginning never came. After a loss the
        // beginning was counted already.
        if (!afterLoss) damaged_.fetch_add(1, std::memory_order_relaxed);
        skipping_ = true;
    }
    if (!skipping_) {
        if (assembly_.size() + length > kMaxSysexSize) {
            damaged_.fetch_add(1, std::memory_order_relaxed);
            assembly_.clear();
            skipping_ = true;
        } else {
            assembly_.insert(assembly_.end(), bytes, bytes + length);
        }
    }
    if (bytes[length - 1] != kSysexEnd) return false;
    const bool whole = !skipping_;
    skipping_ = false;
    return whole;
}

PooledMidiIn::PooledMidiIn(std::size_t events, unsigned buffers, std::size_t bufferSize)
    : QueuedMidiIn(events),
      bufferSize_(bufferSize),
      storage_(std::make_unique<uint8_t[]>(std::size_t{std::min(buffers, kMaxBuffers)} * bufferSize)),
      free_(std::min(buffers, kMaxBuffers)) {
    for (uint32_t buffer = 0; buffer < std::min(buffers, kMaxBuffers); ++buffer) free_.push(buffer);
}

void PooledMidiIn::pushWhole(const uint8_t* bytes, std::size_t size, int64_t timeUs) {
    if (size == 0) return;
    if (bytes[0] != kSysexStart) {
        pushShort(bytes, size, timeUs);
        return;
    }
    const std::size_t pieces = (size + bufferSize_ - 1) / bufferSize_;
    if (free_.size() < pieces || queueRoom() < pieces) {
        noteOverflow();
        return;
    }
    for (std::size_t at = 0; at < size; at += bufferSize_) {
        uint32_t buffer = 0;
        free_.pop(buffer);
        const std::size_t length = std::min(bufferSize_, size - at);
        std::copy(bytes + at, bytes + at + length, storage_.get() + buffer * bufferSize_);
        pushSysexPiece(buffer, static_cast<uint32_t>(length), timeUs);
    }
}

const uint8_t* PooledMidiIn::pieceBytes(uint32_t buffer) { return storage_.get() + buffer * bufferSize_; }

void PooledMidiIn::returnBuffer(uint32_t buffer) { free_.push(buffer); }
