#include "VelmarinApp.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "WholeFiles.h"
#include "WindowSearch.h"

namespace {

constexpr DWORD kPollMs = 15;
constexpr DWORD kTimeoutMs = 5000;
constexpr DWORD kStartTimeoutMs = 15000;  // the first start in a fresh Wine prefix is slow

template <class Condition>
bool waitUntil(Condition condition, DWORD timeoutMs = kTimeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(kPollMs);
    }
}

std::string convert(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::string bytes(WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
                      '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), static_cast<int>(bytes.size()),
                        nullptr, nullptr);
    return bytes;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring folderOfThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring tempFolder() {
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    return path;
}

std::wstring makeFolder() {
    static unsigned counter = 0;
    const std::wstring base = tempFolder() + L"velmarin-ui-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (;;) {
        std::wstring folder = base + std::to_wstring(++counter);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create a folder in " << utf8(tempFolder());
            return {};
        }
    }
}

bool removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    return RemoveDirectoryW(folder.c_str()) != 0;
}

// The executable may stay locked for a moment after its process has ended.
void removeFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    if (!waitUntil([&] { return removeTree(folder); }))
        ADD_FAILURE() << "cannot remove the test folder " << utf8(folder);
}

std::wstring& executablePath() {
    static std::wstring path;
    return path;
}

HMODULE probeLibrary() {
    static const HMODULE library = LoadLibraryW((folderOfThisProgram() + L"ui_probe.dll").c_str());
    return library;
}

// This process's environment with `changes` set, as CreateProcessW takes it.
std::wstring environmentBlock(const std::vector<std::pair<std::string, std::string>>& changes,
                              const std::wstring& folder) {
    std::vector<std::wstring> entries;
    if (wchar_t* inherited = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = inherited; *entry; entry += wcslen(entry) + 1) entries.emplace_back(entry);
        FreeEnvironmentStringsW(inherited);
    }
    for (const auto& [name, utf8Value] : changes) {
        const std::wstring prefix = widen(name) + L"=";
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& entry) {
                                         return _wcsnicmp(entry.c_str(), prefix.c_str(), prefix.size()) == 0;
                                     }),
                      entries.end());
        std::wstring value = widen(utf8Value);
        for (size_t at = value.find(L"{Folder}"); at != std::wstring::npos; at = value.find(L"{Folder}"))
            value.replace(at, 8, folder);
        entries.push_back(prefix + value);
    }
    std::wstring block;
    for (const std::wstring& entry : entries) block += entry + L'\0';
    return block + L'\0';
}

UINT probeMessage() {
    static const UINT message = RegisterWindowMessageW(probe::kProbeMessage);
    return message;
}


}  // namespace

std::string cp932(const std::string& utf8Text) { return convert(widen(utf8Text), 932); }

std::string iniLines(std::initializer_list<std::string> lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}


bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs) { return waitUntil(condition, timeoutMs); }

bool writeFile(const std::wstring& path, const std::string& bytes) { return writeWholeFile(utf8(path), bytes); }
std::optional<std::string> readFile(const std::wstring& path) { return readWholeFile(utf8(path)); }

