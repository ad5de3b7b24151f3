#include "song/SongBends.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "midi/ControlChanges.h"
#include "midi/SysexMessages.h"
#include "song/SongWriter.h"
#include "song/TempoMap.h"

namespace {

constexpr uint64_t kNoNote = std::numeric_limits<uint64_t>::max();
constexpr int kChannels = 16;
constexpr int kNoChannel = -1;
constexpr int16_t kUnset = -1;
constexpr double kSongDefaultRangeCents = 200;  // General MIDI's, and every reset's
constexpr double kSameBendCents = 1e-6;
constexpr bool isDrumChannel(int c) { return kDrumChannels & (1u << c); }

// The song's events one by one in the order a player sounds them: by tick,
// then by track. The tracks' next events wait in a heap, soonest first.
class SongOrder {
public:
    SongOrder(const uint8_t* file, const SmfLayout& layout) {
        scanners_.reserve(layout.tracks.size());
        heads_.resize(layout.tracks.size());
        for (std::size_t t = 0; t < layout.tracks.size(); ++t) {
            scanners_.emplace_back(file, layout.tracks[t]);
            advance(static_cast<uint32_t>(t));
        }
    }
    bool next(uint32_t& track, TrackEvent& event) {
        // The track just read stays out of the heap while it is still the soonest.
        if (hasCurrent_ && (heap_.empty() || !later(current_, heap_.front()))) {
            track = current_.track;
        } else {
            if (hasCurrent_) push(current_);
            if (heap_.empty()) return false;
            std::pop_heap(heap_.begin(), heap_.end(), later);
            track = heap_.back().track;
            heap_.pop_back();
        }
        event = heads_[track];
        hasCurrent_ = false;
        advance(track);
        return true;
    }
    const SmfFault& fault() const { return fault_; }

private:
    struct Head {
        uint64_t tick;
        uint32_t track;
    };
    static bool later(const Head& a, const Head& b) { return a.tick != b.tick ? a.tick > b.tick : a.track > b.track; }
    void push(const Head& head) {
        heap_.push_back(head);
        std::push_heap(heap_.begin(), heap_.end(), later);
    }
    void advance(uint32_t t) {
        SmfFault fault;
        if (scanners_[t].next(heads_[t], fault)) {
            if (hasCurrent_) push(current_);
            current_ = {heads_[t].tick, t};
            hasCurrent_ = true;
        }
        if (!fault.ok() && fault_.ok()) fault_ = fault;
    }
    std::vector<TrackScanner> scanners_;
    std::vector<TrackEvent> heads_;
    std::vector<Head> heap_;
    Head current_{};
    bool hasCurrent_ = false;
    SmfFault fault_;
};

// Which parameter a channel's data entry writes.
struct ParameterChoice {
    uint8_t rpnMsb = kNullParameter, rpnLsb = kNullParameter;
    uint8_t nrpnMsb = kNullParameter, nrpnLsb = kNullParameter;
    bool nonRegistered = false;  // 99 or 98 came last

