// The geometry and colours of the temperament dialog's circle of fifths,
// apart from GDI so that they can be tested on any platform. Pixels, y down;
// positions around the circle count fifths from C at the top, clockwise
// (C G D A E B F# C# G# D# A# F), half positions lying between two notes.
#pragma once

#include <string>

#include "tuning/TuningAnalysis.h"

constexpr double kPi = 3.14159265358979323846;

struct CirclePoint {
    double x = 0;
    double y = 0;
};

struct Rgb {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    bool operator==(const Rgb& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

struct FifthsCircleLayout {
    CirclePoint centre;
    double labelRadius = 0;  // centres of the fifths' labels, outside the ring
    double noteRadius = 0;   // the ring the note names sit on and the fifths run along
    // The thirds' marks start on the pure ring and reach out (wide) or in
    // (narrow) by their deviation, held to innerRadius..outerRadius.
    double outerRadius = 0;
    double innerRadius = 0;
    double pureThirdRadius = 0;
    double equalThirdRadius = 0;  // a third 13.69 cents wide, as in equal temperament
    double pixelsPerCent = 0;
    double legendTop = 0;  // the legend's lines below the circle
    double lineHeight = 0;
};

// The layout for a control of `width` x `height` pixels whose text is
// `textHeight` pixels high: the circle as large as the control allows above
// two legend lines, everything else in proportion to the text.
FifthsCircleLayout layOutFifthsCircle(int width, int height, int textHeight);

// The point `radius` from the centre at `position` (see above).
CirclePoint pointOnCircle(const FifthsCircleLayout& layout, double radius, double position);

// The position of pitch class 0..11 around the circle.
int circlePosition(int pitchClass);

// How far from the centre the mark of a third `deviationCents` from pure reaches.
double thirdMarkRadius(const FifthsCircleLayout& layout, double deviationCents);

// A fifth within 0.05 cent of pure is green; narrower ones blue, wider ones
// red, deeper the further they are tempered (full from a quarter comma on).
Rgb fifthColour(double deviationCents);
// A third: green when pure, blue when narrow, from green through amber
// (equal temperament's third) to red (a Pythagorean third) when wide.
Rgb thirdColour(double deviationCents);

// What a fifth is labelled with: its comma fraction ("-1/4", "0"), or its
// cents to one decimal with a sign ("+35.7") when no simple fraction fits.
std::string fifthLabel(const IntervalAnalysis& fifth);
