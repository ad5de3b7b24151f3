#include "base/SystemErrorText.h"

#include <cstring>

bool systemErrorMessage(SystemError error, std::string& text) {
    const char* message = std::strerror(static_cast<int>(error));
    if (!message || !*message) return false;
    text = message;
    return true;
}