    void control(uint8_t controller, uint8_t value) {
        switch (controller) {
        case kControllerRpnMsb: rpnMsb = value; nonRegistered = false; break;
        case kControllerRpnLsb: rpnLsb = value; nonRegistered = false; break;
        case kControllerNrpnMsb: nrpnMsb = value; nonRegistered = true; break;
        case kControllerNrpnLsb: nrpnLsb = value; nonRegistered = true; break;
        default: break;
        }
    }
    bool choosesRange() const { return !nonRegistered && rpnMsb == 0 && rpnLsb == 0; }
    // The parameter written, as 1 << 14 | number for a non-registered one; -1 for none.
    int32_t chosen() const {
        if (nonRegistered) return 1 << 14 | nrpnMsb << 7 | nrpnLsb;
        if (rpnMsb == kNullParameter && rpnLsb == kNullParameter) return -1;
        return rpnMsb << 7 | rpnLsb;
    }
};
constexpr bool isParameterController(uint8_t c) {
    return c == kControllerDataEntry || c == kControllerDataEntryLsb || c == kControllerDataIncrement ||
           c == kControllerDataDecrement || (c >= kControllerNrpnLsb && c <= kControllerRpnMsb);
}

struct Marked {
    uint64_t tick;
    uint32_t track;
    uint32_t index;
};

// What the first reading finds: what the second needs before it begins.
struct SongFacts {
    uint16_t usedChannels = 0;
    uint64_t firstNote = kNoNote;
    std::vector<Marked> resets;
    std::vector<Marked> tunings;
    std::vector<TempoChange> tempos;
    double widestSongRangeCents = kSongDefaultRangeCents;
    std::size_t channelEvents = 0;  // on retuned channels
    std::array<bool, 128> keysPlayed{};  // on retuned channels
};

// The key each key of the song is played on and the bend it needs there.
struct KeyPlan {
    std::array<uint8_t, 128> sounds{};
    std::array<double, 128> cents{};
};

KeyPlan planKeys(const SongBendOptions& options) {
    KeyPlan plan;
    for (int key = 0; key < 128; ++key) {
        const double pitch = key * 100.0 + options.keyCents[key];
        const int sounds = options.nearestKeys ? static_cast<int>(std::clamp(std::round(pitch / 100), 0.0, 127.0)) : key;
        plan.sounds[key] = static_cast<uint8_t>(sounds);
        plan.cents[key] = pitch - sounds * 100.0;
    }
    return plan;
}

bool soundsBefore(const Marked& a, const Marked& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return a.track != b.track ? a.track < b.track : a.index < b.index;
}

// Track by track: the order of the tracks matters only to the lists, which
// are sorted after. A range is followed within a track, where a song sets it.
SmfFault readFacts(const uint8_t* file, const SmfLayout& layout, uint16_t retuned, SongFacts& facts) {
    std::array<ParameterChoice, kChannels> choices{};
    std::array<double, kChannels> range{};
    std::vector<std::pair<Marked, uint32_t>> tempos;  // where, and the tempo
    uint32_t lastTrack = UINT32_MAX;
    const SmfFault fault = forEachTrackEvent(file, layout, [&](uint32_t track, const TrackEvent& event) {
        if (track != lastTrack) {
            lastTrack = track;
            choices.fill(ParameterChoice{});
            range.fill(kSongDefaultRangeCents);
        }
        if (event.isSysex()) {
            const SysexFacts sysex = recogniseSysexEvent(file + event.dataOffset, event.dataLength);
            if (isReset(sysex.kind)) facts.resets.push_back({event.tick, track, event.index});
            else if (isScaleTuning(sysex.kind) && sysex.terminated) facts.tunings.push_back({event.tick, track, event.index});
        } else if (event.status == kMetaEvent) {
            if (event.metaType == kMetaTempo && event.dataLength == 3) {
                const uint8_t* tempo = file + event.dataOffset;
                tempos.push_back({{event.tick, track, event.index},
                                  uint32_t{tempo[0]} << 16 | uint32_t{tempo[1]} << 8 | tempo[2]});
            }
        } else if (event.isChannelMessage()) {
            const int c = event.channel();
            facts.usedChannels |= static_cast<uint16_t>(1u << c);
            if (!(retuned & (1u << c))) return;
            ++facts.channelEvents;
            const uint8_t* data = file + event.dataOffset;
            if (event.isNoteOn(file)) {
                facts.firstNote = std::min(facts.firstNote, event.tick);
                facts.keysPlayed[data[0]] = true;
            } else if (isControlChange(event.status)) {
                choices[c].control(data[0], data[1]);
                // MIDI 1.0: a data entry MSB sets the LSB (the cents) to 0.
                if (choices[c].choosesRange() && data[0] == kControllerDataEntry)
                    range[c] = data[1] * 100.0;
                else if (choices[c].choosesRange() && data[0] == kControllerDataEntryLsb)
                    range[c] = std::floor(range[c] / 100.0) * 100.0 + data[1];
                facts.widestSongRangeCents = std::max(facts.widestSongRangeCents, range[c]);
            }
        }
    });
    std::sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return soundsBefore(a.first, b.first); });
    for (const auto& [at, tempo] : tempos) facts.tempos.push_back({at.tick, tempo});
    std::sort(facts.resets.begin(), facts.resets.end(), soundsBefore);
    return fault;
}

