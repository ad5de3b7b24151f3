// How the engine retunes: the method, the channels it may use, the bend
// ranges, and whether it serves a live player or a song.
#pragma once

#include <cstdint>

constexpr int kMinBendRange = 1;   // semitones
constexpr int kMaxBendRange = 24;
constexpr uint16_t kDrumChannels = 1u << 9;  // channel 10
constexpr int kMaxMpeMemberChannels = 15;
constexpr int kDefaultMpeBendRange = 48;  // semitones, MPE's own default for member channels
constexpr int kMaxMpeBendRange = 96;

enum class RetuneMethod {
    // The tuning's own messages (SysEx and channel messages as the caller
    // built them) first and after every reset from the player; the music
    // passes as it is.
    TuningMessages,
    // Each note on a channel bent to its pitch.
    PitchBend,
    // Each note on a member channel of its own, bent to its pitch (an MPE
    // lower zone).
    Mpe,
};

enum class RetuneInput {
    Player,  // a live stream
    Song,    // a song rewritten (song/SongBends)
};

struct RetuneOptions {
    RetuneMethod method = RetuneMethod::PitchBend;
    // Bit n: input channel n + 1 passes as it comes, retuned by no method,
    // and carries no other channel's notes: the drums (channel 10) unless
    // the user names another channel or none (0).
    uint16_t untouchedChannels = kDrumChannels;
    // Pitch bend: bit n: output channel n + 1 may carry retuned notes. An
    // untouched channel never does.
    uint16_t outputChannels = 0xFFFF;
    // Pitch bend: the range set on every output channel, kMinBendRange to
    // kMaxBendRange semitones; 0 for as wide as the player's own range (2
    // semitones until it sets another) plus the tuning's widest bend.
    int bendRange = 0;
    // MPE: channel 1 manages the member channels 2 to 1 + mpeMemberChannels
    // (1 to kMaxMpeMemberChannels); an untouched channel among them carries
    // no retuned note.
    int mpeMemberChannels = kMaxMpeMemberChannels;
    int mpeBendRange = kDefaultMpeBendRange;  // member channels, 1 to kMaxMpeBendRange semitones
    // After a reset from the player the set-up (the range and bends, the
    // tuning messages, the MPE configuration) waits until the caller calls
    // RetuneEngine::setUp, once the synthesizer listens again; otherwise it
    // follows the reset at once.
    bool setUpWhenAsked = false;
    // A song: each of `ownChannels` plays its own notes and lends itself to
    // no other channel; `outputChannels` are the channels the song never
    // uses, and one gets the range only with its first note. A player: no
    // channel is anyone's own, and every output channel gets the range at
    // each set-up, ready for a note.
    RetuneInput input = RetuneInput::Player;
    uint16_t ownChannels = 0;
};

struct RetuneStatistics {
    uint32_t notesHeld = 0;      // notes sounding on the output now, held by a key or a pedal
    uint32_t channelsInUse = 0;  // output channels sounding a note now
    uint64_t notesPlayed = 0;    // notes retuned since the start (by any method)
    // Notes that found no channel free, played on the one bent nearest to
    // their pitch, and the most one of them missed by.
    uint32_t offPitchNotes = 0;
    double largestMissCents = 0;
    uint32_t clippedBends = 0;   // bends beyond the range, held at its end
};
