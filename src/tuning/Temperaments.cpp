#include "tuning/Temperaments.h"

#include <cmath>
#include <initializer_list>

#include "tuning/Intervals.h"

namespace {

// Functions rather than constants, so that a temperament asked for during
// another file's static initialisation never sees them unset.
double pureFifth() { return ratioCents(3.0 / 2.0); }
double syntonicComma() { return syntonicCommaCents(); }
double pythagoreanComma() { return pythagoreanCommaCents(); }
double schisma() { return ratioCents(32805.0 / 32768.0); }

// The chain of fifths that the eleven-fifth temperaments are built on, from
// E-flat up to G-sharp, as pitch classes. Fifth i rises from kChain[i] to
// kChain[i + 1]; the twelfth fifth, G#-Eb, takes what is left.
constexpr int kChain[12] = {3, 10, 5, 0, 7, 2, 9, 4, 11, 6, 1, 8};

// Narrowing in cents of each of the eleven fifths, named by the lower note.
using FifthNarrowing = std::array<double, 11>;

int chainIndex(int pitchClass) {
    for (int i = 0; i < 12; ++i)
        if (kChain[i] == pitchClass) return i;
    return -1;
}

FifthNarrowing narrowFifthsFrom(std::initializer_list<int> lowerNotes, double narrowing) {
    FifthNarrowing fifths{};
    for (int lower : lowerNotes) fifths[chainIndex(lower)] += narrowing;
    return fifths;
}

FifthNarrowing narrowAllFifths(double narrowing) {
    FifthNarrowing fifths;
    fifths.fill(narrowing);
    return fifths;
}

std::array<double, 12> fromFifths(const FifthNarrowing& narrowing) {
    std::array<double, 12> chainCents{};
    for (int i = 1; i < 12; ++i)
        chainCents[i] = chainCents[i - 1] + pureFifth() - narrowing[i - 1];
    const double c = chainCents[chainIndex(0)];
    std::array<double, 12> cents{};
    for (int i = 0; i < 12; ++i) {
        double value = std::fmod(chainCents[i] - c, 1200.0);
        if (value < 0) value += 1200.0;
        cents[kChain[i]] = value;
    }
    return cents;
}

std::array<double, 12> fromRatios(const std::array<double, 12>& ratios) {
    std::array<double, 12> cents{};
    for (int k = 0; k < 12; ++k) cents[k] = ratioCents(ratios[k]);
    return cents;
}

std::array<double, 12> equalSemitones() {
    std::array<double, 12> cents{};
    for (int k = 0; k < 12; ++k) cents[k] = 100.0 * k;
    return cents;
}

enum Note { C = 0, Cs, D, Eb, E, F, Fs, G, Gs, A, Bb, B };

// Adds `narrowing` to the fifths rising from `lowerNotes`; a negative value
// widens them.
FifthNarrowing& narrow(FifthNarrowing& fifths, std::initializer_list<int> lowerNotes, double narrowing) {
    for (int lower : lowerNotes) fifths[chainIndex(lower)] += narrowing;
    return fifths;
}

std::array<Temperament, kTemperamentCount> build() {
    FifthNarrowing kirnberger = narrowFifthsFrom({C, G, D, A}, syntonicComma() / 4);
    kirnberger[chainIndex(Fs)] += schisma();
    // The G#-Eb fifth of each well temperament below is the one the chain
    // closes with; its size follows from the other eleven.
    FifthNarrowing werckmeister4 = narrowFifthsFrom({C, D, E, Fs, Bb}, pythagoreanComma() / 3);
    narrow(werckmeister4, {Eb}, -pythagoreanComma() / 3);
    FifthNarrowing kirnberger1 = narrowFifthsFrom({D}, syntonicComma());
    narrow(kirnberger1, {Fs}, schisma());
    FifthNarrowing kirnberger2 = narrowFifthsFrom({D, A}, syntonicComma() / 2);
    narrow(kirnberger2, {Fs}, schisma());
    FifthNarrowing lehman = narrowFifthsFrom({F, C, G, D, A}, pythagoreanComma() / 6);
    narrow(lehman, {Cs, Eb}, pythagoreanComma() / 12);
    narrow(lehman, {Bb}, -pythagoreanComma() / 12);
    return {{
        {"equal", "Equal temperament", equalSemitones()},
        {"pythagorean", "Pythagorean", fromFifths(narrowAllFifths(0.0))},
        {"meantone-1/4", "Quarter-comma meantone",
         fromFifths(narrowAllFifths(syntonicComma() / 4))},
        {"meantone-1/6", "Sixth-comma meantone",
         fromFifths(narrowAllFifths(syntonicComma() / 6))},
        {"werckmeister3", "Werckmeister III",
         fromFifths(narrowFifthsFrom({C, G, D, B}, pythagoreanComma() / 4))},
        {"kirnberger3", "Kirnberger III", fromFifths(kirnberger)},
        {"vallotti", "Vallotti",
         fromFifths(narrowFifthsFrom({F, C, G, D, A, E}, pythagoreanComma() / 6))},
        {"young2", "Young II",
         fromFifths(narrowFifthsFrom({C, G, D, A, E, B}, pythagoreanComma() / 6))},
        {"just-major", "Just intonation (major)",
         fromRatios({1.0, 16.0 / 15, 9.0 / 8, 6.0 / 5, 5.0 / 4, 4.0 / 3, 45.0 / 32, 3.0 / 2,
                     8.0 / 5, 5.0 / 3, 9.0 / 5, 15.0 / 8})},
        {"meantone-1/3", "Third-comma meantone", fromFifths(narrowAllFifths(syntonicComma() / 3))},
        {"meantone-2/7", "Two-sevenths-comma meantone",
         fromFifths(narrowAllFifths(2 * syntonicComma() / 7))},
        {"meantone-1/5", "Fifth-comma meantone", fromFifths(narrowAllFifths(syntonicComma() / 5))},
        {"werckmeister4", "Werckmeister IV", fromFifths(werckmeister4)},
        {"werckmeister5", "Werckmeister V",
         fromFifths(narrowFifthsFrom({D, A, Fs, Cs, F}, pythagoreanComma() / 4))},
        {"kirnberger1", "Kirnberger I", fromFifths(kirnberger1)},
        {"kirnberger2", "Kirnberger II", fromFifths(kirnberger2)},
        {"kellner", "Kellner",
         fromFifths(narrowFifthsFrom({C, G, D, A, B}, pythagoreanComma() / 5))},
        {"lehman", "Lehman", fromFifths(lehman)},
        {"barnes", "Barnes",
         fromFifths(narrowFifthsFrom({F, C, G, D, A, B}, pythagoreanComma() / 6))},
    }};
}

}  // namespace

const std::array<Temperament, kTemperamentCount>& builtInTemperaments() {
    static const std::array<Temperament, kTemperamentCount> temperaments = build();
    return temperaments;
}

const Temperament* findTemperament(std::string_view id) {
    for (const Temperament& temperament : builtInTemperaments())
        if (id == temperament.id) return &temperament;
    return nullptr;
}