// A retuned channel of the song as the song has set it.
struct SourceState {
    std::array<int16_t, 128> controllers;
    int16_t program = kUnset;
    int16_t pressure = kUnset;
    uint16_t bend = kPitchBendCenter;
    double rangeCents = kSongDefaultRangeCents;
    ParameterChoice choice;
    std::vector<std::array<int32_t, 3>> parameters;  // parameter, data entry MSB, LSB (or kUnset)
    std::array<int8_t, 128> noteChannel;              // where each key's last note sounds

    SourceState() { reset(); noteChannel.fill(kNoChannel); }
    void reset() {
        controllers.fill(kUnset);
        program = pressure = kUnset;
        bend = kPitchBendCenter;
        rangeCents = kSongDefaultRangeCents;
        choice = ParameterChoice{};
        parameters.clear();
    }
    double bendCents() const { return (bend - double{kPitchBendCenter}) * rangeCents / kPitchBendCenter; }
    void writeParameter(uint8_t controller, uint8_t value) {
        const int32_t parameter = choice.chosen();
        if (parameter < 0) return;
        auto it = std::find_if(parameters.begin(), parameters.end(),
                               [&](const auto& entry) { return entry[0] == parameter; });
        if (it == parameters.end()) it = parameters.insert(parameters.end(), {parameter, kUnset, kUnset});
        if (controller == kControllerDataEntry) {
            (*it)[1] = value;
            (*it)[2] = kUnset;  // MIDI 1.0: the MSB sets the LSB to 0, which the MSB alone gives again
        } else {
            (*it)[2] = value;
        }
    }
};

// A channel that notes are played on: a retuned channel of the song or a
// free one.
struct Target {
    int owner = kNoChannel;  // the song's channel whose notes it plays
    double tuningCents = 0;  // the bend it holds for the tuning
    uint16_t sent = kPitchBendCenter;
    bool pedal = false;
    int sounding = 0;        // keys held or sustained
    uint64_t silentSince = 0;
    std::array<uint8_t, 128> keysDown{};
    std::array<bool, 128> sustained{};
    std::array<int16_t, 128> controllers;
    int16_t program = kUnset;

    Target() { controllers.fill(kUnset); }
    bool soundsKey(int key) const { return keysDown[key] != 0 || sustained[key]; }
};

struct Pending {
    uint64_t tick;
    uint32_t track;
    uint32_t firstFree;
    uint32_t offset;
    uint8_t size;
};

// Where the range is set again after a reset (or at the start of a song
// that sets itself up with none).
struct RangePoint {
    uint64_t tick;
    uint32_t track;
    uint32_t firstFree;
};

class Bender {
public:
    Bender(const uint8_t* file, std::size_t tracks, const SongBendOptions& options, const KeyPlan& plan,
           const SongFacts& facts, int range, const TempoMap& map, SongBendSummary& summary)
        : file_(file), plan_(plan), facts_(facts), range_(range), map_(map), summary_(summary),
          removed_(tracks) {
        pending_.reserve(facts.channelEvents);
        messages_.reserve(3 * facts.channelEvents);
        for (int c = 0; c < kChannels; ++c) {
            const bool used = facts.usedChannels & (1u << c);
            if (used && (options.channels & (1u << c)) && !isDrumChannel(c)) targets_[c].owner = c;
            free_[c] = !used && !isDrumChannel(c);
        }
    }

