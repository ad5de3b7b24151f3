#include "WindowSearch.h"

#include <cwchar>

namespace {

struct Search {
    DWORD processId;
    HWND owner;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window)) return TRUE;
    if (search->owner) {
        if (GetWindow(window, GW_OWNER) == search->owner) search->found.push_back(window);
        return TRUE;
    }
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (!search->className || std::wcscmp(name, search->className) == 0) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> visibleWindowsOf(DWORD processId, HWND owner, const wchar_t* className) {
    Search search{processId, owner, className, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
