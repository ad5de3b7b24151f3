#include "tuning/TuningExport.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "tuning/KeyPitch.h"
#include "tuning/TuningFileReader.h"

namespace {

const char kLineEnd[] = "\r\n";

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void appendLine(std::string& text, const std::string& line) { text += line + kLineEnd; }

}  // namespace

ScaleOnKeys twelveToneScale(const TuningFit& fit, int tonic, std::string description) {
    std::array<double, 12> exactCents{};
    for (int p = 0; p < 12; ++p) exactCents[p] = fit.notes[p].exactCents;
    return twelveToneScale(exactCents, fit.coarseSemitones, tonic, std::move(description));
}

ScaleOnKeys twelveToneScale(const std::array<double, 12>& exactCents, int32_t coarseSemitones, int tonic,
                            std::string description) {
    // The pitch of key 60 + p in cents above C4 at A4 = 440 Hz.
    const auto pitch = [&](int p) { return 100.0 * (p + coarseSemitones) + exactCents[p % 12]; };
    ScaleOnKeys result;
    result.scale.description = std::move(description);
    for (int k = 1; k < 12; ++k) result.scale.pitches.push_back({pitch(tonic + k) - pitch(tonic), false, 0, 1, 0});
    result.scale.pitches.push_back({1200.0, true, 2, 1, 0});
    KeyboardMap& map = result.map;
    map.mapSize = 12;
    map.middleKey = 60 + tonic;
    map.referenceKey = 69;
    map.referenceHz = keyHz(kA4Key, kStandardA4Hz, pitch(9) - 900.0);
    map.formalOctave = 12;
    for (int k = 0; k < 12; ++k) map.degrees.push_back(k);
    return result;
}

std::string scalaScaleText(const ScalaScale& scale, const std::string& fileName) {
    std::string text;
    appendLine(text, "! " + fileName);
    appendLine(text, "!");
    appendLine(text, scale.description);
    appendLine(text, " " + std::to_string(scale.pitches.size()));
    appendLine(text, "!");
    for (const ScalaPitch& pitch : scale.pitches)
        appendLine(text, pitch.isRatio ? " " + pitch.numerator.digits() + "/" + pitch.denominator.digits()
                                       : formatted(" %.6f", pitch.cents));
    return text;
}

std::string keyboardMapText(const KeyboardMap& map, const std::string& fileName) {
    std::string text;
    appendLine(text, "! " + fileName);
    appendLine(text, "!");
    const std::pair<const char*, std::string> values[] = {
        {"! Size of map:", std::to_string(map.mapSize)},
        {"! First MIDI note number to retune:", std::to_string(map.firstKey)},
        {"! Last MIDI note number to retune:", std::to_string(map.lastKey)},
        {"! Middle note where the first entry of the mapping is mapped to:", std::to_string(map.middleKey)},
        {"! Reference note for which frequency is given:", std::to_string(map.referenceKey)},
        {"! Frequency to tune the above note to (floating point e.g. 440.0):", formatted("%.10f", map.referenceHz)},
        {"! Scale degree to consider as formal octave:", std::to_string(map.formalOctave)},
    };
    for (const auto& [comment, value] : values) {
        appendLine(text, comment);
        appendLine(text, value);
    }
    appendLine(text, "! Mapping.");
    for (int degree : map.degrees) appendLine(text, degree == kUnmappedDegree ? "x" : std::to_string(degree));
    return text;
}

std::string anaMarkTuningText(const KeyboardTuning& tuning, const std::string& description) {
    std::string text;
    appendLine(text, "; " + description);
    std::string unmapped;
    for (int key = 0; key < kKeyboardKeyCount; ++key)
        if (!tuning.mapped.test(static_cast<std::size_t>(key))) unmapped += " " + std::to_string(key);
    if (!unmapped.empty())
        appendLine(text, "; Keys the keyboard map leaves unmapped, at their equal-tempered pitch:" + unmapped);
    std::string exact;
    appendLine(text, "[Tuning]");
    appendLine(exact, "[Exact Tuning]");
    appendLine(exact, "BaseFreq=" + formatted("%.10f", kAnaMarkBaseHz));
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        // An unmapped key sounds where "no change" leaves it, 100 cents a key
        // above the base; a key beyond every limit (an infinite or vanishing
        // frequency) is held.
        const double cents = !tuning.mapped.test(static_cast<std::size_t>(key))
                                 ? 100.0 * key
                                 : std::fmax(-1e7, std::fmin(1e7, 1200.0 * std::log2(tuning.hz[key] / kAnaMarkBaseHz)));
        const std::string note = "note " + std::to_string(key) + "=";
        appendLine(text, note + std::to_string(std::llround(cents)));
        appendLine(exact, note + formatted("%.6f", cents));
    }
    return text + exact;
}

SynthFileKind synthFileKindFromName(std::string_view fileName) {
    if (endsWithNoCase(fileName, ".scl")) return SynthFileKind::Scl;
    if (endsWithNoCase(fileName, ".kbm")) return SynthFileKind::Kbm;
    if (endsWithNoCase(fileName, ".tun")) return SynthFileKind::Tun;
    return SynthFileKind::None;
}
