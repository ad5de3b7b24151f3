// A tuning resolved from its source (tuning/ResolveTuning.h): the one value
// that every output takes (tuning/TuningOutputs.h, song/TuningBends.h) and
// that a front end keeps as its current tuning. It holds what the rules
// made of the source and decides nothing again. A plain value: copy it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"
#include "tuning/KeyPitch.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/TuningExport.h"
#include "tuning/TuningFit.h"

// Twelve pitch classes as the window's edits hold them and the forms send
// them.
struct TwelveOffsets {
    // C..B in whole cents, -64..63: what the edits show, and what the forms
    // of whole cents send.
    std::array<int32_t, 12> whole{};
    // A note's offset in hundredths of a cent where its whole cents do not
    // say it all: a fraction, or a value beyond -64..63 that a GM2 form
    // reaches. The forms that keep fractions send it.
    std::array<std::optional<int32_t>, 12> exactHundredths{};
    // Whole semitones of coarse tuning sent on every channel with the
    // offsets: an A4 shift they could not hold.
    int32_t coarseSemitones = 0;

    // Each note's exact hundredths, or its whole cents x 100, and the coarse
    // tuning: what buildTuningListingExact quantises for each form.
    ExactOffsets exactOffsets() const;
    // The note as `format` and `form` send it, in hundredths: its exact
    // hundredths in a form that keeps fractions, else its whole cents x 100.
    int32_t sentHundredths(int pitchClass, TuningFormat format, MtsForm form) const;
};

// A tuning of the 128 keys themselves, which twelve pitch classes cannot
// hold.
struct TunedKeys {
    // Each key's offset from its equal-tempered pitch at A4 = 440 Hz, in
    // hundredths of a cent, as the key-based forms send it; none for a key
    // left as it is (sent as "no change").
    KeyOffsets offsets;
    KeyboardTuning tuning;  // each key's frequency; unmapped where `offsets` has none
};

enum class TuningOriginKind { Edits, Preset, Temperament, Scala, Offsets, TuningFile };

// Where a tuning came from, as data that each front end words.
struct TuningOrigin {
    TuningOriginKind kind = TuningOriginKind::Edits;
    // Preset: its name. Scala: the scale's description line, its bytes as
    // they came (possibly blank). TuningFile: the file's name without its
    // folders.
    std::string name;
    std::string temperamentId;  // Temperament
    // Temperament, Scala, Offsets: the pitch class that the temperament's C,
    // the scale's 1/1 or the list's C was moved to; 0 for the others.
    int tonic = 0;
    std::string scaleFileName;  // Scala: without its folders
    std::string mapFileName;    // Scala: the keyboard map's, without its folders; empty: none given
};

struct Tuning {
    // The twelve pitch classes. For a keyboard tuning, what a tuning file
    // read back made of its keys 60..71 (which the greyed edits show), else 0.
    TwelveOffsets twelve;
    // The fit's report, when the twelve came through the fit: each note's
    // exact cents, the notes held at a limit, the notes no degree reaches.
    std::optional<TuningFit> fit;
    // Set for a keyboard tuning; then `keys`, not `twelve`, is the tuning.
    std::optional<TunedKeys> keys;
    // The scale and the map that laid it on the keys, when one did: a
    // keyboard tuning made from a scale, and a scale given a keyboard map
    // whose keys turned out to be twelve pitch classes. The files for
    // software synthesizers hold them as they came.
    std::optional<ScaleOnKeys> scaleOnKeys;
    // The frequency of A4 the tuning was made for: the source's; what key 69
    // sounds at where a keyboard map tuned the keys (0 when it leaves key 69
    // unmapped); the one a file implies (0 when it names none). Its whole
    // semitones, when they went to coarse tuning, are twelve.coarseSemitones.
    double a4Hz = kStandardA4Hz;
    TuningOrigin origin;

    bool onKeys() const { return keys.has_value(); }
};

// Whether `format` (and for GM2 `form`) can send the tuning: twelve pitch
// classes go in every form, a keyboard tuning only in the key-based forms.
bool formCarries(const Tuning& tuning, TuningFormat format, MtsForm form);

// The name a user knows the tuning by, in English, for the command line and
// for what publishes a tuning by name: a temperament's English name (its
// tonic not named), a scale's description (its file name when the
// description is blank), a preset's or a file's name; "Twelve offsets from
// equal temperament" for an offset list or the edits.
std::string englishTuningName(const Tuning& tuning);
