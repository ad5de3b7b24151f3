#include "base/Cp932Text.h"

#include "base/Cp932Text_platform.h"

bool cp932FromUtf8(std::string_view utf8, std::string& cp932) {
    std::string bytes;
    // The platform's converters map some characters to the code of a
    // look-alike; only a round trip shows that the character itself is held.
    if (!encodeCp932(utf8, bytes) || decodeCp932(bytes) != utf8) return false;
    cp932 = std::move(bytes);
    return true;
}

std::string utf8FromCp932(std::string_view cp932) { return decodeCp932(cp932); }
