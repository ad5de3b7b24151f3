#include "base/SystemErrorText.h"

std::string systemErrorText(SystemError error) {
    std::string text;
    if (!systemErrorMessage(error, text) || text.empty()) return "system error " + std::to_string(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}
