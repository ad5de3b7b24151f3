#include "retune/BendChannels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kChannels = 16;
constexpr int kNoChannel = -1;
constexpr uint8_t kNoKey = 0xFF;
constexpr int16_t kUnset = ChannelSettings::kUnset;
constexpr double kSameBendCents = 1e-6;

}  // namespace

BendChannels::BendChannels(const RetuneOptions& options, RetuneStatistics& statistics)
    : options_(&options), statistics_(&statistics),
      range_(options.bendRange != 0 ? std::clamp(options.bendRange, kMinBendRange, kMaxBendRange) : kMinBendRange) {
    for (Source& source : sources_) {
        source.noteChannel.fill(kNoChannel);
        source.noteKey.fill(kNoKey);
        source.noteLent.fill(false);
    }
    for (int c = 0; c < kChannels; ++c) {
        targets_[c].owner = options.ownChannels & (1u << c) ? c : kNoChannel;
        targets_[c].controllers.fill(kUnset);
    }
    free_ = options.outputChannels & ~options.untouchedChannels & ~options.ownChannels;
}

void BendChannels::setPlan(const KeyPlan& plan, RetuneOutput& out) {
    plan_ = plan;
    widestCents_ = 0;
    for (double cents : plan.cents) widestCents_ = std::max(widestCents_, std::abs(cents));
    if (options_->bendRange == 0) changeRange(automaticRange(), out);
}

// As wide as the widest range a source has set, and the widest bend of the
// tuning on top.
int BendChannels::automaticRange() const {
    double widest = kDefaultBendRangeCents;
    for (const Source& source : sources_) widest = std::max(widest, source.settings.rangeCents);
    return std::clamp(static_cast<int>(std::ceil((widest + widestCents_) / 100 - 1e-9)), kMinBendRange, kMaxBendRange);
}

void BendChannels::changeRange(int semitones, RetuneOutput& out) {
    if (semitones == range_) return;
    range_ = semitones;
    if (!setUp_) return;
    for (int t = 0; t < kChannels; ++t) {
        if (targets_[t].owner == kNoChannel && !readyAtSetUp(t)) continue;
        sendRange(t, out);
        sendBend(t, false, out);  // the same pitch at the new range
    }
}

bool BendChannels::readyAtSetUp(int t) const {
    return options_->input == RetuneInput::Player && (free_ & (1u << t));
}

void BendChannels::setUp(RetuneOutput& out) {
    setUp_ = true;
    for (int t = 0; t < kChannels; ++t) {
        if (targets_[t].owner == kNoChannel && !readyAtSetUp(t)) continue;
        sendRange(t, out);
        sendBend(t, false, out);  // the range applies to the bend the channel holds
    }
}

void BendChannels::receiverReset() {
    for (Source& source : sources_) source.settings.reset();
    for (Target& target : targets_) {
        target.tuningCents = 0;
        target.controllers.fill(kUnset);
        target.program = kUnset;
        target.holdsRange = false;
        target.choice = ParameterChoice{};
    }
}

uint16_t BendChannels::bendValue(double cents) {
    const double value = std::round(kPitchBendCenter + cents * kPitchBendCenter / (range_ * 100.0));
    if (value < 0 || value > kPitchBendMax) ++statistics_->clippedBends;
    return static_cast<uint16_t>(std::clamp(value, 0.0, double{kPitchBendMax}));
}

double BendChannels::sourceCents(int t) const {
    const int owner = targets_[t].owner;
    return owner == kNoChannel ? 0 : sources_[owner].settings.bendCents();
}

// The bend of target `t` for its source's bend and its tuning; written
// unless the channel holds it already (or `always`).
void BendChannels::sendBend(int t, bool always, RetuneOutput& out) {
    const uint16_t value = bendValue(sourceCents(t) + targets_[t].tuningCents);
    if (!always && value == out.mirror()[t].bend) return;
    out.bend(t, value);
}

// A controller sent to target `t`, and the parameter it then writes.
void BendChannels::control(int t, uint8_t controller, uint8_t value, RetuneOutput& out) {
    out.control(t, controller, value);
    if (controller == kResetAllControllers) targets_[t].choice = ParameterChoice{};
    else targets_[t].choice.control(controller, value);
}

// Registered parameter 0, then the parameter the source had chosen again.
void BendChannels::sendRange(int t, RetuneOutput& out) {
    const int owner = targets_[t].owner;
    const ParameterChoice choice = owner == kNoChannel ? ParameterChoice{} : sources_[owner].settings.choice;
    control(t, kControllerRpnMsb, 0, out);
    control(t, kControllerRpnLsb, kRpnPitchBendRange, out);
    control(t, kControllerDataEntry, static_cast<uint8_t>(range_), out);
    control(t, kControllerDataEntryLsb, 0, out);
    control(t, kControllerRpnMsb, choice.rpnMsb, out);
    control(t, kControllerRpnLsb, choice.rpnLsb, out);
    if (choice.nonRegistered) {
        control(t, kControllerNrpnMsb, choice.nrpnMsb, out);
        control(t, kControllerNrpnLsb, choice.nrpnLsb, out);
    }
    targets_[t].holdsRange = true;
}

