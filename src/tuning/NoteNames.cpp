#include "tuning/NoteNames.h"

#include <cstdio>

namespace {

constexpr const char* kSharpNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

const char* pitchClassName(int pitchClass) {
    if (pitchClass < 0 || pitchClass > 11) return "?";
    return kSharpNames[pitchClass];
}

std::string pitchClassList(const std::vector<int>& pitchClasses, std::string_view separator) {
    std::string text;
    for (int pitchClass : pitchClasses) {
        if (!text.empty()) text += separator;
        text += pitchClassName(pitchClass);
    }
    return text;
}

std::optional<int> parseNoteName(std::string_view text) {
    static constexpr int kNaturals[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (text.empty() || text.size() > 2 || text[0] < 'A' || text[0] > 'G')
        return std::nullopt;
    int pitchClass = kNaturals[text[0] - 'A'];
    if (text.size() == 2) {
        if (text[1] == '#')
            ++pitchClass;
        else if (text[1] == 'b')
            --pitchClass;
        else
            return std::nullopt;
        // Only the seventeen usual spellings: no E#, Fb, B#, Cb.
        if (pitchClass == 5 && text[0] == 'E') return std::nullopt;
        if (pitchClass == 4 && text[0] == 'F') return std::nullopt;
        if (pitchClass == 12 || pitchClass == -1) return std::nullopt;
    }
    return pitchClass;
}

ExactOffsetListParse parseExactOffsetList(std::string_view text) {
    ExactOffsetListParse result;
    std::size_t item = 0;
    for (;;) {
        const std::size_t comma = text.find(',');
        if (item == 12) {
            result.badItem = 13;
            return result;
        }
        const ParsedOffset value = parseOffsetText(trim(text.substr(0, comma)));
        if (value.error != OffsetTextError::None || value.hundredths < -999999 || value.hundredths > 999999) {
            result.badItem = static_cast<int>(item) + 1;
            result.tooManyDecimals = value.error == OffsetTextError::TooManyDecimals;
            return result;
        }
        result.hundredths[item++] = value.hundredths;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (item != 12) result.badItem = static_cast<int>(item) + 1;
    return result;
}

std::string hundredthsText(int32_t hundredths) {
    if (hundredths % 100 == 0) return std::to_string(hundredths / 100);
    char text[32];
    const int64_t magnitude = hundredths < 0 ? -int64_t{hundredths} : int64_t{hundredths};
    std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 ? "-" : "",
                  static_cast<long long>(magnitude / 100), static_cast<long long>(magnitude % 100));
    return text;
}

ParsedOffset parseOffsetText(std::string_view text) {
    ParsedOffset parsed{OffsetTextError::NotANumber, 0};
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    int64_t whole = 0;
    int64_t fraction = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            if (!point) {
                whole = whole * 10 + (c - '0');
                if (whole > 1000000) return parsed;
            } else if (++decimals <= 2) {
                fraction = fraction * 10 + (c - '0');
            } else {
                parsed.error = OffsetTextError::TooManyDecimals;
            }
        } else {
            return {OffsetTextError::NotANumber, 0};
        }
    }
    if (digits == 0) return {OffsetTextError::NotANumber, 0};
    if (parsed.error == OffsetTextError::TooManyDecimals) return parsed;
    for (int d = decimals; d < 2; ++d) fraction *= 10;
    const int64_t value = whole * 100 + fraction;
    return {OffsetTextError::None, static_cast<int32_t>(negative ? -value : value)};
}
