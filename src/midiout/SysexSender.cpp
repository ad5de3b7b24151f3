#include "midiout/SysexSender.h"

#include <limits>
#include <utility>

#include "midi/ControlChanges.h"
#include "midi/StatusBytes.h"

namespace {

constexpr int kReleaseAttempts = 3;
constexpr int64_t kReleaseRetryMs = 50;

// Devices that would not let their message go: the driver may still write to
// its header and buffer, so they live as long as the program.
void keepForever(std::unique_ptr<MidiOutDevice> device) {
    static std::mutex mutex;
    static auto* kept = new std::vector<std::unique_ptr<MidiOutDevice>>;
    std::lock_guard<std::mutex> lock(mutex);
    kept->push_back(std::move(device));
}

}  // namespace

uint32_t completionTimeoutMs(std::size_t messageSize) {
    constexpr uint64_t kFloorMs = 1000;
    constexpr uint64_t kMsPerByte = 3;
    const uint64_t byBytes = uint64_t{messageSize} * kMsPerByte;
    if (byBytes <= kFloorMs) return static_cast<uint32_t>(kFloorMs);
    if (byBytes > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(byBytes);
}

SysexSender::SysexSender(MidiOutSystem& system, Listener listener, SendClock& clock)
    : system_(system), listener_(std::move(listener)), clock_(clock) {
    worker_ = std::thread([this] { run(); });
}

SysexSender::~SysexSender() { shutdown(); }

uint64_t SysexSender::send(SendMode mode, unsigned deviceIndex, const uint8_t* list,
                           std::size_t length, uint32_t pauseMs) {
    auto request = std::make_unique<Request>();
    request->mode = mode;
    request->deviceIndex = deviceIndex;
    request->pauseMs = pauseMs;
    request->list.assign(list, list + length);
    std::unique_ptr<Request> replaced;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_) return 0;
    request->id = ++lastIssued_;
    // A full send that never started must not turn into a partial one.
    if (pending_ && pending_->mode == SendMode::All) request->mode = SendMode::All;
    if (mode == SendMode::Changes) keepOpen_ = true;
    replaced = std::move(pending_);
    pending_ = std::move(request);
    wake_.notify_all();
    return pending_->id;
}

void SysexSender::cancel() {
    std::unique_ptr<Request> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    cancelledThrough_ = lastIssued_;
    dropped = std::move(pending_);
    wake_.notify_all();
}

void SysexSender::release() {
    std::lock_guard<std::mutex> lock(mutex_);
    keepOpen_ = false;
    released_ = true;
    wake_.notify_all();
}

SendProgress SysexSender::progress() const {
    std::lock_guard<std::mutex> lock(mutex_);
    SendProgress snapshot = progress_;
    if (snapshot.busy) snapshot.elapsedMs = clock_.nowMs() - sendStartMs_;
    return snapshot;
}

SendEvent SysexSender::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return stop_ || (!busy_ && !pending_); });
    return lastOutcome_;
}

void SysexSender::shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        pending_.reset();
        wake_.notify_all();
    }
    if (worker_.joinable()) worker_.join();
}

void SysexSender::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_ || (device_ && !keepOpen_); });
        if (stop_) break;
        if (!pending_) {
            released_ = false;
            lock.unlock();
            const SendFailure stuck = letDeviceGo(false);
            lock.lock();
            if (stuck.code != 0 && !stop_) {
                SendEvent event;
                event.kind = SendEvent::Kind::Failed;
                event.requestId = lastOutcome_.requestId;
                event.failure = stuck;
                lastOutcome_ = event;
                lock.unlock();
                report(event);
                lock.lock();
            }
            continue;
        }
        busy_ = true;
        runSend(lock);
        busy_ = false;
        idle_.notify_all();
    }
    lock.unlock();
    if (device_) letDeviceGo(true);
    lock.lock();
    busy_ = false;
    progress_.busy = false;
    idle_.notify_all();
}

