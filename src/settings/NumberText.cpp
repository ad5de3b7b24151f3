#include "settings/NumberText.h"

namespace {

bool isCWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int32_t parseIniInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t magnitude = 0;  // unsigned, so wrap-around is defined
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = magnitude * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) magnitude = 0u - magnitude;
    return static_cast<int32_t>(magnitude);
}

std::string formatIniInt(int32_t value) {
    char digits[12];
    char* end = digits + sizeof digits;
    char* at = end;
    // Work on the unsigned magnitude so INT32_MIN needs no special case.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value)
                                   : static_cast<uint32_t>(value);
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--at = '-';
    return std::string(at, end);
}

int32_t clampInt(int32_t value, int32_t lowest, int32_t highest) {
    if (value < lowest) return lowest;
    if (value > highest) return highest;
    return value;
}