    void run(const SmfLayout& layout, const std::vector<RangePoint>& points) {
        SongOrder order(file_, layout);
        uint32_t track;
        TrackEvent event;
        std::size_t nextPoint = 0;
        std::size_t nextReset = 0;
        while (order.next(track, event)) {
            while (nextPoint < points.size() && pointComesFirst(points[nextPoint], track, event))
                setRange(points[nextPoint++]);
            if (event.isSysex()) {
                if (nextReset < facts_.resets.size() && facts_.resets[nextReset].track == track &&
                    facts_.resets[nextReset].index == event.index) {
                    ++nextReset;
                    reset();
                }
                continue;
            }
            if (!event.isChannelMessage() || !isSource(event.channel())) continue;
            channelMessage(track, event);
        }
        while (nextPoint < points.size()) setRange(points[nextPoint++]);
    }

    const std::vector<Pending>& pending() const { return pending_; }
    const std::vector<uint8_t>& messages() const { return messages_; }
    const std::vector<std::vector<uint32_t>>& removed() const { return removed_; }
    uint16_t borrowed() const { return borrowed_; }

private:
    static bool pointComesFirst(const RangePoint& point, uint32_t track, const TrackEvent& event) {
        if (point.tick != event.tick) return point.tick < event.tick;
        if (point.track != track) return point.track < track;
        return point.firstFree <= event.index;
    }
    bool isSource(int c) const { return targets_[c].owner == c; }

    void emit(std::initializer_list<uint8_t> bytes) {
        pending_.push_back({at_.tick, at_.track, at_.firstFree, static_cast<uint32_t>(messages_.size()),
                            static_cast<uint8_t>(bytes.size())});
        messages_.insert(messages_.end(), bytes);
    }
    void control(int channel, uint8_t controller, uint8_t value) {
        emit({channelStatus(kControlChange, channel), controller, value});
    }
    uint16_t bendValue(double cents) {
        const double value = std::round(kPitchBendCenter + cents * kPitchBendCenter / (range_ * 100.0));
        if (value < 0 || value > kPitchBendMax) ++summary_.clippedBends;
        return static_cast<uint16_t>(std::clamp(value, 0.0, double{kPitchBendMax}));
    }
    // The bend of target `t` for the song's bend of its owner and its tuning;
    // written unless it holds it already (or `always`).
    void sendBend(int t, bool always) {
        Target& target = targets_[t];
        const uint16_t value = bendValue(sources_[target.owner].bendCents() + target.tuningCents);
        if (!always && value == target.sent) return;
        target.sent = value;
        emit({channelStatus(kPitchBend, t), pitchBendLsb(value), pitchBendMsb(value)});
    }
    // Registered parameter 0, then the parameter the song had chosen again.
    void sendRange(int t) {
        const ParameterChoice& choice = sources_[targets_[t].owner].choice;
        control(t, kControllerRpnMsb, 0);
        control(t, kControllerRpnLsb, 0);
        control(t, kControllerDataEntry, static_cast<uint8_t>(range_));
        control(t, kControllerDataEntryLsb, 0);
        control(t, kControllerRpnMsb, choice.rpnMsb);
        control(t, kControllerRpnLsb, choice.rpnLsb);
        if (choice.nonRegistered) {
            control(t, kControllerNrpnMsb, choice.nrpnMsb);
            control(t, kControllerNrpnLsb, choice.nrpnLsb);
        }
    }

    void setRange(const RangePoint& point) {
        at_ = {point.tick, point.track, point.firstFree};
        for (int t = 0; t < kChannels; ++t) {
            if (targets_[t].owner == kNoChannel) continue;
            sendRange(t);
            sendBend(t, false);  // the range applies to the bend the channel holds
        }
        inGap_ = false;
    }

    void reset() {
        for (SourceState& source : sources_) source.reset();
        for (Target& target : targets_) {
            target.tuningCents = 0;
            target.sent = kPitchBendCenter;
            target.pedal = false;
            target.controllers.fill(kUnset);
            target.program = kUnset;
        }
        inGap_ = true;
    }

