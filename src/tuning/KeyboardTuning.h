// The pitch of each of the 128 keys, made from a Scala scale and a keyboard
// map: the tuning of a scale of any size, or of a period other than the
// octave, that the key-based forms of the MIDI Tuning Standard carry.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <optional>

#include "sysex/MtsForms.h"
#include "tuning/KeyboardMap.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningFit.h"

struct KeyboardTuning {
    std::array<double, kKeyboardKeyCount> hz{};  // 0 for an unmapped key
    std::bitset<kKeyboardKeyCount> mapped;
    std::size_t scaleSize = 0;  // notes per period of the scale it came from
};

enum class KeyboardTuningError {
    None,
    NoPitches,                // the scale lists no pitches, so it has no period
    FormalOctaveBeyondScale,  // the map's formal octave is larger than the scale's size
    ReferenceKeyUnmapped,     // the map gives the reference key no degree
};

struct KeyboardTuningResult {
    KeyboardTuningError error = KeyboardTuningError::None;
    int formalOctave = 0;  // FormalOctaveBeyondScale: the map's
    // FormalOctaveBeyondScale, ReferenceKeyUnmapped: the map's line of the
    // formal octave or of the reference key; 0 for a map made in code.
    std::size_t line = 0;
    KeyboardTuning tuning;
    bool ok() const { return error == KeyboardTuningError::None; }
};

// Key k in firstKey..lastKey plays degree D: k - middleKey for a linear map;
// otherwise the map's entry at (k - middleKey) mod mapSize plus formalOctave
// (the scale's size when 0) for each whole repetition of the map above the
// middle key (minus below it), or nothing for an "x" entry. Degree D sounds
// floor(D / n) periods above degree D mod n of the n-note scale, so a degree
// beyond the scale continues into the next period. The reference key's
// degree (found the same way, whether or not it lies in first..last) sounds
// at referenceHz, and every other key at its cents from it.
KeyboardTuningResult keyboardTuning(const ScalaScale& scale, const KeyboardMap& map);

// A scale that twelve pitch classes cannot hold: more than twelve notes, or a
// period that is not 2/1 (1200 cents). False for a scale with no pitches.
bool scaleNeedsKeyboard(const ScalaScale& scale);

// The map used without a .kbm: linear over every key, degree 0 on the
// tonic's key of octave 4 (C4 = key 60), which sounds at its equal-tempered
// frequency for A4 = a4Hz; with the zero note A, key 69 sounds at a4Hz instead.
KeyboardMap linearKeyboardMap(int tonic, double a4Hz, ZeroNote zeroNote = ZeroNote::Tonic);

// A keyboard tuning that maps every key and repeats every twelve keys at 2/1
// is twelve pitch classes: their offsets from equal temperament at a4Hz (the
// frequency of key 69 when it lies in 380..480 Hz, else 440), for the fit
// with the zero note None. Nothing for any other tuning.
struct KeyboardPitchClasses {
    PitchClassOffsets offsets;
    double a4Hz = 440.0;
};
std::optional<KeyboardPitchClasses> keyboardPitchClasses(const KeyboardTuning& tuning);

// Each mapped key's offset from its own equal-tempered pitch, in hundredths
// of a cent (halves away from zero, held to +-1,000,000 cents), for the
// key-based forms; nothing for an unmapped key.
KeyOffsets keyOffsets(const KeyboardTuning& tuning);
// The other way: each key with an offset sounds that many hundredths of a
// cent from its equal-tempered pitch at A4 = 440 Hz; a key with none is
// unmapped. No scale made it: scaleSize is 0.
KeyboardTuning keyboardTuningOfOffsets(const KeyOffsets& keys);
