#include "shell/WindowText.h"

#include "base/WideText.h"

void setWindowText(HWND window, const std::string& text) { SetWindowTextW(window, wideFromUtf8(text).c_str()); }

void setItemText(HWND dialog, int id, const std::string& text) { setWindowText(GetDlgItem(dialog, id), text); }

std::string windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return utf8FromWide(text);
}

std::string itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void addComboItem(HWND combo, const std::string& text) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideFromUtf8(text).c_str()));
}

void insertComboItem(HWND combo, int index, const std::string& text) {
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(wideFromUtf8(text).c_str()));
}

std::string comboItem(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return utf8FromWide(text);
}
