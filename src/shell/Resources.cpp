#include "shell/Resources.h"

#include "base/PathText.h"
#include "base/WideText.h"
#include "settings/AppSettings.h"
#include "shell/AppState.h"

namespace {

LANGID uiLanguage = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

std::string fileBesideExecutable(const wchar_t* fileName) {
    wchar_t modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameW(appInstance, modulePath, MAX_PATH);
    // A full buffer means the path was cut; so does a zero result.
    if (length == 0 || length >= MAX_PATH) return {};
    // In UTF-16 no unit of another character is a backslash, and the limit
    // is the wide calls', counted in these units.
    const std::wstring_view module(modulePath, length);
    const std::size_t cut = module.rfind(L'\\');
    std::wstring path(module.substr(0, cut == std::wstring_view::npos ? 0 : cut + 1));
    path += fileName;
    return path.size() > kMaxPathLength ? std::string() : utf8FromWide(path);
}

}  // namespace

void chooseUiLanguage(const std::string& setting) {
    // The resources are picked by language explicitly: the loader's own
    // choice follows the thread's UI language on Windows but its locale
    // under Wine.
    const bool english = chooseEnglishInterface(setting, PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE);
    uiLanguage = english ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) : MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
}

bool englishInterface() { return PRIMARYLANGID(uiLanguage) == LANG_ENGLISH; }

const void* findUiResource(LPCSTR type, UINT id, DWORD* size) noexcept {
    // The RT_ constants are numbers, the same in both character sets.
    const LPCWSTR wideType = MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(type));
    HRSRC found = FindResourceExW(appInstance, wideType, MAKEINTRESOURCEW(id), uiLanguage);
    if (!found) found = FindResourceW(appInstance, MAKEINTRESOURCEW(id), wideType);
    if (!found) return nullptr;
    if (size) *size = SizeofResource(appInstance, found);
    return LockResource(LoadResource(appInstance, found));
}

namespace {

// String `id` as the table holds it, counted, not terminated.
std::wstring_view wideResourceString(UINT id) noexcept {
    // A string table block holds 16 counted UTF-16 strings; block n + 1
    // holds strings 16n to 16n + 15.
    const auto* entry = static_cast<const WCHAR*>(findUiResource(RT_STRING, id / 16 + 1));
    if (!entry) return {};
    for (UINT skip = id % 16; skip != 0; --skip) entry += 1 + *entry;
    return std::wstring_view(entry + 1, *entry);
}

}  // namespace

bool loadResourceString(std::string& text, UINT id, HINSTANCE instance) {
    text = instance == appInstance ? utf8FromWide(wideResourceString(id)) : std::string();
    return !text.empty();
}

void loadWideResourceString(UINT id, wchar_t* buffer, int size) noexcept {
    const std::wstring_view text = wideResourceString(id);
    const std::size_t length = text.size() < static_cast<std::size_t>(size) ? text.size() : static_cast<std::size_t>(size) - 1;
    text.copy(buffer, length);
    buffer[length] = L'\0';
}

std::string loadResourceString(UINT id) {
    std::string text;
    loadResourceString(text, id, appInstance);
    return text;
}

INT_PTR showDialog(UINT id, HWND owner, DLGPROC procedure, LPARAM parameter) {
    const auto* dialog = static_cast<const DLGTEMPLATE*>(findUiResource(RT_DIALOG, id));
    return dialog ? DialogBoxIndirectParamW(appInstance, dialog, owner, procedure, parameter) : -1;
}

HWND createDialog(UINT id, HWND owner, DLGPROC procedure, LPARAM parameter) {
    const auto* dialog = static_cast<const DLGTEMPLATE*>(findUiResource(RT_DIALOG, id));
    return dialog ? CreateDialogIndirectParamW(appInstance, dialog, owner, procedure, parameter) : nullptr;
}

HMENU loadUiMenu(UINT id) {
    const void* menu = findUiResource(RT_MENU, id);
    return menu ? LoadMenuIndirectW(menu) : nullptr;
}

std::string executablePath() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(appInstance, path, MAX_PATH);
    return length < MAX_PATH ? utf8FromWide(std::wstring_view(path, length)) : std::string();
}

std::string settingsFilePath() { return fileBesideExecutable(L"Velmarin.ini"); }
std::string presetFilePath() { return fileBesideExecutable(L"Preset.ini"); }
std::string helpFilePath() { return fileBesideExecutable(englishInterface() ? L"Velmarin.en.html" : L"Velmarin.html"); }