    // The channel `source`'s note on `key` is played on.
    int chooseTarget(int source, int key, uint64_t tick) {
        const double need = plan_.cents[key];
        int best = kNoChannel;
        for (int t = 0; t < kChannels; ++t)
            if (targets_[t].owner == source && std::abs(targets_[t].tuningCents - need) < kSameBendCents &&
                (best == kNoChannel || t == source))
                best = t;
        if (best != kNoChannel) return best;
        // Silent longest, so a release tail is not bent; the song's own channel on a tie.
        for (int t = 0; t < kChannels; ++t) {
            const Target& target = targets_[t];
            if (target.sounding != 0 || (target.owner != source && !free_[t])) continue;
            if (best == kNoChannel || target.silentSince < targets_[best].silentSince ||
                (target.silentSince == targets_[best].silentSince && t == source))
                best = t;
        }
        if (best != kNoChannel) return best;
        for (int t = 0; t < kChannels; ++t)
            if (targets_[t].owner == source &&
                (best == kNoChannel ||
                 std::abs(targets_[t].tuningCents - need) < std::abs(targets_[best].tuningCents - need)))
                best = t;
        OffPitchNotes& off = summary_.offPitch;
        if (off.notes++ == 0) {
            off.firstMs = map_.microsecondsAt(tick) / 1000;
            off.firstChannel = source;
        }
        off.largestCents = std::max(off.largestCents, std::abs(targets_[best].tuningCents - need));
        return best;
    }

    void setController(int t, uint8_t controller, uint8_t value) {
        if (targets_[t].controllers[controller] == value) return;
        control(t, controller, value);
        targets_[t].controllers[controller] = value;
    }
    // A free channel takes over the state of the song's channel `source`.
    void borrow(int t, int source) {
        Target& target = targets_[t];
        const SourceState& state = sources_[source];
        target.owner = source;
        borrowed_ |= static_cast<uint16_t>(1u << t);
        const auto want = [&](int c) -> uint8_t {
            return state.controllers[c] != kUnset ? static_cast<uint8_t>(state.controllers[c]) : controllerDefault(c);
        };
        for (uint8_t c : {kControllerBankMsb, kControllerBankLsb})
            if (state.controllers[c] != kUnset || target.controllers[c] != kUnset) setController(t, c, want(c));
        if (state.program != target.program) {
            emit({channelStatus(kProgramChange, t), static_cast<uint8_t>(std::max<int16_t>(state.program, 0))});
            target.program = state.program;
        }
        for (int c = 0; c < kFirstChannelMode; ++c) {
            if (c == kControllerBankMsb || c == kControllerBankLsb || isParameterController(c)) continue;
            if (state.controllers[c] != kUnset || target.controllers[c] != kUnset)
                setController(t, static_cast<uint8_t>(c), want(c));
        }
        target.pedal = state.controllers[kControllerSustain] != kUnset &&
                       isPedalDown(static_cast<uint8_t>(state.controllers[kControllerSustain]));
        for (const auto& parameter : state.parameters) {
            const bool nonRegistered = parameter[0] >> 14;
            control(t, nonRegistered ? kControllerNrpnMsb : kControllerRpnMsb, (parameter[0] >> 7) & 0x7F);
            control(t, nonRegistered ? kControllerNrpnLsb : kControllerRpnLsb, parameter[0] & 0x7F);
            if (parameter[1] != kUnset) control(t, kControllerDataEntry, static_cast<uint8_t>(parameter[1]));
            if (parameter[2] != kUnset) control(t, kControllerDataEntryLsb, static_cast<uint8_t>(parameter[2]));
        }
        if (state.pressure != kUnset)
            emit({channelStatus(kChannelPressure, t), static_cast<uint8_t>(state.pressure)});
        sendRange(t);
    }

