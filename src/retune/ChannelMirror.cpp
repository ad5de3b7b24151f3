#include "retune/ChannelMirror.h"

#include <cstdint>

#include "midi/ControlChanges.h"

void ChannelMirror::follow(const uint8_t* message, std::size_t size, uint64_t now) {
    if (size < 2 || !isChannelStatus(message[0]) || size != 1 + channelDataBytes(message[0])) return;
    const int c = channelOf(message[0]);
    Channel& channel = channels_[c];
    switch (channelKind(message[0])) {
    case kNoteOn:
        if (message[2] != 0) {
            const int key = message[1];
            const bool before = channel.sounds(key);
            if (channel.down[key] != UINT16_MAX) ++channel.down[key];
            channel.sustained[key] = false;
            channel.carriedNotes = true;
            settle(c, key, before, now);
            return;
        }
        [[fallthrough]];
    case kNoteOff: release(c, message[1], now); return;
    case kPitchBend: channel.bend = pitchBendValue(message[1], message[2]); return;
    case kControlChange:
        control(c, message[1], message[2], now);
        if (c == manager_ && (message[1] == kControllerSustain || message[1] == kControllerSostenuto ||
                              message[1] == kAllSoundOff || message[1] == kResetAllControllers ||
                              message[1] == kAllNotesOff))
            for (int member = 0; member < 16; ++member)
                if (member != c && (zone_ & (1u << member))) control(member, message[1], message[2], now);
        return;
    default: return;
    }
}

void ChannelMirror::control(int c, uint8_t controller, uint8_t value, uint64_t now) {
    Channel& channel = channels_[c];
    switch (controller) {
    case kControllerSustain:
        channel.sustain = isPedalDown(value);
        if (channel.sustain) return;
        channel.sustained.fill(false);
        settleAll(c, now);
        return;
    case kControllerSostenuto:
        // It catches the keys down as it goes down, and lets go of them
        // whenever it is up, even after a reset lifted it.
        if (isPedalDown(value)) {
            if (channel.sostenuto) return;
            channel.sostenuto = true;
            for (int key = 0; key < 128; ++key) channel.caught[key] = channel.down[key] != 0;
            return;
        }
        channel.sostenuto = false;
        channel.caught.fill(false);
        settleAll(c, now);
        return;
    case kAllSoundOff:
    case kAllNotesOff:
        // All Notes Off acts as a note-off for every key, so the pedals hold
        // on what they would hold; All Sound Off silences even those.
        for (int key = 0; key < 128; ++key) {
            if (channel.down[key] != 0 && channel.sustain) channel.sustained[key] = true;
            channel.down[key] = 0;
        }
        if (controller == kAllSoundOff) {
            channel.sustained.fill(false);
            channel.caught.fill(false);
        }
        settleAll(c, now);
        return;
    case kResetAllControllers:
        channel.sustain = channel.sostenuto = false;
        channel.sustained.fill(false);
        channel.caught.fill(false);
        channel.bend = kPitchBendCenter;
        settleAll(c, now);
        return;
    default: return;
    }
}

void ChannelMirror::release(int c, int key, uint64_t now) {
    Channel& channel = channels_[c];
    if (channel.down[key] == 0) return;
    const bool before = channel.sounds(key);
    if (--channel.down[key] == 0 && channel.sustain) channel.sustained[key] = true;
    settle(c, key, before, now);
}

void ChannelMirror::settle(int c, int key, bool before, uint64_t now) {
    Channel& channel = channels_[c];
    const bool after = channel.sounds(key);
    if (before == after) return;
    if (after) {
        if (channel.sounding++ == 0) ++channelsSounding_;
        ++notesSounding_;
    } else {
        --notesSounding_;
        if (--channel.sounding == 0) {
            --channelsSounding_;
            channel.silentSince = now;
        }
    }
}

void ChannelMirror::settleAll(int c, uint64_t now) {
    Channel& channel = channels_[c];
    int sounding = 0;
    for (int key = 0; key < 128; ++key) sounding += channel.sounds(key) ? 1 : 0;
    if (sounding == channel.sounding) return;
    notesSounding_ = notesSounding_ + sounding - channel.sounding;
    if (channel.sounding == 0) ++channelsSounding_;
    if (sounding == 0) {
        --channelsSounding_;
        channel.silentSince = now;
    }
    channel.sounding = sounding;
}

void ChannelMirror::reset() {
    for (Channel& channel : channels_) {
        channel.sustain = channel.sostenuto = false;
        channel.bend = kPitchBendCenter;
    }
}

void ChannelMirror::clear() {
    channels_.fill(Channel{});
    notesSounding_ = channelsSounding_ = 0;
}

void ChannelMirror::setZone(int manager, uint16_t zone) {
    manager_ = manager;
    zone_ = zone;
}
