// What every output takes from a resolved tuning (tuning/Tuning.h): the
// listing in each format and form, each key's frequency, the pitch classes'
// cents, and the files for software synthesizers. The pitch bends of a
// song are song/TuningBends.h's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"
#include "tuning/KeyboardMap.h"
#include "tuning/Tuning.h"
#include "tuning/TuningExport.h"

// The messages of the tuning in `format` (for GM2, in mts.form) for the
// selected parts or channels (bit n = part or channel n + 1): twelve pitch
// classes as buildTuningListingExact builds their exact offsets, a keyboard
// tuning as buildKeyboardListing builds its keys. Nothing where the form
// cannot carry the tuning (formCarries), or for an unknown format or form.
std::optional<TuningListing> tuningListing(const Tuning& tuning, TuningFormat format, const MtsOptions& mts,
                                           uint32_t selection);

// The frequency of each key in Hz: a keyboard tuning's own, none for a key it
// leaves as it is; twelve pitch classes at their exact cents (the fit's before
// rounding, else the offsets as held) with the coarse tuning, from A4 = 440 Hz.
std::array<std::optional<double>, kKeyboardKeyCount> keyFrequencies(const Tuning& tuning);

enum class CentsKind {
    Exact,  // the fit's cents before rounding; the offsets as held when no fit made them
    Sent,   // as the format and form send them (TwelveOffsets::sentHundredths)
};
// C..B in cents from equal temperament at A4 = 440 Hz as they sound, the
// coarse tuning included, for the analysis and the pitch bends. Of the twelve
// pitch classes: a keyboard tuning's keys are its own (TunedKeys).
std::array<double, 12> pitchClassCents(const Tuning& tuning, CentsKind kind, TuningFormat format, MtsForm form);

// The scale and map the files for software synthesizers hold: those that
// laid the tuning on the keys, as they came; for other twelve pitch classes a
// 12-note scale from the tonic (twelveToneScale) described as `description`.
// Nothing for a keyboard tuning that no scale made (a file read back).
std::optional<ScaleOnKeys> synthScale(const Tuning& tuning, const std::string& description);

// The description line those files carry by default: a scale's own, as it
// came; englishTuningName for any other source.
std::string synthFileDescription(const Tuning& tuning);

// The file of `kind` named `fileName` (without its folders, for its
// opening comment): the .scl and .kbm of synthScale, or the .tun of the keys
// that scale and map make, commented with `description`. Nothing for
// SynthFileKind::None or where synthScale gives nothing.
std::optional<std::string> synthFileText(const Tuning& tuning, SynthFileKind kind, const std::string& fileName,
                                         const std::string& description);