    // Replaces the event with the same message on channel `t`.
    void moveTo(const TrackEvent& event, int t) { moveTo(event, t, file_[event.dataOffset]); }
    // The same, a note's message on the key `sounds` instead of its own.
    void moveTo(const TrackEvent& event, int t, uint8_t sounds) {
        removed_[at_.track].push_back(event.index);
        at_.firstFree = event.index + 1;
        const uint8_t* data = file_ + event.dataOffset;
        if (event.dataLength == 1) emit({channelStatus(channelKind(event.status), t), sounds});
        else emit({channelStatus(channelKind(event.status), t), sounds, data[1]});
    }

    void release(int t, int key, uint64_t tick) {
        Target& target = targets_[t];
        if (target.keysDown[key] == 0) return;
        if (--target.keysDown[key] == 0) {
            if (target.pedal) target.sustained[key] = true;
            else if (--target.sounding == 0) target.silentSince = tick;
        }
    }
    void pedalUp(int t, uint64_t tick) {
        Target& target = targets_[t];
        target.pedal = false;
        for (int key = 0; key < 128; ++key) {
            if (!target.sustained[key]) continue;
            target.sustained[key] = false;
            if (target.keysDown[key] == 0 && --target.sounding == 0) target.silentSince = tick;
        }
    }
    void allNotesOff(int t, uint64_t tick, bool sound) {
        Target& target = targets_[t];
        for (int key = 0; key < 128; ++key) {
            if (target.keysDown[key] != 0 && target.pedal && !sound) target.sustained[key] = true;
            target.keysDown[key] = 0;
            if (sound) target.sustained[key] = false;
        }
        const int before = target.sounding;
        target.sounding = 0;
        for (int key = 0; key < 128; ++key) target.sounding += target.soundsKey(key) ? 1 : 0;
        if (before != 0 && target.sounding == 0) target.silentSince = tick;
    }

    void noteOn(const TrackEvent& event, int source, int key) {
        if (inGap_) ++summary_.gapNotes;
        const int t = chooseTarget(source, key, event.tick);
        Target& target = targets_[t];
        at_.firstFree = event.index;
        if (target.owner != source) borrow(t, source);
        if (target.sounding == 0) target.tuningCents = plan_.cents[key];
        sendBend(t, false);
        const uint8_t sounds = plan_.sounds[key];
        if (t != source || sounds != key) moveTo(event, t, sounds);
        sources_[source].noteChannel[key] = static_cast<int8_t>(t);
        if (target.keysDown[sounds]++ == 0 && !target.sustained[sounds]) ++target.sounding;
        target.sustained[sounds] = false;
        summary_.retunedChannels |= static_cast<uint16_t>(1u << source);
    }

    void controlChange(const TrackEvent& event, int source, uint8_t controller, uint8_t value) {
        SourceState& state = sources_[source];
        if ((controller == kControllerDataEntry || controller == kControllerDataEntryLsb) &&
            state.choice.choosesRange()) {
            // The song's own range: its bends are rescaled into the one
            // written. The MSB sets the cents to 0, as MIDI 1.0 has it.
            state.rangeCents = controller == kControllerDataEntry ? value * 100.0
                                                                  : std::floor(state.rangeCents / 100) * 100 + value;
            removed_[at_.track].push_back(event.index);
            at_.firstFree = event.index + 1;
            for (int t = 0; t < kChannels; ++t)
                if (targets_[t].owner == source) sendBend(t, false);
            return;
        }
        state.choice.control(controller, value);
        if (controller == kControllerDataEntry || controller == kControllerDataEntryLsb)
            state.writeParameter(controller, value);
        if (controller < kFirstChannelMode && !isParameterController(controller)) state.controllers[controller] = value;
        if (controller == kResetAllControllers) {
            for (int c = 1; c < kFirstChannelMode; ++c)
                if (c != kControllerVolume && c != kControllerPan && c != kControllerBankLsb) state.controllers[c] = kUnset;
            state.pressure = kUnset;
            state.bend = kPitchBendCenter;
            state.choice = ParameterChoice{};
        }
        at_.firstFree = event.index + 1;
        for (int t = 0; t < kChannels; ++t) {
            Target& target = targets_[t];
            if (target.owner != source) continue;
            if (t != source) control(t, controller, value);
            if (controller < kFirstChannelMode) target.controllers[controller] = value;
            if (controller == kControllerSustain) {
                if (isPedalDown(value)) target.pedal = true;
                else pedalUp(t, event.tick);
            } else if (controller == kAllSoundOff || controller == kAllNotesOff) {
                allNotesOff(t, event.tick, controller == kAllSoundOff);
            } else if (controller == kResetAllControllers) {
                target.controllers = state.controllers;
                pedalUp(t, event.tick);
                target.sent = kPitchBendCenter;
                sendBend(t, false);
            }
        }
    }