std::vector<std::string> filesIn(const std::wstring& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(utf8(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

const std::wstring& peerFolder() {
    static const std::wstring folder = [] {
        wchar_t value[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"VELMARIN_PEER_OUT", value, MAX_PATH) || !value[0]) return std::wstring();
        const std::wstring path = widen(windowsPath(utf8(value)));
        CreateDirectoryW(path.c_str(), nullptr);
        for (const std::string& name : filesIn(path)) {
            const std::string extension = name.size() > 4 ? name.substr(name.size() - 4) : "";
            if (extension == ".mid" || extension == ".syx") DeleteFileW((path + L"\\" + widen(name)).c_str());
        }
        return path;
    }();
    return folder;
}

void shareWithPeer(const std::wstring& saved, const std::string& name) {
    if (peerFolder().empty()) return;
    if (!CopyFileW(saved.c_str(), (peerFolder() + L"\\" + widen(name)).c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << utf8(saved) << " to " << utf8(peerFolder());
}

void VelmarinApp::setExecutable(const std::wstring& path) { executablePath() = path; }
const std::wstring& VelmarinApp::executable() { return executablePath(); }

VelmarinApp::VelmarinApp(const StartFiles& files) : folder_(makeFolder()) {
    if (folder_.empty()) return;
    programFolder_ = folder_ + L"\\" + widen(files.folderName);
    if (!CreateDirectoryW(programFolder_.c_str(), nullptr))
        ADD_FAILURE() << "cannot create the folder " << files.folderName;
    if (files.settings && !writeFile(programFolder_ + L"\\Velmarin.ini", *files.settings))
        ADD_FAILURE() << "cannot write Velmarin.ini";
    if (files.presets && !writeFile(programFolder_ + L"\\Preset.ini", *files.presets))
        ADD_FAILURE() << "cannot write Preset.ini";
    environment_ = files.environment;
    arguments_ = widen(files.arguments);
    for (size_t at = arguments_.find(L"{Folder}"); at != std::wstring::npos; at = arguments_.find(L"{Folder}"))
        arguments_.replace(at, 8, folder_);
    copyProgram(files.programName);
    if (files.beforeStart) files.beforeStart(programFolder_);
    startProcess();
    waitForMainWindow();
}

VelmarinApp::VelmarinApp(AnotherCopyOf first)
    : folder_(first.running.folder_), ownsFolder_(false), programFolder_(first.running.programFolder_),
      programPath_(first.running.programPath_), environment_(first.running.environment_) {
    startProcess();
    waitForMainWindow();
}

void VelmarinApp::waitForMainWindow() {
    if (!process_.hProcess) return;

    std::vector<HWND> mainWindows;
    const bool shown = waitUntil(
        [&] {
            mainWindows = visibleWindowsOf(process_.dwProcessId, nullptr, L"VelmarinWnd");
            return !mainWindows.empty() || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
        },
        kStartTimeoutMs);
    if (!shown || mainWindows.empty()) {
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &exitCode);
        ADD_FAILURE() << "Velmarin.exe showed no visible window of class VelmarinWnd"
                      << (exitCode == STILL_ACTIVE ? std::string(" and is still running")
                                                   : " and ended with exit code " + std::to_string(exitCode));
        return;
    }
    window_ = mainWindows.front();
    threadId_ = GetWindowThreadProcessId(window_, nullptr);
    WaitForInputIdle(process_.hProcess, kTimeoutMs);
    installProbe();
    sync();  // the message loop runs, so the first listing has been made
}

VelmarinApp::~VelmarinApp() {
    if (callHook_) UnhookWindowsHookEx(callHook_);
    if (getMessageHook_) UnhookWindowsHookEx(getMessageHook_);
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, kTimeoutMs);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    if (ownsFolder_) removeFolder(folder_);
}

void VelmarinApp::copyProgram(const std::string& programName) {
    programPath_ = programFolder_ + L"\\" + widen(programName);
    if (!CopyFileW(executable().c_str(), programPath_.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << utf8(executable()) << " (error " << GetLastError() << ")";
        programPath_.clear();
    }
}

void VelmarinApp::startProcess() {
    if (programPath_.empty()) return;
    const std::wstring& program = programPath_;
    // Started from the folder above its own: the program must find its files
    // beside the executable, not in the current folder.
    const std::wstring& currentFolder = folder_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::wstring commandLine = L"\"" + program + L"\"" + (arguments_.empty() ? L"" : L" " + arguments_);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring environment = environmentBlock(environment_, folder_);
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                           environment_.empty() ? nullptr : environment.data(), currentFolder.c_str(),
                           &startup, &process_))
            return;
        // Wine now and then fails a start with ERROR_INTERNAL_ERROR; once more is enough.
        if (GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    ADD_FAILURE() << "cannot start Velmarin.exe (error " << GetLastError() << ")";
    process_ = {};
}

void VelmarinApp::installProbe() {
    const HMODULE library = probeLibrary();
    if (!library) {
        ADD_FAILURE() << "cannot load ui_probe.dll beside the test program";
        return;
    }
    auto procedure = [&](const char* name) {
        return reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    };
    callHook_ = SetWindowsHookExW(WH_CALLWNDPROC, procedure("velmarinProbeCallWndProc"), library, threadId_);
    getMessageHook_ =
        SetWindowsHookExW(WH_GETMESSAGE, procedure("velmarinProbeGetMessage"), library, threadId_);
    if (!callHook_ || !getMessageHook_)
        ADD_FAILURE() << "cannot hook Velmarin's thread (error " << GetLastError() << ")";
}

LRESULT VelmarinApp::send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(target, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result))
        ADD_FAILURE() << "Velmarin.exe did not handle message 0x" << std::hex << message << std::dec
                      << " within " << kTimeoutMs << " ms (error " << GetLastError() << ")";
    return static_cast<LRESULT>(result);
}

