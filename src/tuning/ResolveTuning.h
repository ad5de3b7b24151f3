// From a tuning's source to the one value every output takes (tuning/Tuning.h).
// The rules of which source gives which tuning live here and nowhere else;
// the front ends load and parse the files (their messages name the paths),
// word what comes back and hand the value to the outputs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sysex/SysexBuilder.h"
#include "tuning/KeyboardMap.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/ScalaScale.h"
#include "tuning/Tuning.h"
#include "tuning/TuningFileReader.h"
#include "tuning/TuningFit.h"

enum class TuningSourceKind { Temperament, Scala, Offsets };

// How a scale with no keyboard map goes onto what is tuned.
enum class ScaleLayout {
    // The twelve pitch classes where they hold it; the keys for a scale that
    // needs them (scaleNeedsKeyboard), or two of whose degrees fall on one
    // pitch class (with a DegreesCollide notice).
    Automatic,
    // The keys, one degree a key: degree 0 on the tonic's key of octave 4,
    // the period repeating up and down (linearKeyboardMap).
    Keys,
    // The twelve pitch classes (mapScaleToPitchClasses), or its error.
    PitchClasses,
};

struct TuningSource {
    TuningSourceKind kind = TuningSourceKind::Temperament;
    std::string temperamentId;  // Temperament
    ScalaScale scale;           // Scala, parsed
    // Scala: the keyboard map given with it, parsed; none lays a scale on
    // the keys, where `layout` puts it there, linearly from the tonic
    // (linearKeyboardMap).
    std::optional<KeyboardMap> keyboardMap;
    // Scala without a map: a map lays the scale on the keys itself.
    ScaleLayout layout = ScaleLayout::Automatic;
    std::string scaleFileName;  // Scala: for the origin, without folders
    std::string mapFileName;
    std::array<int32_t, 12> offsetHundredths{};  // Offsets: C..B, in hundredths of a cent
    // The tonic, zero note and A4, and the format and form the offsets go
    // out in. A keyboard map sets the keys and their frequency itself.
    FitOptions fit;
};

enum class TuningError {
    None,
    UnknownTemperament,  // no built-in temperament has the id
    Fit,                 // fitError: a tonic or A4 out of range
    ScaleMap,            // scaleMap: the scale does not go onto twelve pitch classes
    KeyboardTuning,      // keyboardTuning: the scale and its map make no keyboard tuning
};

// What a front end tells the user besides the tuning, in this order.
enum class TuningNoticeKind {
    HeldNotes,      // items: pitch classes whose offset was held at the form's limit
    CoarseTuning,   // count: the A4 shift's whole semitones, sent as coarse tuning on every channel
    UnmappedNotes,  // items: pitch classes no degree of the scale reaches, sent as 0 before the zero note
    HeldKeys,       // items: keys whose pitch lies beyond keys 0..127, sent as the end key
    UnmappedKeys,   // count: keys the map leaves unmapped, sent as "no change"
    // items: two degrees of a scale laid out Automatic that fall on one pitch
    // class, so the scale went on the keys instead; `lines` theirs (0 for
    // the implicit 1/1), `pitchClass` the one they fall on. It comes first.
    DegreesCollide,
};

// HeldKeys and UnmappedKeys are about the messages of the key-based forms:
// a front end names them where it sends them, not where it shows the keys.
bool aboutKeyMessages(TuningNoticeKind kind);

struct TuningNotice {
    TuningNoticeKind kind = TuningNoticeKind::HeldNotes;
    std::vector<int> items;  // ascending
    int32_t count = 0;
    std::vector<std::size_t> lines;  // DegreesCollide
    int pitchClass = 0;              // DegreesCollide
};

struct ResolvedTuning {
    TuningError error = TuningError::None;
    FitError fitError = FitError::None;   // Fit
    ScaleMapResult scaleMap;              // ScaleMap: the error and its lines and degrees
    KeyboardTuningResult keyboardTuning;  // KeyboardTuning: the error and the map's formal octave
    Tuning tuning;                        // when ok
    std::vector<TuningNotice> notices;
    bool ok() const { return error == TuningError::None; }
};

// The rules, in order:
//  - a temperament's offsets, or an offset list's hundredths as cents, are
//    fitted (fitOffsets: tonic, zero note, A4, the form's range and
//    fractions; the A4 shift goes to coarse tuning when the offsets would
//    be held with it);
//  - a scale that comes with a map, is laid out Keys, or is laid out
//    Automatic and needs the keys (scaleNeedsKeyboard) is laid on the keys
//    by its map, or linearly from the tonic at A4 when it has none; keys
//    that repeat every twelve at 2/1 (keyboardPitchClasses) go back to
//    twelve pitch classes, fitted from C with the zero note None at the A4
//    that key 69 sounds; any other keys are a keyboard tuning, with the
//    scale and map kept for the files;
//  - any other scale is mapped onto the twelve pitch classes
//    (mapScaleToPitchClasses) and fitted; laid out Automatic, one whose
//    degrees collide there goes on the keys as above instead, the
//    DegreesCollide notice first. PitchClasses refuses any scale that the
//    twelve pitch classes cannot hold (ScaleMap: more than twelve notes, a
//    period other than 2/1, two degrees on one pitch class).
// A keyboard tuning laid linearly takes the A4 as it is (the fit alone
// checks its range).
ResolvedTuning resolveTuning(const TuningSource& source);

// The window's twelve edits as a tuning: each edit's whole cents (no
// number: 0), held to -64..63; a note's exact hundredths where the edits
// keep them; the coarse semitones.
Tuning tuningOfEdits(const ScaleOffsets& edits, const std::array<std::optional<int32_t>, 12>& exactHundredths,
                     int32_t coarseSemitones);

// One of the window's edits typed: its note takes the edit's whole cents
// (no number: 0), held to -64..63, and loses its exact hundredths; the other
// notes and the coarse tuning stay. Twelve pitch classes become the edits'
// own, as tuningOfEdits makes them (no fit, no scale, A4 at 440 Hz, the
// origin the edits); a keyboard tuning, which the greyed edits do not make,
// keeps its keys and changes only what the edits show.
void typeIntoEdit(Tuning& tuning, int pitchClass, std::optional<int32_t> edit);

// A tuning file read back (it must be ok()) as a tuning named `fileName`:
// its offsets, their hundredths where the whole cents do not say it all,
// and its coarse tuning; held on the keys as well (keyboardKeysRead) when
// its keys are not twelve pitch classes.
Tuning tuningOfFile(const TuningReadResult& read, std::string fileName);
