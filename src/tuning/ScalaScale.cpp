#include "tuning/ScalaScale.h"

#include <cmath>

#include "tuning/ScalaText.h"


namespace {

using namespace scala_text;

ScalaReadResult failure(ScalaError error, ScalaDetail detail, std::size_t line) {
    ScalaReadResult result;
    result.error = error;
    result.detail = detail;
    result.line = line;
    return result;
}

// Cents after the sign: `whole` (digits, possibly none) before the point,
// `text` after it.
ScalaError parseCents(std::string_view whole, std::string_view text, bool negative, ScalaPitch& pitch,
                      ScalaDetail& what) {
    uint64_t wholeCents = 0;
    std::string_view wholeDigits = whole;
    if (!whole.empty() && parseDigits(wholeDigits, wholeCents) == NumberParse::TooLarge) {
        what = ScalaDetail::NumberTooLarge;
        return ScalaError::NumberTooLarge;
    }
    // Digits past the 18th cannot change a double; they are read and dropped.
    double fraction = 0;
    double scale = 1;
    int digits = 0;
    while (!text.empty() && isDigit(text.front())) {
        if (digits++ < 18) {
            fraction = fraction * 10 + (text.front() - '0');
            scale *= 10;
        }
        text.remove_prefix(1);
    }
    if (whole.empty() && digits == 0) {
        what = ScalaDetail::NoPitchValue;
        return ScalaError::NotANumber;
    }
    const double cents = static_cast<double>(wholeCents) + fraction / scale;
    pitch.cents = negative ? -cents : cents;
    pitch.isRatio = false;
    return ScalaError::None;
}

// A pitch value at the front of `text`; the caller ignores what follows.
ScalaError parsePitch(std::string_view text, ScalaPitch& pitch, ScalaDetail& what) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::string_view whole = takeDigits(text);
    if (!text.empty() && text.front() == '.') return parseCents(whole, text.substr(1), negative, pitch, what);
    if (whole.empty()) {
        what = ScalaDetail::NoPitchValue;
        return ScalaError::NotANumber;
    }

    // A ratio's terms may have any number of digits.
    WholeNumber denominator = 1;
    if (!text.empty() && text.front() == '/') {
        text.remove_prefix(1);
        const std::string_view digits = takeDigits(text);
        if (digits.empty()) {
            what = ScalaDetail::NoDenominator;
            return ScalaError::NotANumber;
        }
        denominator = WholeNumber::fromDigits(digits);
    }
    const WholeNumber numerator = WholeNumber::fromDigits(whole);
    if (negative || numerator.isZero() || denominator.isZero()) {
        what = denominator.isZero() ? ScalaDetail::ZeroDenominator : ScalaDetail::RatioNotPositive;
        return ScalaError::NonPositiveRatio;
    }
    pitch.isRatio = true;
    pitch.cents = ratioCents(numerator, denominator);
    pitch.numerator = numerator;
    pitch.denominator = denominator;
    return ScalaError::None;
}

bool isOctave(const ScalaPitch& pitch) {
    if (pitch.isRatio) return pitch.numerator == pitch.denominator.doubled();
    return std::fabs(pitch.cents - 1200.0) < 1e-6;
}

std::size_t degreeLine(const ScalaScale& scale, int degree) {
    return degree == 0 ? 0 : scale.pitches[degree - 1].line;
}

}  // namespace

ScalaReadResult parseScala(std::string_view bytes) {
    if (bytes.size() > kMaxScalaFileBytes)
        return failure(ScalaError::FileTooLarge, ScalaDetail::TooLarge, 0);

    bytes = withoutByteOrderMark(bytes);

    LineReader lines(bytes);
    std::string_view line;
    if (!lines.nextNonComment(line))
        return failure(ScalaError::MissingCount, ScalaDetail::NoDescription, lines.lineNumber() + 1);
    ScalaReadResult result;
    result.scale.description.assign(line.data(), line.size());

    if (!lines.nextNonComment(line))
        return failure(ScalaError::MissingCount, ScalaDetail::NoCount, lines.lineNumber() + 1);
    std::string_view countText = skipBlanks(line);
    const std::size_t countLine = lines.lineNumber();
    if (!countText.empty() && countText.front() == '-' && countText.size() > 1 &&
        isDigit(countText[1]))
        return failure(ScalaError::BadCount, ScalaDetail::NegativeCount, countLine);
    uint64_t count = 0;
    const NumberParse countParse = parseDigits(countText, count);
    if (countParse == NumberParse::NotANumber)
        return failure(ScalaError::BadCount, ScalaDetail::CountNotANumber, countLine);
    if (countParse == NumberParse::TooLarge || count > kMaxScalaNoteCount)
        return failure(ScalaError::CountTooLarge, ScalaDetail::CountTooLarge, countLine);

    result.scale.pitches.reserve(count);
    while (result.scale.pitches.size() < count) {
        if (!lines.nextNonComment(line)) {
            ScalaReadResult missing = failure(ScalaError::MissingPitches, ScalaDetail::TooFewPitches, lines.lineNumber());
            missing.pitchesRead = result.scale.pitches.size();
            missing.count = count;
            return missing;
        }
        ScalaPitch pitch;
        pitch.line = lines.lineNumber();
        ScalaDetail what = ScalaDetail::None;
        const ScalaError error = parsePitch(line, pitch, what);
        if (error != ScalaError::None) return failure(error, what, pitch.line);
        result.scale.pitches.push_back(pitch);
    }
    return result;
}

ScaleMapResult mapScaleToPitchClasses(const ScalaScale& scale) {
    ScaleMapResult result;
    const std::size_t count = scale.pitches.size();
    if (count == 0) {
        result.error = ScaleMapError::NoPitches;
        return result;
    }
    if (!isOctave(scale.pitches.back())) {
        result.error = ScaleMapError::PeriodNotOctave;
        result.periodLine = scale.pitches.back().line;
        return result;
    }
    if (count > 12) {
        result.error = ScaleMapError::TooManyNotes;
        result.noteCount = count;
        return result;
    }

    int degreeOf[12];
    for (int& degree : degreeOf) degree = -1;
    for (int degree = 0; degree < static_cast<int>(count); ++degree) {
        const double cents = degree == 0 ? 0.0 : scale.pitches[degree - 1].cents;
        int pitchClass = degree;
        double offset = cents - 100.0 * degree;
        if (count != 12) {
            double reduced = std::fmod(cents, 1200.0);
            if (reduced < 0) reduced += 1200.0;
            const double nearest = std::floor(reduced / 100.0 + 0.5);
            pitchClass = static_cast<int>(nearest) % 12;
            offset = reduced - 100.0 * nearest;
        }
        if (degreeOf[pitchClass] >= 0) {
            result.error = ScaleMapError::DegreesCollide;
            result.firstDegree = degreeOf[pitchClass];
            result.secondDegree = degree;
            result.pitchClass = pitchClass;
            result.firstDegreeLine = degreeLine(scale, degreeOf[pitchClass]);
            result.secondDegreeLine = degreeLine(scale, degree);
            return result;
        }
        degreeOf[pitchClass] = degree;
        result.offsets.cents[pitchClass] = offset;
    }
    for (int p = 0; p < 12; ++p)
        if (degreeOf[p] < 0) result.offsets.unmapped |= static_cast<uint16_t>(1u << p);
    return result;
}
