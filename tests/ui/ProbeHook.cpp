// ui_probe.dll: loaded into Velmarin.exe by the thread hooks that the tests
// set on its user-interface thread (see ProbeProtocol.h).
#include "ProbeProtocol.h"
#include "resource.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <utility>

namespace {

LONG listingUpdates = 0;
LONG circleDraws = 0;
RECT openedRect = {};

UINT probeMessage() {
    static const UINT message = RegisterWindowMessageW(probe::kProbeMessage);
    return message;
}

BOOL CALLBACK findOwnedBox(HWND candidate, LPARAM search) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(search);
    wchar_t name[16] = {};
    GetClassNameW(candidate, name, 16);
    if (GetWindow(candidate, GW_OWNER) != found->first || lstrcmpW(name, L"#32770") != 0) return TRUE;
    found->second = candidate;
    return FALSE;
}

// A hash (FNV-1a) of the pixels `control` shows, read from its own context.
uint32_t pixelHash(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    HDC context = GetDC(control);
    uint32_t hash = 2166136261u;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) hash = (hash ^ GetPixel(context, x, y)) * 16777619u;
    ReleaseDC(control, context);
    return hash;
}

// A drop of one file, as the shell posts it: DROPFILES, the wide name and
// the two NULs that end the list. The receiver frees it with DragFinish.
uint32_t postDrop(HWND window, ATOM name) {
    wchar_t path[MAX_PATH] = {};
    if (!GlobalGetAtomNameW(name, path, MAX_PATH)) return 0;
    const std::size_t bytes = (std::wcslen(path) + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = memory ? static_cast<DROPFILES*>(GlobalLock(memory)) : nullptr;
    if (!drop) return 0;
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path, std::wcslen(path) * sizeof(wchar_t));
    GlobalUnlock(memory);
    return PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0) ? 1 : 0;
}

uint32_t answerFor(HWND window, unsigned operation, unsigned argument) {
    switch (operation) {
    case probe::MenuState:
        return GetMenuState(GetMenu(window), argument, MF_BYCOMMAND);
    case probe::KeyDown:
    case probe::KeyUp: {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[argument & 0xFF] = operation == probe::KeyDown ? 0x80 : 0;
        SetKeyboardState(keys);
        return static_cast<uint16_t>(GetKeyState(static_cast<int>(argument)));
    }
    case probe::ListingUpdates:
        return static_cast<uint32_t>(InterlockedExchange(&listingUpdates, 0));
    case probe::OpenedRect: {
        const LONG sides[] = {openedRect.left, openedRect.top, openedRect.right, openedRect.bottom};
        return static_cast<uint32_t>(sides[argument & 3]);
    }
    case probe::ScrollPosition:
        return static_cast<uint32_t>(GetScrollPos(GetDlgItem(window, static_cast<int>(argument)), SB_VERT));
    case probe::CircleDraws:
        return static_cast<uint32_t>(InterlockedExchange(&circleDraws, 0));
    case probe::OwnedPixels: {
        std::pair<HWND, HWND> search{window, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), findOwnedBox, reinterpret_cast<LPARAM>(&search));
        return search.second ? pixelHash(GetDlgItem(search.second, static_cast<int>(argument))) : 0;
    }
    case probe::DropFile:
        return postDrop(window, static_cast<ATOM>(argument));
    case probe::EndOwnedBox: {
        std::pair<HWND, HWND> search{window, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), findOwnedBox, reinterpret_cast<LPARAM>(&search));
        return search.second && EndDialog(search.second, 0) ? 1 : 0;
    }
    default:
        return 0;
    }
}

void answer(HWND window, WPARAM wParam, LPARAM lParam) {
    const uint32_t result = answerFor(window, static_cast<unsigned>(wParam >> 16),
                                      static_cast<unsigned>(wParam & 0xFFFF));
    const uint64_t value = probe::answerValue(static_cast<uint32_t>(lParam), result);
    SetPropW(window, probe::kProbeAnswer, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)));
}

}  // namespace

extern "C" {

// WH_CALLWNDPROC: sees every sent message, including those the program sends
// to its own listing, before the window procedure runs. Each change of the
// listing begins by holding its scroll bar (WM_VSCROLL, SB_THUMBTRACK); the
// lines out of view that follow later are no change of their own. Hooks
// run newest first, so a dialog's WM_INITDIALOG arrives here after the
// program's own centring hook, set later, has placed the dialog.
__declspec(dllexport) LRESULT CALLBACK velmarinProbeCallWndProc(int code, WPARAM wParam,
                                                                LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const bool toListing = GetDlgCtrlID(call->hwnd) == IDC_SYSEX_EDIT;
        if (toListing && call->message == WM_VSCROLL && LOWORD(call->wParam) == SB_THUMBTRACK) {
            InterlockedIncrement(&listingUpdates);
        } else if (call->message == WM_DRAWITEM && call->wParam == IDC_FIFTHS_CIRCLE) {
            InterlockedIncrement(&circleDraws);
        } else if (call->message == WM_INITDIALOG) {
            GetWindowRect(call->hwnd, &openedRect);
        } else if (call->message == probeMessage()) {
            answer(call->hwnd, call->wParam, call->lParam);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// WH_GETMESSAGE: answers posted questions in queue order.
__declspec(dllexport) LRESULT CALLBACK velmarinProbeGetMessage(int code, WPARAM wParam,
                                                               LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == probeMessage()) {
            answer(message->hwnd, message->wParam, message->lParam);
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // extern "C"

// Wine may load a hook library for one call and free it afterwards; pinning it
// keeps the listing counter alive between calls.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        HMODULE self;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&velmarinProbeCallWndProc), &self);
    }
    return TRUE;
}
