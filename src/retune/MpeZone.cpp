#include "retune/MpeZone.h"

#include <algorithm>
#include <cmath>

// The messages and defaults below are those of MIDI Polyphonic Expression
// 1.0 (MMA/AMEI RP-053); each step names the section that decides it.

namespace {

constexpr int kNoChannel = -1;
constexpr uint16_t kRpnMpeConfiguration = 6;

}  // namespace

MpeZone::MpeZone(const RetuneOptions& options, RetuneStatistics& statistics)
    : statistics_(&statistics),
      memberCount_(std::clamp(options.mpeMemberChannels, 1, kMaxMpeMemberChannels)),
      range_(std::clamp(options.mpeBendRange, 1, kMaxMpeBendRange)) {
    members_ = 0;
    for (int c = 1; c <= memberCount_; ++c)
        if (!(options.untouchedChannels & (1u << c))) members_ |= static_cast<uint16_t>(1u << c);
    for (auto& keys : noteChannel_) keys.fill(kNoChannel);
    for (auto& keys : noteKey_) keys.fill(0);
}

uint16_t MpeZone::zone() const { return static_cast<uint16_t>(((1u << (memberCount_ + 1)) - 1)); }

// Registered parameter 0 (semitones, then cents), then the null parameter.
void MpeZone::sendRange(int channel, int semitones, int cents, RetuneOutput& out) {
    out.control(channel, kControllerRpnMsb, 0);
    out.control(channel, kControllerRpnLsb, kRpnPitchBendRange);
    out.control(channel, kControllerDataEntry, static_cast<uint8_t>(semitones));
    out.control(channel, kControllerDataEntryLsb, static_cast<uint8_t>(cents));
    out.control(channel, kControllerRpnMsb, kNullParameter);
    out.control(channel, kControllerRpnLsb, kNullParameter);
}

void MpeZone::setUp(RetuneOutput& out) {
    // 2.1: the MPE Configuration Message, registered parameter 6 on the
    // manager channel, its data entry the number of member channels; the
    // lower zone's manager is channel 1. The null parameter after it.
    out.control(kManager, kControllerRpnLsb, kRpnMpeConfiguration);
    out.control(kManager, kControllerRpnMsb, 0);
    out.control(kManager, kControllerDataEntry, static_cast<uint8_t>(memberCount_));
    out.control(kManager, kControllerRpnMsb, kNullParameter);
    out.control(kManager, kControllerRpnLsb, kNullParameter);
    // 2.4: the configuration restores the zone's pitch-bend sensitivity to
    // 48 semitones on the members and 2 on the manager; both are set after
    // it, the members' to the range chosen, the manager's to the player's.
    for (int c = 1; c <= memberCount_; ++c) sendRange(c, range_, 0, out);
    const int playerCents = static_cast<int>(std::lround(player_.rangeCents));
    sendRange(kManager, std::min(playerCents / 100, 127), playerCents % 100, out);
    memberCents_.fill(0);
}

void MpeZone::receiverReset() {
    player_.reset();
    memberCents_.fill(0);
}

// A silent member, the one silent longest; with none, the member bent
// nearest to the note, which then sounds off pitch.
int MpeZone::chooseMember(double need, const ChannelMirror& mirror) {
    int best = kNoChannel;
    for (int c = 1; c < 16; ++c) {
        if (!(members_ & (1u << c)) || mirror[c].sounding != 0) continue;
        if (best == kNoChannel || mirror[c].silentSince < mirror[best].silentSince) best = c;
    }
    if (best != kNoChannel || members_ == 0) return best;
    for (int c = 1; c < 16; ++c)
        if ((members_ & (1u << c)) &&
            (best == kNoChannel || std::abs(memberCents_[c] - need) < std::abs(memberCents_[best] - need)))
            best = c;
    ++statistics_->offPitchNotes;
    statistics_->largestMissCents = std::max(statistics_->largestMissCents, std::abs(memberCents_[best] - need));
    return best;
}

void MpeZone::channelMessage(const uint8_t* message, RetuneOutput& out) {
    const int source = channelOf(message[0]);
    const uint8_t kind = channelKind(message[0]);
    const int key = message[1];
    if (kind == kNoteOn && message[2] != 0) {
        ++statistics_->notesPlayed;
        const double need = plan_.cents[key];
        const int member = chooseMember(need, out.mirror());
        if (member == kNoChannel) {
            out.passInput();
            return;
        }
        if (out.mirror()[member].sounding == 0) memberCents_[member] = need;
        // 2.2.6: a member channel's bend is its note's own, added to the
        // manager's.
        const double value = std::round(kPitchBendCenter + memberCents_[member] * kPitchBendCenter / (range_ * 100.0));
        if (value < 0 || value > kPitchBendMax) ++statistics_->clippedBends;
        const uint16_t bend = static_cast<uint16_t>(std::clamp(value, 0.0, double{kPitchBendMax}));
        if (bend != out.mirror()[member].bend) out.bend(member, bend);
        noteChannel_[source][key] = static_cast<int8_t>(member);
        noteKey_[source][key] = plan_.sounds[key];
        out.send({channelStatus(kNoteOn, member), plan_.sounds[key], message[2]});
        return;
    }
    if (kind == kNoteOn || kind == kNoteOff || kind == kKeyPressure) {
        const int member = noteChannel_[source][key];
        if (member == kNoChannel) return;
        // 2.2.7: a note's pressure is its member channel's pressure; key
        // pressure is not sent on member channels.
        if (kind == kKeyPressure) out.send({channelStatus(kChannelPressure, member), message[2]});
        else out.send({channelStatus(kind, member), noteKey_[source][key], message[2]});
        return;
    }
    // 2.3: the wheel, the pedals and the other controllers, the program and
    // the channel pressure of the whole zone go to its manager channel; the
    // player's own range set there is the manager's.
    if (kind == kControlChange) {
        player_.control(message[1], message[2]);
        // All Sound Off, Reset All Controllers and All Notes Off reach each
        // member sounding a note too, for a receiver that takes them from
        // the manager for itself alone.
        if (message[1] == kAllSoundOff || message[1] == kResetAllControllers || message[1] == kAllNotesOff)
            for (int c = 1; c < 16; ++c)
                if (out.mirror()[c].sounding != 0) out.control(c, message[1], message[2]);
    }
    if (channelDataBytes(message[0]) == 1) out.send({channelStatus(kind, kManager), message[1]});
    else out.send({channelStatus(kind, kManager), message[1], message[2]});
}
