// A tuning written the way software synthesizers read it: a Scala scale
// (.scl) with its keyboard map (.kbm), or an AnaMark tuning (.tun) of all 128
// keys. Text out; the front end writes the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tuning/KeyboardMap.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningFit.h"

// The frequency the .tun format counts its cents from: key 0 at A4 = 440 Hz.
constexpr double kAnaMarkBaseHz = 8.1757989156;

// A scale with the map that lays it on the keys.
struct ScaleOnKeys {
    ScalaScale scale;
    KeyboardMap map;
};

// Twelve pitch classes as a 12-note scale relative to the tonic (each degree
// k the cents of the tonic's key of octave 4 plus k above it, the period 2/1)
// and a 12-key map from that key (degrees 0..11, formal octave 12) whose
// reference is key 69 at the A4 it sounds, coarse tuning included.
ScaleOnKeys twelveToneScale(const TuningFit& fit, int tonic, std::string description);
// The same from each pitch class's exact cents and the coarse semitones.
ScaleOnKeys twelveToneScale(const std::array<double, 12>& exactCents, int32_t coarseSemitones, int tonic,
                            std::string description);

// The file as Scala writes it, lines ending with CR LF: a comment naming the
// file, the description, the count, then each pitch: a ratio as "p/q" (an
// integer ratio as "p/1"), cents with six decimals (always with a point).
std::string scalaScaleText(const ScalaScale& scale, const std::string& fileName);
// Each value after the comment line Scala writes above it; "x" for an
// unmapped entry; the frequency with ten significant decimals.
std::string keyboardMapText(const KeyboardMap& map, const std::string& fileName);
// [Tuning] with every key's cents above kAnaMarkBaseHz, rounded to whole
// cents, then [Exact Tuning] with them to six decimals. A key the map leaves
// unmapped, which the MIDI messages leave as it is, is written at its
// equal-tempered pitch (100 cents a key), and a comment after the
// description lists such keys; with every key mapped there is no comment.
std::string anaMarkTuningText(const KeyboardTuning& tuning, const std::string& description);

// The output files of `build` besides the SysEx ones.
enum class SynthFileKind { None, Scl, Kbm, Tun };
SynthFileKind synthFileKindFromName(std::string_view fileName);