// The target source `source`'s note on `key` is played on; kNoChannel when
// there is none at all.
int BendChannels::chooseTarget(int source, int key, const ChannelMirror& mirror) {
    const double need = plan_.cents[key];
    int best = kNoChannel;
    for (int t = 0; t < kChannels; ++t)
        if (targets_[t].owner == source && std::abs(targets_[t].tuningCents - need) < kSameBendCents &&
            (best == kNoChannel || t == source))
            best = t;
    if (best != kNoChannel) return best;
    // Silent longest, so a release tail is not bent; the source's own channel on a tie.
    for (int t = 0; t < kChannels; ++t) {
        if (mirror[t].sounding != 0 || (targets_[t].owner != source && !(free_ & (1u << t)))) continue;
        if (best == kNoChannel || mirror[t].silentSince < mirror[best].silentSince ||
            (mirror[t].silentSince == mirror[best].silentSince && t == source))
            best = t;
    }
    if (best != kNoChannel) return best;
    // None free: the nearest of the source's, else of any in use.
    const auto nearest = [&](bool anyOwner) {
        for (int t = 0; t < kChannels; ++t) {
            const bool usable = anyOwner ? targets_[t].owner != kNoChannel : targets_[t].owner == source;
            if (usable && (best == kNoChannel || std::abs(targets_[t].tuningCents - need) <
                                                     std::abs(targets_[best].tuningCents - need)))
                best = t;
        }
    };
    nearest(false);
    if (best == kNoChannel) nearest(true);
    ++statistics_->offPitchNotes;
    const double miss = best == kNoChannel ? std::abs(need) : std::abs(targets_[best].tuningCents - need);
    statistics_->largestMissCents = std::max(statistics_->largestMissCents, miss);
    return best;
}

void BendChannels::setController(int t, uint8_t controller, uint8_t value, RetuneOutput& out) {
    if (targets_[t].controllers[controller] == value) return;
    control(t, controller, value, out);
    targets_[t].controllers[controller] = value;
}

// A free target takes over the state of source `source`: bank, program,
// controllers, the parameters it wrote, pressure, then the range and the
// source's choice of parameter; a player's channel that holds both already
// is not given them again, a song's always is.
void BendChannels::borrow(int t, int source, RetuneOutput& out) {
    Target& target = targets_[t];
    const ChannelSettings& state = sources_[source].settings;
    target.owner = source;
    const auto want = [&](int c) -> uint8_t {
        return state.controllers[c] != kUnset ? static_cast<uint8_t>(state.controllers[c]) : controllerDefault(c);
    };
    for (uint8_t c : {kControllerBankMsb, kControllerBankLsb})
        if (state.controllers[c] != kUnset || target.controllers[c] != kUnset) setController(t, c, want(c), out);
    if (state.program != target.program) {
        out.send({channelStatus(kProgramChange, t), static_cast<uint8_t>(std::max<int16_t>(state.program, 0))});
        target.program = state.program;
    }
    for (int c = 0; c < kFirstChannelMode; ++c) {
        if (c == kControllerBankMsb || c == kControllerBankLsb || isParameterController(c)) continue;
        if (state.controllers[c] != kUnset || target.controllers[c] != kUnset)
            setController(t, static_cast<uint8_t>(c), want(c), out);
    }
    for (std::size_t p = 0; p < state.parameterCount; ++p) {
        const ChannelSettings::Parameter& parameter = state.parameters[p];
        const bool nonRegistered = parameter.number >> 14;
        control(t, nonRegistered ? kControllerNrpnMsb : kControllerRpnMsb, (parameter.number >> 7) & 0x7F, out);
        control(t, nonRegistered ? kControllerNrpnLsb : kControllerRpnLsb, parameter.number & 0x7F, out);
        if (parameter.msb != kUnset) control(t, kControllerDataEntry, static_cast<uint8_t>(parameter.msb), out);
        if (parameter.lsb != kUnset) control(t, kControllerDataEntryLsb, static_cast<uint8_t>(parameter.lsb), out);
    }
    if (state.pressure != kUnset) out.send({channelStatus(kChannelPressure, t), static_cast<uint8_t>(state.pressure)});
    if (options_->input == RetuneInput::Song || !target.holdsRange || target.choice != state.choice) sendRange(t, out);
}

uint8_t BendChannels::soundingKey(const Source& source, int key) const {
    return source.noteKey[key] != kNoKey ? source.noteKey[key] : plan_.sounds[key];
}

