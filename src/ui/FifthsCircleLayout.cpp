#include "ui/FifthsCircleLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kPureTolerance = 0.05;
constexpr double kEqualThird = 13.686;
constexpr double kPythagoreanThird = 21.506;
// The thirds' scale: from this much narrow to this much wide fills the
// space inside the ring; real temperaments stay within it but for meantone's
// diminished fourths, whose marks are held at the edge.
constexpr double kNarrowestThird = -8;
constexpr double kWidestThird = 22;

const Rgb kPureGreen{30, 150, 80};

Rgb mix(const Rgb& from, const Rgb& to, double share) {
    share = std::clamp(share, 0.0, 1.0);
    auto channel = [share](unsigned char a, unsigned char b) {
        return static_cast<unsigned char>(std::lround(a + (b - a) * share));
    };
    return {channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue)};
}

}  // namespace

FifthsCircleLayout layOutFifthsCircle(int width, int height, int textHeight) {
    FifthsCircleLayout layout;
    const double text = std::max(textHeight, 1);
    layout.lineHeight = text * 1.3;
    const double circleHeight = std::max(height - 2 * layout.lineHeight, 0.0);
    layout.legendTop = circleHeight;
    const double radius = std::max(std::min<double>(width, circleHeight) / 2 - 1, 0.0);
    layout.centre = {width / 2.0, circleHeight / 2};
    // A label is at most about five characters wide and one high.
    layout.labelRadius = std::max(radius - 1.4 * text, 0.0);
    layout.noteRadius = std::max(layout.labelRadius - 1.6 * text, 0.0);
    layout.outerRadius = std::max(layout.noteRadius - 1.3 * text, 0.0);
    layout.innerRadius = layout.outerRadius * 0.12;
    layout.pixelsPerCent = (layout.outerRadius - layout.innerRadius) / (kWidestThird - kNarrowestThird);
    layout.pureThirdRadius = layout.innerRadius - kNarrowestThird * layout.pixelsPerCent;
    layout.equalThirdRadius = layout.pureThirdRadius + kEqualThird * layout.pixelsPerCent;
    return layout;
}

CirclePoint pointOnCircle(const FifthsCircleLayout& layout, double radius, double position) {
    const double angle = position * kPi / 6;
    return {layout.centre.x + radius * std::sin(angle), layout.centre.y - radius * std::cos(angle)};
}

// Seven fifths up is one semitone: the position of pitch class p is 7p.
int circlePosition(int pitchClass) { return (pitchClass % 12 + 12) % 12 * 7 % 12; }

double thirdMarkRadius(const FifthsCircleLayout& layout, double deviationCents) {
    return std::clamp(layout.pureThirdRadius + deviationCents * layout.pixelsPerCent, layout.innerRadius,
                      layout.outerRadius);
}

Rgb fifthColour(double deviationCents) {
    if (std::fabs(deviationCents) <= kPureTolerance) return kPureGreen;
    const double share = std::fabs(deviationCents) / (pythagoreanCommaCents() / 4);
    return deviationCents < 0 ? mix({120, 170, 235}, {20, 50, 190}, share) : mix({240, 160, 90}, {200, 20, 20}, share);
}

Rgb thirdColour(double deviationCents) {
    if (std::fabs(deviationCents) <= kPureTolerance) return kPureGreen;
    if (deviationCents < 0) return mix({120, 170, 235}, {20, 50, 190}, -deviationCents / 8);
    const Rgb amber{225, 150, 20};
    if (deviationCents <= kEqualThird) return mix(kPureGreen, amber, deviationCents / kEqualThird);
    return mix(amber, {200, 20, 20}, (deviationCents - kEqualThird) / (kPythagoreanThird - kEqualThird));
}

std::string fifthLabel(const IntervalAnalysis& fifth) {
    if (fifth.commaFraction) return commaFractionText(*fifth.commaFraction);
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f", fifth.deviationCents);
    return text;
}
