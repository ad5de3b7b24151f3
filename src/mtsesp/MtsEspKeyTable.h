// What Velmarin publishes as the MTS-ESP master: a frequency for each of the
// 128 keys, which keys play no note of the tuning, and the scale's name,
// period and keyboard map, which clients may show or use.
#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <string>

#include "tuning/Tuning.h"

constexpr int kMtsEspKeyCount = 128;

// A tuning as the master is given it.
struct MtsEspKeyTable {
    std::array<double, kMtsEspKeyCount> hz{};  // a mapped key's frequency
    std::bitset<kMtsEspKeyCount> mapped;
    std::string scaleName;     // UTF-8, as the user knows the tuning
    double periodRatio = 2.0;  // the interval the keyboard map repeats at; 0 for none
    // The keyboard map: keys per repetition, the key of its first entry
    // (the scale's 1/1) and the key the reference frequency is given for;
    // -1 for none.
    int mapSize = -1;
    int mapStartKey = -1;
    int referenceKey = -1;
};

// The table as the library takes it.
struct MtsEspPublication {
    // Every key's frequency. A key that is not mapped, or whose frequency is
    // not a finite number above 0, sounds as the nearest mapped key below it
    // (above it where none is below), so that a client that ignores the
    // filter still plays a note of the tuning; with no mapped key at all,
    // each key sounds at its equal-tempered pitch at A4 = 440 Hz.
    std::array<double, kMtsEspKeyCount> hz{};
    std::bitset<kMtsEspKeyCount> filtered;  // those keys: clients should not play them
    std::string scaleName;
    std::optional<double> periodRatio;  // when finite and above 0
    std::optional<int> mapSize;         // when it lies in 1..127
    std::optional<int> mapStartKey;     // when it lies in 0..127
    int referenceKey = -1;              // 0..127, else -1
};

MtsEspPublication mtsEspPublication(const MtsEspKeyTable& table);

// A resolved tuning as every output hears it (keyFrequencies): twelve pitch
// classes at their exact cents with the coarse tuning, mapped on every key,
// repeating every twelve keys at 2/1 from C4 (key 60) with no reference key;
// a keyboard tuning key by key, its unmapped keys unmapped here. A scale with
// the map that laid it on the keys gives their period (the scale's last
// pitch), the map's size (the scale's for a linear map), its middle key and
// its reference key, whether the keys are twelve pitch classes or not; keys
// read back from a file give no period and no map. The name is
// englishTuningName's.
MtsEspKeyTable mtsEspKeyTable(const Tuning& tuning);
