// The tuning the engine plays in, and the key each key is played on with the
// bend it needs there.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

struct RetuneTuning {
    // Cents from equal temperament of every key, 0-127; hundredths welcome.
    std::array<double, 128> keyCents{};
    // A keyboard tuning, whose keys may lie octaves from their own pitch:
    // each note is played on the key nearest its pitch and bent by the rest,
    // a pitch beyond keys 0-127 on the end key. Otherwise every note keeps
    // its key and is bent all the way.
    bool nearestKeys = false;
};

// The same cents for a pitch class on every octave: C..B.
std::array<double, 128> keyCentsOfPitchClasses(const std::array<double, 12>& pitchClassCents);
// A keyboard tuning's keys in hundredths of a cent; a key with none keeps its pitch.
std::array<double, 128> keyCentsOfKeys(const std::array<std::optional<int32_t>, 128>& keyHundredths);

// The key each key of the player is played on and the bend in cents it
// needs there.
struct KeyPlan {
    std::array<uint8_t, 128> sounds{};
    std::array<double, 128> cents{};
};
KeyPlan planKeys(const RetuneTuning& tuning);
