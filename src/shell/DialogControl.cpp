#include "shell/DialogControl.h"

#include "base/WideText.h"
#include "shell/AppState.h"

HWND addDialogControl(HWND dialog, HWND after, const wchar_t* className, DWORD style, int id, RECT box,
                      const std::string& text, int topPixels) {
    MapDialogRect(dialog, &box);
    OffsetRect(&box, 0, topPixels);
    HWND control = CreateWindowExW(0, className, wideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style, box.left,
                                   box.top, box.right - box.left, box.bottom - box.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return control;
}