void BendChannels::channelMessage(const uint8_t* message, RetuneOutput& out) {
    const int source = channelOf(message[0]);
    switch (channelKind(message[0])) {
    case kNoteOn:
        if (message[2] != 0) return noteOn(source, message, out);
        [[fallthrough]];
    case kNoteOff: return noteOff(source, message, out);
    case kKeyPressure: return keyPressure(source, message, out);
    case kControlChange: return controlChange(source, message, out);
    case kPitchBend: return pitchBend(source, message, out);
    default: return programOrPressure(source, message, out);
    }
}

void BendChannels::noteOn(int source, const uint8_t* message, RetuneOutput& out) {
    const int key = message[1];
    Source& state = sources_[source];
    ++statistics_->notesPlayed;
    const int t = chooseTarget(source, key, out.mirror());
    if (t == kNoChannel) {
        out.passInput();
        return;
    }
    Target& target = targets_[t];
    const bool lent = target.owner != source && out.mirror()[t].sounding != 0;
    if (target.owner != source && !lent) borrow(t, source, out);
    if (out.mirror()[t].sounding == 0) target.tuningCents = plan_.cents[key];
    if (!lent) sendBend(t, false, out);
    const uint8_t sounds = plan_.sounds[key];
    if (t == source && sounds == key) out.passInput();
    else out.send({channelStatus(kNoteOn, t), sounds, message[2]});
    state.noteChannel[key] = static_cast<int8_t>(t);
    state.noteKey[key] = sounds;
    state.noteLent[key] = lent;
}

// A note-off, and key pressure, follow their note to the target it sounds
// on, while that target is still its source's (or lent to it).
void BendChannels::noteOff(int source, const uint8_t* message, RetuneOutput& out) {
    const int key = message[1];
    const Source& state = sources_[source];
    const int to = state.noteChannel[key];
    const int t = to == kNoChannel || (targets_[to].owner != source && !state.noteLent[key]) ? source : to;
    const uint8_t sounds = soundingKey(state, key);
    if (t == source && sounds == key) out.passInput();
    else out.send({channelStatus(channelKind(message[0]), t), sounds, message[2]});
}

void BendChannels::keyPressure(int source, const uint8_t* message, RetuneOutput& out) {
    const int key = message[1];
    const Source& state = sources_[source];
    const int t = state.noteChannel[key];
    const uint8_t sounds = soundingKey(state, key);
    if (t != kNoChannel && (targets_[t].owner == source || state.noteLent[key]) && (t != source || sounds != key))
        out.send({channelStatus(kKeyPressure, t), sounds, message[2]});
    else
        out.passInput();
}

void BendChannels::controlChange(int source, const uint8_t* message, RetuneOutput& out) {
    const uint8_t controller = message[1];
    const uint8_t value = message[2];
    ChannelSettings& state = sources_[source].settings;
    if (state.control(controller, value)) {
        // The source's own range: its bends are rescaled into the one written.
        if (options_->bendRange == 0) changeRange(automaticRange(), out);
        for (int t = 0; t < kChannels; ++t)
            if (targets_[t].owner == source) sendBend(t, false, out);
        return;
    }
    const bool own = targets_[source].owner == source;
    if (own) out.passInput();
    for (int t = 0; t < kChannels; ++t) {
        Target& target = targets_[t];
        if (target.owner != source) continue;
        if (t != source) control(t, controller, value, out);
        else if (controller == kResetAllControllers) target.choice = ParameterChoice{};
        else target.choice.control(controller, value);
        if (controller < kFirstChannelMode) target.controllers[controller] = value;
        if (controller == kResetAllControllers) {
            target.controllers = state.controllers;
            sendBend(t, false, out);
        }
    }
}

// The source's bend on every target that carries its notes, with each
// target's tuning. On the source's own channel its message stays where the
// sum is what it says.
void BendChannels::pitchBend(int source, const uint8_t* message, RetuneOutput& out) {
    ChannelSettings& state = sources_[source].settings;
    state.bend = pitchBendValue(message[1], message[2]);
    const bool own = targets_[source].owner == source;
    const bool kept = own && bendValue(state.bendCents() + targets_[source].tuningCents) == state.bend;
    if (kept) out.passInput();
    for (int t = 0; t < kChannels; ++t) {
        if (targets_[t].owner != source || (t == source && kept)) continue;
        sendBend(t, t == source, out);
    }
}

// Program change and channel pressure go to every target of the source.
void BendChannels::programOrPressure(int source, const uint8_t* message, RetuneOutput& out) {
    ChannelSettings& state = sources_[source].settings;
    const uint8_t kind = channelKind(message[0]);
    (kind == kProgramChange ? state.program : state.pressure) = message[1];
    if (targets_[source].owner == source) out.passInput();
    for (int t = 0; t < kChannels; ++t) {
        if (targets_[t].owner != source) continue;
        if (kind == kProgramChange) targets_[t].program = message[1];
        if (t != source) out.send({channelStatus(kind, t), message[1]});
    }
}