    void channelMessage(uint32_t track, const TrackEvent& event) {
        const int source = event.channel();
        const uint8_t* data = file_ + event.dataOffset;
        SourceState& state = sources_[source];
        at_ = {event.tick, track, event.index + 1};
        switch (channelKind(event.status)) {
        case kNoteOn:
            if (data[1] != 0) {
                noteOn(event, source, data[0]);
                return;
            }
            [[fallthrough]];
        case kNoteOff: {
            const int to = state.noteChannel[data[0]];
            const int t = to == kNoChannel || targets_[to].owner != source ? source : to;
            const uint8_t sounds = plan_.sounds[data[0]];
            if (t != source || sounds != data[0]) moveTo(event, t, sounds);
            release(t, sounds, event.tick);
            return;
        }
        case kKeyPressure: {
            const int t = state.noteChannel[data[0]];
            const uint8_t sounds = plan_.sounds[data[0]];
            if (t != kNoChannel && targets_[t].owner == source && (t != source || sounds != data[0]))
                moveTo(event, t, sounds);
            return;
        }
        case kControlChange: controlChange(event, source, data[0], data[1]); return;
        case kPitchBend: {
            state.bend = pitchBendValue(data[0], data[1]);
            for (int t = 0; t < kChannels; ++t) {
                if (targets_[t].owner != source) continue;
                if (t != source) {
                    sendBend(t, false);
                    continue;
                }
                // The song's own event stays where the sum is what it says.
                const uint16_t value = bendValue(state.bendCents() + targets_[t].tuningCents);
                targets_[t].sent = state.bend;
                if (value == state.bend) continue;
                removed_[track].push_back(event.index);
                sendBend(t, true);
            }
            return;
        }
        default: break;
        }
        // Program change and channel pressure go to every channel the song's has borrowed.
        if (channelKind(event.status) == kProgramChange) state.program = data[0];
        else state.pressure = data[0];
        for (int t = 0; t < kChannels; ++t) {
            if (targets_[t].owner != source) continue;
            if (channelKind(event.status) == kProgramChange) targets_[t].program = data[0];
            if (t != source) emit({channelStatus(channelKind(event.status), t), data[0]});
        }
    }

    struct Place {
        uint64_t tick = 0;
        uint32_t track = 0;
        uint32_t firstFree = 0;
    };

    const uint8_t* file_;
    const KeyPlan& plan_;
    const SongFacts& facts_;
    const int range_;
    const TempoMap& map_;
    SongBendSummary& summary_;
    std::array<SourceState, kChannels> sources_{};
    std::array<Target, kChannels> targets_{};
    std::array<bool, kChannels> free_{};
    uint16_t borrowed_ = 0;
    bool inGap_ = false;
    Place at_;
    std::vector<Pending> pending_;
    std::vector<uint8_t> messages_;
    std::vector<std::vector<uint32_t>> removed_;
};

int rangeFor(const SongFacts& facts, const SongBendOptions& options, const KeyPlan& plan) {
    if (options.bendRange != 0) return std::clamp(options.bendRange, kMinBendRange, kMaxBendRange);
    double widest = 0;
    for (int key = 0; key < 128; ++key)
        if (facts.keysPlayed[key]) widest = std::max(widest, std::abs(plan.cents[key]));
    const double cents = facts.widestSongRangeCents + widest;
    return std::clamp(static_cast<int>(std::ceil(cents / 100 - 1e-9)), kMinBendRange, kMaxBendRange);
}

}  // namespace

