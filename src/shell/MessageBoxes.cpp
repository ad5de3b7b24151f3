#include "shell/MessageBoxes.h"

#include <shellapi.h>

#include "base/SystemErrorText.h"
#include "base/SystemLibrary.h"
#include "base/WideText.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/Centering.h"
#include "shell/Resources.h"
#include "shell/ShellExecuteError.h"

int centeredMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    CenteringScope scope(GetCurrentThreadId());
    return MessageBoxW(owner, wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(), style);
}

bool getSystemErrorText(DWORD code, std::string& text) {
    if (code == 0) return false;
    if (!systemErrorMessage(code, text)) text = loadResourceString(IDS_UNEXPECTED_ERROR);
    return true;
}

void reportSystemError(HWND owner, DWORD code) {
    std::string message;
    if (!getSystemErrorText(code, message)) return;
    const std::string caption = loadResourceString(IDS_ERROR_CAPTION);
    centeredMessageBox(owner, message.c_str(), caption.c_str(), MB_ICONERROR);
}

void reportErrorCode(HWND owner, DWORD code) {
    char number[16];
    wsprintfA(number, "(0x%04lX)", code);
    const std::string text = loadResourceString(IDS_UNEXPECTED_ERROR) + "\n" + number;
    const std::string caption = loadResourceString(IDS_ERROR_CAPTION);
    centeredMessageBox(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

void reportUnexpectedError(HWND owner) noexcept {
    static bool showing = false;
    if (showing) return;
    // The texts straight from the resources: converting them could throw.
    wchar_t text[256] = L"";
    wchar_t caption[64] = L"";
    loadWideResourceString(IDS_UNEXPECTED_ERROR, text, 256);
    loadWideResourceString(IDS_ERROR_CAPTION, caption, 64);
    showing = true;
    try {
        CenteringScope scope(GetCurrentThreadId());
        MessageBoxW(owner, text, caption, MB_ICONERROR);
    } catch (...) {
        // Centring failed: the box shows uncentred rather than not at all.
        MessageBoxW(owner, text, caption, MB_ICONERROR);
    }
    showing = false;
}

namespace {

// shell32 is loaded on first use, not imported: loading it with what it brings
// took a large part of the program's start-up under Wine. It stays loaded
// until the process ends, as an imported library would.
struct Shell {
    SystemLibrary library{"shell32.dll"};
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) = nullptr;

    Shell() { library.lookUp(shellExecute, "ShellExecuteW"); }
};

const Shell& shell() {
    static const Shell* const loaded = new Shell;
    return *loaded;
}

}  // namespace

void shellOpen(const char* target, HWND owner, const char* parameters) {
    const Shell& loaded = shell();
    if (!loaded.shellExecute) {
        reportSystemError(owner, loaded.library.loaded() ? ERROR_PROC_NOT_FOUND : loaded.library.loadError());
        return;
    }
    SetLastError(0);
    const auto result = reinterpret_cast<INT_PTR>(
        loaded.shellExecute(owner, nullptr, wideFromUtf8(target).c_str(),
                            parameters ? wideFromUtf8(parameters).c_str() : nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return;
    DWORD code = GetLastError();
    // Not every failure sets the last error; the result still tells why.
    if (code == 0) code = shellExecuteError(result);
    if (code != 0)
        reportSystemError(owner, code);
    else
        reportErrorCode(owner, static_cast<DWORD>(result));
}
