#include "base/SystemErrorText.h"

#include <cstring>

std::string systemErrorText(SystemError error) {
    const char* text = std::strerror(static_cast<int>(error));
    if (!text || !*text) return "system error " + std::to_string(error);
    return text;
}