std::array<double, 128> keyCentsOfPitchClasses(const std::array<double, 12>& pitchClassCents) {
    std::array<double, 128> keys{};
    for (int key = 0; key < 128; ++key) keys[key] = pitchClassCents[key % 12];
    return keys;
}

std::array<double, 128> keyCentsOfKeys(const std::array<std::optional<int32_t>, 128>& keyHundredths) {
    std::array<double, 128> keys{};
    for (int key = 0; key < 128; ++key) keys[key] = keyHundredths[key].value_or(0) / 100.0;
    return keys;
}

SongBendResult bendSong(const uint8_t* song, std::size_t size, const SongBendOptions& options) {
    SongBendResult result;
    SmfLayout layout;
    SongFacts facts;
    const uint16_t retuned = options.channels & ~kDrumChannels;
    result.error = readSmfLayout(song, size, layout);
    if (result.ok()) result.error = readFacts(song, layout, retuned, facts);
    if (!result.ok()) return result;

    SongBendSummary& summary = result.summary;
    summary.wrapped = layout.wrapped;
    summary.format = layout.format;
    summary.tracks = static_cast<uint32_t>(layout.tracks.size());
    const KeyPlan plan = planKeys(options);
    summary.bendRange = rangeFor(facts, options, plan);
    const TempoMap map(layout.division, facts.tempos);

    std::vector<TrackEdits> edits(layout.tracks.size());
    for (const Marked& tuning : facts.tunings) {
        if (tuning.tick > facts.firstNote) continue;
        if (options.keepOldTuning) {
            ++summary.keptTuning;
        } else {
            ++summary.removedTuning;
            edits[tuning.track].removed.push_back(tuning.index);
        }
    }

    // The range goes after every reset, a reset gap later; at the start of a
    // song that sets itself up with none.
    std::vector<RangePoint> points;
    if (facts.resets.empty() || facts.resets.front().tick > facts.firstNote) points.push_back({0, 0, 0});
    for (const Marked& reset : facts.resets) {
        const double us = map.microsecondsAt(reset.tick) + 1000.0 * options.resetGapMs;
        points.push_back({std::max(reset.tick, map.firstTickAtOrAfter(us)), reset.track, reset.index + 1});
        if (facts.firstNote != kNoNote && reset.tick > facts.firstNote) ++summary.laterResets;
    }
    std::stable_sort(points.begin(), points.end(), [](const RangePoint& a, const RangePoint& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.track != b.track ? a.track < b.track : a.firstFree < b.firstFree;
    });

    Bender bender(song, layout.tracks.size(), options, plan, facts, summary.bendRange, map, summary);
    bender.run(layout, points);
    summary.borrowedChannels = bender.borrowed();

    for (std::size_t t = 0; t < edits.size(); ++t) {
        std::vector<uint32_t>& removed = edits[t].removed;
        removed.insert(removed.end(), bender.removed()[t].begin(), bender.removed()[t].end());
        std::sort(removed.begin(), removed.end());
    }
    std::vector<std::size_t> counts(edits.size());
    for (const Pending& p : bender.pending()) ++counts[p.track];
    for (std::size_t t = 0; t < edits.size(); ++t) edits[t].insertions.reserve(counts[t]);
    for (const Pending& p : bender.pending())
        edits[p.track].insertions.push_back({p.tick, p.firstFree, bender.messages().data() + p.offset, p.size});
    // Made in the order they sound, so in order already; the sort is a guard.
    const auto before = [](const Insertion& a, const Insertion& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.firstFree < b.firstFree;
    };
    for (TrackEdits& track : edits)
        if (!std::is_sorted(track.insertions.begin(), track.insertions.end(), before))
            std::stable_sort(track.insertions.begin(), track.insertions.end(), before);
    result.error = writeEditedSong(song, size, layout, edits, result.bytes);
    return result;
}
