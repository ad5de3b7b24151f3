// Starts Velmarin.exe from the current folder, fills in a sample tuning the
// way a user would, and exits once the listing shows it, leaving the program
// running for a screenshot. Used by scripts/screenshot.sh. An optional
// argument is a menu command to post afterwards (40030 options, 40014 about,
// 40041 the temperament dialog); a second one is the entry of the
// temperament dialog's list to choose once it is open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

HWND findMainWindow(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search = {processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char name[32] = "";
            GetClassNameA(window, name, sizeof name);
            if (owner == s->processId && IsWindowVisible(window) && lstrcmpA(name, "VelmarinWnd") == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog the main window owns, once it is there.
HWND waitForOwnedDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search = {owner, nullptr};
    for (int waited = 0; !search.found && waited < 5000; waited += 20) {
        Sleep(20);
        EnumWindows(
            [](HWND window, LPARAM parameter) -> BOOL {
                auto* s = reinterpret_cast<Search*>(parameter);
                if (GetWindow(window, GW_OWNER) != s->owner || !IsWindowVisible(window)) return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

}  // namespace

int main(int argc, char** argv) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char commandLine[] = "Velmarin.exe";
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start Velmarin.exe: %lu\n", GetLastError());
        return 1;
    }
    HWND window = nullptr;
    for (int waited = 0; !window && waited < 20000; waited += 20) {
        Sleep(20);
        window = findMainWindow(process.dwProcessId);
    }
    if (!window) return 1;

    const wchar_t* offsets[12] = {L"0", L"-10", L"4", L"-6", L"-14", L"-2",
                                  L"-12", L"2", L"-8", L"-16", L"-4", L"-12"};
    for (int k = 0; k < 12; ++k)
        SendMessageW(GetDlgItem(window, 1001 + k), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(offsets[k]));
    for (int part : {1, 2}) SendMessageW(GetDlgItem(window, 1051 + part), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(window, 1037), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"\u7d14\u6b63\u5f8b (C)"));  // 純正律 (C)
    SetForegroundWindow(window);
    if (argc > 1) {
        PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[1])), 0);
        for (int waited = 0; waited < 5000 && IsWindowEnabled(window); waited += 20) Sleep(20);
    }
    if (argc > 2) {
        const HWND dialog = waitForOwnedDialog(window);
        const HWND list = dialog ? GetDlgItem(dialog, 1080) : nullptr;
        if (!list) return 1;
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[2])), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1080, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    std::puts("ready");
    return 0;
}
