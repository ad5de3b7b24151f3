#include <windows.h>

#include "base/Cp932Text_platform.h"
#include "base/WideText.h"

bool encodeCp932(std::string_view utf8, std::string& cp932) {
    const std::wstring wide = wideFromUtf8(utf8);
    cp932.clear();
    if (wide.empty()) return utf8.empty();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(932, 0, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    cp932.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(932, 0, wide.data(), size, cp932.data(), length, nullptr, nullptr);
    return true;
}

std::string decodeCp932(std::string_view cp932) {
    if (cp932.empty()) return {};
    const int size = static_cast<int>(cp932.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(932, 0, cp932.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), size, wide.data(), static_cast<int>(wide.size()));
    return utf8FromWide(wide);
}
