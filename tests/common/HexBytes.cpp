#include "HexBytes.h"

#include <cstdio>
#include <sstream>

Bytes hexBytes(const std::string& text) {
    Bytes bytes;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        const std::size_t star = word.find('*');
        const int repeat = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
        const auto value = static_cast<uint8_t>(std::stoul(word.substr(0, star), nullptr, 16));
        bytes.insert(bytes.end(), repeat, value);
    }
    return bytes;
}

std::string hexString(const std::string& text) {
    const Bytes bytes = hexBytes(text);
    return std::string(bytes.begin(), bytes.end());
}

std::string dumpBytes(const uint8_t* bytes, std::size_t count) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        if (i != 0) text += ' ';
        text += digits;
    }
    return text;
}