uint32_t VelmarinApp::ask(probe::Operation operation, unsigned argument, bool posted) {
    const uint32_t sequence = ++sequence_;
    const WPARAM question = probe::question(operation, argument);
    if (posted)
        PostMessageW(window_, probeMessage(), question, sequence);
    else
        send(window_, probeMessage(), question, sequence);
    uint32_t answer = 0;
    const bool answered = waitUntil([&] {
        const auto value = reinterpret_cast<uintptr_t>(GetPropW(window_, probe::kProbeAnswer));
        answer = static_cast<uint32_t>(value);
        return (value >> 32) == sequence;
    });
    if (!answered) ADD_FAILURE() << "the probe in Velmarin.exe gave no answer to operation " << operation;
    return answer;
}

RECT VelmarinApp::windowRect() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return rect;
}

std::string VelmarinApp::text(HWND control) const {
    const auto length = static_cast<size_t>(send(control, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<size_t>(
        send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied < length ? copied : length);
    return utf8(text);
}

std::string VelmarinApp::text(int id) const { return text(item(id)); }

void VelmarinApp::type(int id, const std::string& utf8Text) { type(item(id), utf8Text); }

void VelmarinApp::type(HWND control, const std::string& utf8Text) {
    const std::wstring text = widen(utf8Text);
    send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void VelmarinApp::focus(int id) {
    send(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(id)), TRUE);
    if (focusedId() != id) ADD_FAILURE() << "focus went to " << focusedId() << ", not to " << id;
}

int VelmarinApp::focusedId() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info)) return 0;
    HWND control = info.hwndFocus;  // inside a combo box this is its edit field
    while (control && control != window_ && GetParent(control) != window_) control = GetParent(control);
    return control && control != window_ ? GetDlgCtrlID(control) : 0;
}

