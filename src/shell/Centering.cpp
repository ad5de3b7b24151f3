#include "shell/Centering.h"

#include "shell/CenteringMath.h"

namespace {

using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
using GetMonitorInfoAFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);

int32_t scopeUseCount = 0;
HMODULE user32Module = nullptr;
// Looked up by name: older systems lack the multi-monitor functions. Kept
// after the last scope closes (user32 stays loaded), so later centring
// outside any scope can use them too.
MonitorFromWindowFn monitorFromWindow = nullptr;
GetMonitorInfoAFn getMonitorInfoA = nullptr;
HHOOK centeringHook = nullptr;

PlainRect toPlain(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

RECT workAreaFor(HWND reference) {
    RECT area = {};
    if (monitorFromWindow && getMonitorInfoA) {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (getMonitorInfoA(monitorFromWindow(reference, MONITOR_DEFAULTTONEAREST), &info))
            return info.rcWork;
    }
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Runs before the window procedure, so a dialog is moved before its own
// WM_INITDIALOG handler runs and before it is first shown.
LRESULT CALLBACK centeringHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_INITDIALOG) centerWindow(nullptr, message->hwnd);
    }
    return CallNextHookEx(centeringHook, code, wParam, lParam);
}

}  // namespace

CenteringScope::CenteringScope(DWORD threadId) {
    if (scopeUseCount++ == 0) {
        user32Module = LoadLibraryA("user32.dll");
        if (user32Module) {
            monitorFromWindow = reinterpret_cast<MonitorFromWindowFn>(
                reinterpret_cast<void*>(GetProcAddress(user32Module, "MonitorFromWindow")));
            getMonitorInfoA = reinterpret_cast<GetMonitorInfoAFn>(
                reinterpret_cast<void*>(GetProcAddress(user32Module, "GetMonitorInfoA")));
        }
    }
    if (!centeringHook)
        centeringHook = SetWindowsHookExA(WH_CALLWNDPROC, centeringHookProc, nullptr, threadId);
}

CenteringScope::~CenteringScope() {
    // Every close removes the hook, also an inner one: nested scopes occur
    // only where the outer one has nothing left to centre.
    if (centeringHook) {
        UnhookWindowsHookEx(centeringHook);
        centeringHook = nullptr;
    }
    if (--scopeUseCount == 0 && user32Module) {
        FreeLibrary(user32Module);
        user32Module = nullptr;
    }
}

void centerWindow(HWND reference, HWND window) {
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const bool child = (style & WS_CHILD) != 0;
    if (!reference) reference = child ? GetParent(window) : GetWindow(window, GW_OWNER);

    RECT windowBounds = {};
    GetWindowRect(window, &windowBounds);
    const int32_t width = windowBounds.right - windowBounds.left;
    const int32_t height = windowBounds.bottom - windowBounds.top;

    RECT area = {};
    RECT referenceRect = {};
    if (child) {
        HWND parent = GetParent(window);
        GetClientRect(parent, &area);
        GetClientRect(reference, &referenceRect);
        MapWindowPoints(reference, parent, reinterpret_cast<POINT*>(&referenceRect), 2);
    } else {
        if (reference) {
            const LONG referenceStyle = GetWindowLongA(reference, GWL_STYLE);
            if (!(referenceStyle & WS_VISIBLE) || (referenceStyle & WS_MINIMIZE))
                reference = nullptr;
        }
        area = workAreaFor(reference);
        if (reference)
            GetWindowRect(reference, &referenceRect);
        else
            referenceRect = area;
    }

    const PlainPoint at = centeredPosition(toPlain(referenceRect), width, height, toPlain(area));
    SetWindowPos(window, nullptr, at.x, at.y, -1, -1,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
