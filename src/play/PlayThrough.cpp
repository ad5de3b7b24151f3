#include "play/PlayThrough.h"

#include <utility>

#include "midi/StatusBytes.h"
#include "midiout/SysexSender.h"

// Sends on the worker thread and keeps the output's first failure; sends
// after it are tried all the same (the processor's stop comes after one).
class PlayThrough::OutputSink final : public MidiSink {
public:
    OutputSink(MidiOutDevice& device, MidiOutSystem& system) : device_(device), system_(system) {}

    void send(const uint8_t* bytes, std::size_t size) override {
        if (size == 0) return;
        MidiError error = 0;
        PlayFailure::Step step = PlayFailure::Step::Send;
        if (bytes[0] == kSysexStart) {
            error = device_.sendLong(bytes, size);
            if (error == 0) {
                error = device_.waitDone(completionTimeoutMs(size));
                if (error == kMidiTimedOut) {
                    step = PlayFailure::Step::Timeout;
                    device_.reset();  // the device returns the message it held
                }
                const MidiError unprepared = device_.unprepare();
                if (error == 0) error = unprepared;
            }
        } else {
            error = device_.sendShort(bytes, size);
        }
        if (error == 0) {
            ++sent_;
        } else if (!failed_) {
            failed_ = true;
            failure_ = {PlayFailure::Device::Output, step, error,
                        step == PlayFailure::Step::Timeout ? std::string() : system_.errorText(error)};
        }
    }

    bool failed() const { return failed_; }
    const PlayFailure& failure() const { return failure_; }
    uint64_t sent() const { return sent_; }

private:
    MidiOutDevice& device_;
    MidiOutSystem& system_;
    bool failed_ = false;
    PlayFailure failure_;
    uint64_t sent_ = 0;
};

PlayThrough::PlayThrough(MidiInSystem& inSystem, unsigned inIndex, MidiOutSystem& outSystem, unsigned outIndex,
                         MidiProcessor& processor, Listener listener)
    : inSystem_(inSystem),
      inIndex_(inIndex),
      outSystem_(outSystem),
      outIndex_(outIndex),
      processor_(processor),
      listener_(std::move(listener)) {
    worker_ = std::thread(&PlayThrough::run, this);
}

PlayThrough::~PlayThrough() { stop(); }

void PlayThrough::change(Change change) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (hasEnded_) return;
        changes_.push_back(std::move(change));
    }
    wake_.notify_one();
}

void PlayThrough::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_one();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::this_thread::get_id() == workerId_) return;
    }
    std::lock_guard<std::mutex> lock(joinMutex_);
    if (worker_.joinable()) worker_.join();
}

PlayEvent PlayThrough::waitUntilStopped() {
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait(lock, [this] { return hasEnded_; });
    return last_;
}

void PlayThrough::wake() noexcept {
    // A burst of messages takes the lock once: the worker clears the flag
    // before it takes them.
    if (signalled_.exchange(true, std::memory_order_acq_rel)) return;
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_one();
}

void PlayThrough::run() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        workerId_ = std::this_thread::get_id();
    }
    PlayFailure failure;
    if (!openDevices(failure)) {
        finish(nullptr, &failure);
        return;
    }
    OutputSink sink(*output_, outSystem_);
    processor_.start(sink);
    if (sink.failed()) {
        finish(&sink, &sink.failure());
        return;
    }
    report(PlayEvent{});
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] {
            return signalled_.load(std::memory_order_acquire) || stopRequested_ || !changes_.empty();
        });
        signalled_.store(false, std::memory_order_release);
        std::vector<Change> changes;
        changes.swap(changes_);
        const bool stopping = stopRequested_;
        lock.unlock();

        if (stopping) stopInput();
        // Read before the messages are taken: all those that came before
        // the failure are in the queue by then.
        const MidiError inputFailure = input_->failure();
        bool outputWorks = drain(sink);
        for (Change& change : changes) {
            if (!outputWorks) break;
            change(sink);
            outputWorks = !sink.failed();
        }
        reportLosses();
        if (!outputWorks) {
            finish(&sink, &sink.failure());
            return;
        }
        if (inputFailure != 0) {
            const std::string text = input_->failureText();
            failure = {PlayFailure::Device::Input, PlayFailure::Step::Receive, inputFailure,
                       text.empty() ? inSystem_.errorText(inputFailure) : text};
            finish(&sink, &failure);
            return;
        }
        if (stopping) {
            finish(&sink, nullptr);
            return;
        }
        lock.lock();
    }
}

bool PlayThrough::openDevices(PlayFailure& failure) {
    MidiError error = 0;
    input_ = inSystem_.open(inIndex_, error);
    if (!input_) {
        failure = {PlayFailure::Device::Input, PlayFailure::Step::Open, error, inSystem_.errorText(error)};
        return false;
    }
    output_ = outSystem_.open(outIndex_, error);
    if (!output_) {
        failure = {PlayFailure::Device::Output, PlayFailure::Step::Open, error, outSystem_.errorText(error)};
        return false;
    }
    error = input_->start(*this);
    if (error != 0) {
        failure = {PlayFailure::Device::Input, PlayFailure::Step::Start, error, inSystem_.errorText(error)};
        return false;
    }
    inputStarted_ = true;
    return true;
}

bool PlayThrough::drain(OutputSink& sink) {
    while (!sink.failed() && input_->receive(message_)) {
        ++received_;
        processor_.process(message_.bytes.data(), message_.bytes.size(), sink);
    }
    return !sink.failed();
}

void PlayThrough::reportLosses() {
    const MidiInLosses now = input_->losses();
    if (now == reported_) return;
    PlayEvent event;
    event.kind = PlayEvent::Kind::Lost;
    event.losses = {now.overflowed - reported_.overflowed, now.damaged - reported_.damaged};
    reported_ = now;
    report(event);
}

void PlayThrough::finish(OutputSink* sink, const PlayFailure* failure) {
    PlayEvent stopped;
    stopped.kind = PlayEvent::Kind::Stopped;
    if (failure) {
        stopped.failed = true;
        stopped.failure = *failure;
        PlayEvent failed = stopped;
        failed.kind = PlayEvent::Kind::Failed;
        report(failed);
    }
    stopInput();
    // Only a processor that was handed messages has notes to end.
    if (sink) processor_.stop(*sink);
    if (output_) {
        output_->reset();
        output_->unprepare();
        output_->close();
        output_.reset();
    }
    input_.reset();
    stopped.received = received_;
    stopped.sent = sink ? sink->sent() : 0;
    report(stopped);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hasEnded_ = true;
        last_ = stopped;
        changes_.clear();
    }
    ended_.notify_all();
}

void PlayThrough::stopInput() {
    if (inputStarted_) input_->stop();
    inputStarted_ = false;
}

void PlayThrough::report(const PlayEvent& event) {
    if (listener_) listener_(event);
}
