// The built-in temperaments, each computed from its construction (ratios or a
// chain of tempered fifths) in double precision.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

struct Temperament {
    const char* id;           // e.g. "werckmeister3"; stable, used on the command line
    const char* englishName;  // e.g. "Werckmeister III"
    // Cents above C of C, C#, ..., B, each in [0, 1200); C is 0.
    std::array<double, 12> centsAboveC;
};

constexpr std::size_t kTemperamentCount = 19;

// In this order: equal, pythagorean, meantone-1/4, meantone-1/6,
// werckmeister3, kirnberger3, vallotti, young2, just-major, then
// meantone-1/3, meantone-2/7, meantone-1/5, werckmeister4, werckmeister5,
// kirnberger1, kirnberger2, kellner, lehman, barnes. The window's list and
// the command line's listing follow this order; new ones only ever join at
// the end.
const std::array<Temperament, kTemperamentCount>& builtInTemperaments();

// The temperament with this id (exact, case-sensitive), or nullptr.
const Temperament* findTemperament(std::string_view id);
