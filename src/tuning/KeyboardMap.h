// Scala keyboard maps (.kbm), read from their bytes: which key plays which
// degree of a scale, and which key sounds at which frequency.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tuning/ScalaScale.h"

constexpr int kKeyboardKeyCount = 128;
// The map's own limits follow the scale's: as many entries as a scale has
// notes, a degree at most a thousand periods of such a scale up.
constexpr int64_t kMaxKeyboardMapSize = kMaxScalaNoteCount;
constexpr int64_t kMaxKeyboardDegree = kMaxScalaNoteCount * 1000;
constexpr double kMaxReferenceHz = 1e6;
constexpr int kUnmappedDegree = -1;  // an "x" entry

// The header's values in the order of the file, then the key lines.
enum class KeyboardMapField {
    MapSize,
    FirstKey,
    LastKey,
    MiddleKey,
    ReferenceKey,
    ReferenceFrequency,
    FormalOctave,
    Degree,
};
constexpr std::size_t kKeyboardMapHeaderFields = static_cast<std::size_t>(KeyboardMapField::FormalOctave) + 1;

struct KeyboardMap {
    int mapSize = 0;        // 0: every key the next degree (a linear map)
    int firstKey = 0;       // keys outside firstKey..lastKey are left unmapped
    int lastKey = 127;
    int middleKey = 60;     // the key of degree 0, the map's first entry
    int referenceKey = 69;  // the key that sounds at referenceHz
    double referenceHz = 440.0;
    int formalOctave = 0;   // degrees from one repetition of the map to the next; 0: the scale's size
    // mapSize entries, kUnmappedDegree for "x"; a file with fewer key lines
    // than the map size leaves the rest unmapped.
    std::vector<int> degrees;
    // The 1-based line of each header value in the file it was read from, by
    // KeyboardMapField (MapSize..FormalOctave); 0 for a map made in code.
    std::array<std::size_t, kKeyboardMapHeaderFields> lines{};
    std::size_t lineOf(KeyboardMapField field) const { return lines[static_cast<std::size_t>(field)]; }
};

enum class KeyboardMapError {
    None,
    FileTooLarge,        // more than kMaxScalaFileBytes
    MissingValue,        // the file ends before `field`
    NotANumber,          // `field`'s line holds no number (nor "x" for a degree)
    OutOfRange,          // a key beyond 0..127, a size, octave or degree beyond its limit, a
                         // frequency not above 0 or beyond kMaxReferenceHz
    LastKeyBeforeFirst,  // on the last key's line
};

struct KeyboardMapReadResult {
    KeyboardMapError error = KeyboardMapError::None;
    KeyboardMapField field = KeyboardMapField::MapSize;
    std::size_t line = 0;  // 1-based line of the error; 0 for the whole file
    KeyboardMap map;
    // Key lines read; fewer than map.mapSize is worth a warning, not a refusal
    // (the format lets unmapped keys at the end be left out).
    std::size_t keyLinesRead = 0;
    bool ok() const { return error == KeyboardMapError::None; }
    bool tooFewKeyLines() const { return ok() && keyLinesRead < static_cast<std::size_t>(map.mapSize); }
};

// Reads a map by the format's rules, with the .scl reader's lines and
// comments: seven values, one per line (map size, first key, last key,
// middle key, reference key, its frequency in Hz, formal octave degree),
// then one line per map entry: a degree or "x". Leading white space is
// skipped and anything after the value ignored, as are lines after the last
// entry. Integers are decimal digits; the frequency may have a fraction
// ("440", "261.6255653").
KeyboardMapReadResult parseKeyboardMap(std::string_view bytes);
