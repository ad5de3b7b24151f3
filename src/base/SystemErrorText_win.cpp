#include <windows.h>

#include "base/SystemErrorText.h"
#include "base/WideText.h"

namespace {

bool formatIn(DWORD code, DWORD language, std::string& text) {
    wchar_t* systemText = nullptr;
    // Without IGNORE_INSERTS a text with "%1" and no arguments fails.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, language, reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    if (length == 0 || !systemText) return false;
    text = utf8FromWide(std::wstring_view(systemText, length));
    LocalFree(systemText);
    return true;
}

}  // namespace

bool systemErrorMessage(SystemError error, std::string& text) {
    // Language 0 lets the system choose among the languages it has.
    return formatIn(error, LANG_SYSTEM_DEFAULT, text) || formatIn(error, 0, text);
}