void VelmarinApp::click(int id) { send(item(id), BM_CLICK, 0, 0); }
void VelmarinApp::postClick(int id) { PostMessageW(item(id), BM_CLICK, 0, 0); }
bool VelmarinApp::checked(int id) const { return send(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool VelmarinApp::enabled(int id) const { return IsWindowEnabled(item(id)) != 0; }

void VelmarinApp::pick(int comboId, int index) {
    send(item(comboId), CB_SETCURSEL, index, 0);
    send(window_, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item(comboId)));
}

int VelmarinApp::selection(int comboId) const { return static_cast<int>(send(item(comboId), CB_GETCURSEL, 0, 0)); }

std::vector<std::string> VelmarinApp::items(int comboId) const {
    std::vector<std::string> names;
    const auto count = send(item(comboId), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = send(item(comboId), CB_GETLBTEXTLEN, i, 0);
        std::wstring name(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT copied = send(item(comboId), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name.data()));
        name.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        names.push_back(utf8(name));
    }
    return names;
}

DWORD VelmarinApp::editSelection(int id) const { return static_cast<DWORD>(send(item(id), EM_GETSEL, 0, 0)); }

void VelmarinApp::selectText(int id, int start, int end) { send(item(id), EM_SETSEL, start, end); }

void VelmarinApp::command(int id) { send(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
void VelmarinApp::postCommand(int id) { PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void VelmarinApp::postKey(int id, UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(item(id), WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageW(item(id), WM_KEYUP, virtualKey, scan | 1 | (LPARAM{3} << 30));
}

void VelmarinApp::sync() { ask(probe::Ping, 0, true); }

UINT VelmarinApp::menuState(int commandId) {
    return ask(probe::MenuState, static_cast<unsigned>(commandId), false);
}

int VelmarinApp::scrollPosition(int id) {
    return static_cast<int>(ask(probe::ScrollPosition, static_cast<unsigned>(id), false));
}

int VelmarinApp::listingUpdates() { return static_cast<int>(ask(probe::ListingUpdates, 0, false)); }

int VelmarinApp::circleDraws() { return static_cast<int>(ask(probe::CircleDraws, 0, false)); }

uint32_t VelmarinApp::ownedPixels(int id) { return ask(probe::OwnedPixels, static_cast<unsigned>(id), false); }

void VelmarinApp::setKey(int virtualKey, bool down) {
    ask(down ? probe::KeyDown : probe::KeyUp, static_cast<unsigned>(virtualKey), false);
}

RECT VelmarinApp::openedRect() {
    LONG sides[4];
    for (unsigned k = 0; k < 4; ++k) sides[k] = static_cast<LONG>(ask(probe::OpenedRect, k, false));
    return RECT{sides[0], sides[1], sides[2], sides[3]};
}

void VelmarinApp::dropFile(const std::wstring& path) {
    const ATOM name = GlobalAddAtomW(path.c_str());
    if (!name || ask(probe::DropFile, name, false) != 1) ADD_FAILURE() << "the probe could not drop " << utf8(path);
    if (name) GlobalDeleteAtom(name);
}

std::vector<HWND> VelmarinApp::ownedWindows(HWND owner) const {
    return visibleWindowsOf(process_.dwProcessId, owner ? owner : window_, nullptr);
}

HWND VelmarinApp::waitForWindow(const std::string& caption, HWND owner) {
    HWND box = nullptr;
    const std::wstring wanted = widen(caption);
    const bool found = waitUntil([&] {
        for (HWND window : ownedWindows(owner)) {
            wchar_t title[256] = {};
            GetWindowTextW(window, title, 256);
            if (className(window) == L"#32770" && wanted == title) box = window;
        }
        return box != nullptr;
    });
    if (!found) {
        std::string seen;
        for (HWND window : ownedWindows(owner)) {
            wchar_t title[256] = {};
            GetWindowTextW(window, title, 256);
            seen += " \"" + utf8(title) + "\"";
        }
        ADD_FAILURE() << "no window \"" << caption << "\" appeared; owned windows:" << seen;
    }
    return box;
}

std::string VelmarinApp::boxText(HWND box) const { return text(GetDlgItem(box, 0xFFFF)); }

bool VelmarinApp::boxHasButton(HWND box, int id) const {
    HWND button = GetDlgItem(box, id);
    return button && className(button) == L"Button" && IsWindowVisible(button);
}

void VelmarinApp::answer(HWND window, int buttonId) {
    HWND button = GetDlgItem(window, buttonId);
    if (!button) {
        ADD_FAILURE() << "the window has no button " << buttonId;
        return;
    }
    send(button, BM_CLICK, 0, 0);
    if (!waitUntil([&] { return !IsWindow(window); })) ADD_FAILURE() << "the window stayed open";
    sync();  // the command that asked has finished
}

void VelmarinApp::endWithoutAnswer(HWND box) {
    if (ask(probe::EndOwnedBox, 0, false) != 1) ADD_FAILURE() << "the probe found no box to end";
    if (!waitUntil([&] { return !IsWindow(box); })) ADD_FAILURE() << "the box stayed open";
    sync();
}

DWORD VelmarinApp::close(UINT message, WPARAM wParam) {
    if (!process_.hProcess) return static_cast<DWORD>(-1);
    PostMessageW(window_, message, wParam, 0);
    if (WaitForSingleObject(process_.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "Velmarin.exe did not end within " << kTimeoutMs << " ms after WM_CLOSE; killed";
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, kTimeoutMs);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    callHook_ = getMessageHook_ = nullptr;  // gone with the thread
    return exitCode;
}

std::optional<std::string> VelmarinApp::file(const char* name) const {
    return readFile(programFolder_ + L"\\" + widen(name));
}
