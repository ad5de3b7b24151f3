#include "cli/PlayCommand.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "cli/CliPorts.h"
#include "cli/CliTexts.h"
#include "play/PlayThrough.h"
#include "play/RetuneProcessor.h"
#include "song/TuningBends.h"

namespace {

const char kProgram[] = "velmarin-cli: ";

// How often the command asks whether the user stopped it, and so how late
// at most it notices that a device failed.
constexpr std::chrono::milliseconds kPollInterval{200};

// What the worker reports, for the command's thread.
class PlayWatch {
public:
    PlayThrough::Listener listener() {
        return [this](const PlayEvent& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            switch (event.kind) {
            case PlayEvent::Kind::Started: started_ = true; break;
            case PlayEvent::Kind::Lost:
                losses_.overflowed += event.losses.overflowed;
                losses_.damaged += event.losses.damaged;
                break;
            case PlayEvent::Kind::Failed: break;
            case PlayEvent::Kind::Stopped: stopped_ = true; break;
            }
            changed_.notify_all();
        };
    }
    // True once play-through started, false when it ended first.
    bool waitUntilStartedOrStopped() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return started_ || stopped_; });
        return started_;
    }
    bool stopped() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return stopped_;
    }
    MidiInLosses losses() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return losses_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool started_ = false;
    bool stopped_ = false;
    MidiInLosses losses_;
};

// The channels the notes are played on: the bend method's output channels,
// or the MPE zone's member channels, neither carrying the drums'.
uint16_t retunedChannels(const RetuneOptions& options) {
    const uint32_t members = ((1u << options.mpeMemberChannels) - 1) << 1;
    const uint32_t channels = options.method == RetuneMethod::Mpe ? members : options.outputChannels;
    return static_cast<uint16_t>(channels & ~options.untouchedChannels);
}

// "by pitch bend on channels 1-9,11-16" and its like.
std::string methodText(const CliCommand& command) {
    const RetuneOptions& options = command.retune;
    switch (options.method) {
    case RetuneMethod::PitchBend: return "by pitch bend on channels " + channelListText(retunedChannels(options));
    case RetuneMethod::Mpe:
        return "as an MPE zone on channels " + channelListText(retunedChannels(options)) + " at " +
               std::to_string(options.mpeBendRange) + " semitones";
    case RetuneMethod::TuningMessages:
        return std::string("by ") + cliFormatWord(command.format, command.mts.form) + " tuning messages for parts " +
               channelListText(static_cast<uint16_t>(command.parts));
    }
    return "";
}

// "played 143 notes; 2 off pitch, by at most 5.26 cents", and what else
// went wrong on the way.
std::string endText(const RetuneStatistics& statistics, RetuneMethod method, const MidiInLosses& losses) {
    std::string text = "played " + plural(statistics.notesPlayed, "note");
    if (method != RetuneMethod::TuningMessages) {
        if (statistics.offPitchNotes == 0) {
            text += "; none off pitch";
        } else {
            char miss[32];
            std::snprintf(miss, sizeof miss, "%.2f", statistics.largestMissCents);
            text += "; " + std::to_string(statistics.offPitchNotes) + " off pitch (no channel free), by at most " +
                    miss + " cents";
        }
    }
    if (statistics.clippedBends != 0)
        text += "; " + plural(statistics.clippedBends, "bend") + " held at the end of the range";
    if (losses.overflowed != 0)
        text += "; " + plural(losses.overflowed, "message") + " from the keyboard lost, too many at once";
    if (losses.damaged != 0) text += "; " + plural(losses.damaged, "message") + " from the keyboard cut short";
    return text;
}

const char* failedStep(PlayFailure::Step step) {
    switch (step) {
    case PlayFailure::Step::Open: return "could not be opened";
    case PlayFailure::Step::Start: return "would not start";
    case PlayFailure::Step::Receive: return "stopped delivering";
    case PlayFailure::Step::Send: return "failed during the send";
    case PlayFailure::Step::Timeout: return "did not finish a message in time";
    }
    return "failed";
}

void sayFailure(const PlayFailure& failure, const CliPort& in, const CliPort& out, std::ostream& err) {
    const bool input = failure.device == PlayFailure::Device::Input;
    const CliPort& port = input ? in : out;
    err << kProgram << "MIDI " << (input ? "input" : "output") << " device " << port.index << " (" << port.name
        << ") " << failedStep(failure.step);
    if (failure.step != PlayFailure::Step::Timeout) err << ": " << deviceFaultText(failure.code, failure.text);
    err << '\n';
}

}  // namespace

int playThrough(const CliCommand& command, const Tuning& tuning, const TuningListing* listing, MidiInSystem& midiIn,
                MidiOutSystem& midiOut, const InterruptCheck& interrupted, const std::string& besides, std::ostream& out,
                std::ostream& err) {
    RetuneOptions options = command.retune;
    options.bendRange = command.bendRange;
    if (options.method != RetuneMethod::TuningMessages && retunedChannels(options) == 0) {
        err << kProgram << "no channel is left for the notes but the drums' (--drums)\n";
        return kExitBadInput;
    }
    const std::optional<CliPort> in = findPort(midiIn.listDevices(), PortDirection::Input, "--in", command.inPort, err);
    if (!in) return kExitBadInput;
    const std::optional<CliPort> port =
        findPort(midiOut.listDevices(), PortDirection::Output, "--port", command.port, err);
    if (!port) return kExitBadInput;

    RetuneProcessor processor(options, liveRetuneTuning(tuning));
    // A listing the builders make always fits (RetuneEngine.cpp).
    if (listing) processor.setListing(listing->data(), listing->size());
    PlayWatch watch;
    PlayThrough play(midiIn, in->index, midiOut, port->index, processor, watch.listener());
    const bool started = watch.waitUntilStartedOrStopped();
    if (started) {
        out << "playing " << englishTuningName(tuning) << " from '" << in->name << "' to '" << port->name << "' "
            << methodText(command) << besides << "; Ctrl+C ends" << std::endl;
        while (!watch.stopped() && !interrupted(kPollInterval)) {
        }
        play.stop();
    }
    const PlayEvent end = play.waitUntilStopped();
    if (started) out << endText(processor.statistics(), options.method, watch.losses()) << '\n';
    if (!end.failed) return kExitSuccess;
    sayFailure(end.failure, *in, *port, err);
    return kExitBadInput;
}
