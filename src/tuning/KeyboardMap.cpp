#include "tuning/KeyboardMap.h"

#include <optional>

#include "tuning/ScalaText.h"
#include "tuning/TuningFit.h"

namespace {

using namespace scala_text;

KeyboardMapReadResult failure(KeyboardMapError error, KeyboardMapField field, std::size_t line) {
    KeyboardMapReadResult result;
    result.error = error;
    result.field = field;
    result.line = line;
    return result;
}

// A whole number at the front of the line, possibly negative, so that "-1"
// is a value out of range rather than no number at all.
KeyboardMapError parseInteger(std::string_view text, int64_t& value) {
    text = skipBlanks(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    uint64_t digits = 0;
    switch (parseDigits(text, digits)) {
    case NumberParse::NotANumber: return KeyboardMapError::NotANumber;
    case NumberParse::TooLarge: return KeyboardMapError::OutOfRange;
    case NumberParse::Ok: break;
    }
    if (digits > static_cast<uint64_t>(kMaxKeyboardDegree) * 10) return KeyboardMapError::OutOfRange;
    value = negative ? -static_cast<int64_t>(digits) : static_cast<int64_t>(digits);
    return KeyboardMapError::None;
}

// A frequency at the front of the line: digits with at most one decimal
// point; anything after it is ignored, as after a value of the scale.
KeyboardMapError parseHz(std::string_view text, double& hz) {
    text = skipBlanks(text);
    std::size_t end = 0;
    while (end < text.size() && isDigit(text[end])) ++end;
    if (end < text.size() && text[end] == '.') ++end;
    while (end < text.size() && isDigit(text[end])) ++end;
    const std::string_view number = text.substr(0, end);
    if (number.find_first_of("0123456789") == std::string_view::npos) return KeyboardMapError::NotANumber;
    const std::optional<double> value = parseFrequency(number);  // nothing only beyond its limit
    if (!value || *value <= 0 || *value > kMaxReferenceHz) return KeyboardMapError::OutOfRange;
    hz = *value;
    return KeyboardMapError::None;
}

struct IntegerField {
    KeyboardMapField field;
    int KeyboardMap::*value;
    int64_t lowest;
    int64_t highest;
};

constexpr int64_t kLastKey = kKeyboardKeyCount - 1;
constexpr IntegerField kHeader[] = {
    {KeyboardMapField::MapSize, &KeyboardMap::mapSize, 0, kMaxKeyboardMapSize},
    {KeyboardMapField::FirstKey, &KeyboardMap::firstKey, 0, kLastKey},
    {KeyboardMapField::LastKey, &KeyboardMap::lastKey, 0, kLastKey},
    {KeyboardMapField::MiddleKey, &KeyboardMap::middleKey, 0, kLastKey},
    {KeyboardMapField::ReferenceKey, &KeyboardMap::referenceKey, 0, kLastKey},
};

}  // namespace

KeyboardMapReadResult parseKeyboardMap(std::string_view bytes) {
    if (bytes.size() > kMaxScalaFileBytes)
        return failure(KeyboardMapError::FileTooLarge, KeyboardMapField::MapSize, 0);
    LineReader lines(withoutByteOrderMark(bytes));
    std::string_view line;
    KeyboardMapReadResult result;
    KeyboardMap& map = result.map;

    for (const IntegerField& header : kHeader) {
        if (!lines.nextNonComment(line))
            return failure(KeyboardMapError::MissingValue, header.field, lines.lineNumber() + 1);
        int64_t value = 0;
        KeyboardMapError error = parseInteger(line, value);
        if (error == KeyboardMapError::None && (value < header.lowest || value > header.highest))
            error = KeyboardMapError::OutOfRange;
        if (error != KeyboardMapError::None) return failure(error, header.field, lines.lineNumber());
        map.*header.value = static_cast<int>(value);
        map.lines[static_cast<std::size_t>(header.field)] = lines.lineNumber();
        if (header.field == KeyboardMapField::LastKey && map.lastKey < map.firstKey)
            return failure(KeyboardMapError::LastKeyBeforeFirst, header.field, lines.lineNumber());
    }

    if (!lines.nextNonComment(line))
        return failure(KeyboardMapError::MissingValue, KeyboardMapField::ReferenceFrequency, lines.lineNumber() + 1);
    if (const KeyboardMapError error = parseHz(line, map.referenceHz); error != KeyboardMapError::None)
        return failure(error, KeyboardMapField::ReferenceFrequency, lines.lineNumber());
    map.lines[static_cast<std::size_t>(KeyboardMapField::ReferenceFrequency)] = lines.lineNumber();

    if (!lines.nextNonComment(line))
        return failure(KeyboardMapError::MissingValue, KeyboardMapField::FormalOctave, lines.lineNumber() + 1);
    int64_t octave = 0;
    KeyboardMapError error = parseInteger(line, octave);
    if (error == KeyboardMapError::None && (octave < 0 || octave > kMaxScalaNoteCount))
        error = KeyboardMapError::OutOfRange;
    if (error != KeyboardMapError::None) return failure(error, KeyboardMapField::FormalOctave, lines.lineNumber());
    map.formalOctave = static_cast<int>(octave);
    map.lines[static_cast<std::size_t>(KeyboardMapField::FormalOctave)] = lines.lineNumber();

    map.degrees.assign(static_cast<std::size_t>(map.mapSize), kUnmappedDegree);
    for (int& degree : map.degrees) {
        if (!lines.nextNonComment(line)) break;
        const std::string_view entry = skipBlanks(line);
        ++result.keyLinesRead;
        if (!entry.empty() && (entry.front() == 'x' || entry.front() == 'X')) continue;
        int64_t value = 0;
        error = parseInteger(entry, value);
        if (error == KeyboardMapError::None && (value < 0 || value > kMaxKeyboardDegree))
            error = KeyboardMapError::OutOfRange;
        if (error != KeyboardMapError::None) return failure(error, KeyboardMapField::Degree, lines.lineNumber());
        degree = static_cast<int>(value);
    }
    return result;
}