void SysexSender::runSend(std::unique_lock<std::mutex>& lock) {
    SendEvent event;
    event.kind = SendEvent::Kind::Progress;
    sendStartMs_ = clock_.nowMs();
    progress_ = SendProgress{true, 0, 0, 0};
    std::unique_ptr<Request> taken = std::move(pending_);
    bool reopen = std::exchange(released_, false);
    lock.unlock();
    bool usable = adopt(std::move(*taken), reopen, event);
    taken.reset();
    lock.lock();

    while (usable) {
        progress_.total = event.total;
        if (stop_) return;
        if (cancelledThrough_ >= current_.id) {
            event.kind = SendEvent::Kind::Cancelled;
            break;
        }
        if (pending_) {
            taken = std::move(pending_);
            reopen = std::exchange(released_, false);
            lock.unlock();
            usable = adopt(std::move(*taken), reopen, event);
            taken.reset();
            lock.lock();
            continue;
        }
        if (nextInPlan_ >= plan_.size()) {
            event.kind = SendEvent::Kind::Done;
            break;
        }
        // The pause runs from the end of the previous message, which may
        // belong to the previous send; nothing is waited after the last one.
        if (clock_.nowMs() < nextMessageAtMs_) {
            clock_.waitUntil(lock, wake_, nextMessageAtMs_);
            continue;
        }
        const SysexSpan span = plan_[nextInPlan_];
        const uint8_t* message = current_.list.data() + span.offset;
        lock.unlock();
        const SendFailure failure = sendOne(message, span.size);
        if (failure.code != 0) {
            // The device may still hold the header (a timeout) or be gone
            // (unplugged): a reset returns the header, so that it can be
            // unprepared before closing.
            const SendFailure stuck = letDeviceGo(true);
            event.kind = SendEvent::Kind::Failed;
            event.failure = stuck.code != 0 ? stuck : failure;
            lock.lock();
            break;
        }
        held_.recordSent(message, span.size);
        ++nextInPlan_;
        ++event.sent;
        lock.lock();
        nextMessageAtMs_ = clock_.nowMs() + current_.pauseMs;
        progress_.sent = event.sent;
        event.elapsedMs = clock_.nowMs() - sendStartMs_;
        if (stop_) return;
        lock.unlock();
        report(event);
        lock.lock();
    }

    if (!keepOpen_ && device_) {
        lock.unlock();
        const SendFailure stuck = letDeviceGo(false);
        lock.lock();
        if (stuck.code != 0 && event.kind != SendEvent::Kind::Failed) {
            event.kind = SendEvent::Kind::Failed;
            event.failure = stuck;
        }
    }
    event.elapsedMs = clock_.nowMs() - sendStartMs_;
    lastOutcome_ = event;
    progress_.busy = false;
    progress_.elapsedMs = event.elapsedMs;
    if (stop_) return;
    lock.unlock();
    report(event);
    lock.lock();
}

bool SysexSender::adopt(Request request, bool reopen, SendEvent& event) {
    event.requestId = request.id;
    if (device_ && (reopen || deviceIndex_ != request.deviceIndex)) {
        const SendFailure stuck = letDeviceGo(false);
        if (stuck.code != 0) {
            event.kind = SendEvent::Kind::Failed;
            event.failure = stuck;
            return false;
        }
    }
    if (!device_) {
        MidiError error = 0;
        device_ = system_.open(request.deviceIndex, error);
        if (!device_) {
            event.kind = SendEvent::Kind::Failed;
            // A seam that returns no device must not pass for a success.
            if (error == 0) error = kMidiNoDriver;
            event.failure = SendFailure{SendFailure::Step::Open, error, system_.errorText(error)};
            return false;
        }
        deviceIndex_ = request.deviceIndex;
    }
    if (request.mode == SendMode::All) held_.clear();
    current_ = std::move(request);
    // A shift the new tuning no longer has is taken back, channel by channel.
    const uint16_t coarseLeft = held_.coarseTuningsLeft(current_.list.data(), current_.list.size());
    for (int channel = 0; channel < 16; ++channel) {
        if (!(coarseLeft & (1u << channel))) continue;
        uint8_t none[kCoarseTuningSize];
        appendCoarseTuning(none, channel, 0);
        current_.list.insert(current_.list.end(), none, none + kCoarseTuningSize);
    }
    plan_ = held_.changedMessages(current_.list.data(), current_.list.size());
    nextInPlan_ = 0;
    event.total = event.sent + static_cast<uint32_t>(plan_.size());
    return true;
}

SendFailure SysexSender::sendOne(const uint8_t* message, std::size_t size) {
    if (isChannelRun(message)) return sendChannelRun(message, size);
    MidiError error = device_->sendLong(message, size);
    if (error == 0) {
        error = device_->waitDone(completionTimeoutMs(size));
        if (error == kMidiTimedOut) return SendFailure{SendFailure::Step::Timeout, error, {}};
    }
    if (error == 0) error = device_->unprepare();
    if (error == 0) return SendFailure{SendFailure::Step::Send, 0, {}};
    return SendFailure{SendFailure::Step::Send, error, system_.errorText(error)};
}

SendFailure SysexSender::sendChannelRun(const uint8_t* run, std::size_t size) {
    for (std::size_t at = 0; at < size;) {
        // Program change and channel pressure carry one data byte, the others two.
        const std::size_t count = 1 + channelDataBytes(run[at]);
        if (const MidiError error = device_->sendShort(run + at, count))
            return SendFailure{SendFailure::Step::Send, error, system_.errorText(error)};
        at += count;
    }
    return SendFailure{SendFailure::Step::Send, 0, {}};
}

SendFailure SysexSender::letDeviceGo(bool resetFirst) {
    // Whatever the device holds is unknown from here on.
    held_.clear();
    MidiError refusal = 0;
    for (int attempt = 0; attempt < kReleaseAttempts; ++attempt) {
        if (attempt > 0) pauseFor(kReleaseRetryMs);
        if (resetFirst || attempt > 0) device_->reset();
        refusal = device_->unprepare();
        if (refusal == 0) refusal = device_->close();
        if (refusal == 0) {
            device_.reset();
            return {};
        }
    }
    keepForever(std::move(device_));
    return SendFailure{SendFailure::Step::Stuck, refusal, system_.errorText(refusal)};
}

void SysexSender::pauseFor(int64_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    const int64_t until = clock_.nowMs() + ms;
    while (clock_.nowMs() < until) clock_.waitUntil(lock, wake_, until);
}

void SysexSender::report(const SendEvent& event) {
    if (listener_) listener_(event);
}
