// Starts the real Velmarin.exe in a fresh folder of its own and drives it from
// outside, through window messages, as a person would with mouse and keyboard.
// Every wait polls a condition with a timeout; nothing sleeps for a fixed time.
//
// Texts: the program works in code page 932. The tests write expected texts as
// UTF-8 literals; controls are read and written through the W messages (Wine
// returns one character for the ANSI text of another process's combo box) and
// compared as UTF-8. INI files are compared as raw bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ProbeProtocol.h"
#include "WinePaths.h"

// The bytes the program writes for a UTF-8 text (its ANSI code page is 932).
std::string cp932(const std::string& utf8Text);
// INI bytes: every line followed by CR LF.
std::string iniLines(std::initializer_list<std::string> lines);

// Polls the condition until it holds or the timeout ends; true if it held.
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Whole files, and the names of the plain files (no folders) in a folder.
std::optional<std::string> readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& bytes);
std::vector<std::string> filesIn(const std::wstring& folder);  // UTF-8 names, sorted

// The folder that VELMARIN_PEER_OUT names (a Unix path under Wine): the tests
// leave copies of the files the program saved there, for the independent
// reader in tests/peer. Empty when the variable is not set. The first call
// makes the folder and removes the .mid and .syx files of an earlier run.
const std::wstring& peerFolder();
// Copies a saved file into that folder under `name`; nothing without one.
void shareWithPeer(const std::wstring& saved, const std::string& name);

// What lies in the program's folder at start: the INI files (none = no file)
// beside the executable.
struct StartFiles {
    std::optional<std::string> settings;  // Velmarin.ini
    std::optional<std::string> presets;   // Preset.ini
    std::string folderName = "Velmarin";       // UTF-8 name of the executable's folder
    std::string programName = "Velmarin.exe";  // UTF-8 name the executable is copied under
    // Variables set in the program's environment on top of this one's (UTF-8
    // names and values); "{Folder}" in a value stands for the test's folder.
    std::vector<std::pair<std::string, std::string>> environment = {};
    // Runs once the files are in place, just before the program starts; it
    // gets the program's folder.
    std::function<void(const std::wstring& programFolder)> beforeStart = nullptr;
    // The command line after the program's path (UTF-8); "{Folder}" stands
    // for the test's folder.
    std::string arguments = {};
};

class VelmarinApp;
// Names a running program whose folder another copy starts from.
struct AnotherCopyOf {
    const VelmarinApp& running;
};

class VelmarinApp {
public:
    // Full Windows path of the Velmarin.exe under test; set once by main().
    static void setExecutable(const std::wstring& path);
    static const std::wstring& executable();

    explicit VelmarinApp(const StartFiles& files = {});
    // A second process of the same program in the same folder; the folder
    // stays the first one's to remove.
    explicit VelmarinApp(AnotherCopyOf first);
    ~VelmarinApp();
    VelmarinApp(const VelmarinApp&) = delete;
    VelmarinApp& operator=(const VelmarinApp&) = delete;

    // True once the main window is visible and its message loop answers.
    bool started() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    RECT windowRect() const;
    DWORD processId() const { return process_.dwProcessId; }
    // The folder made for this test (it holds the program's folder and
    // anything else the test puts there), and the copy of the program.
    const std::wstring& folder() const { return folder_; }
    const std::wstring& programPath() const { return programPath_; }

    // Controls.
    std::string text(int id) const;
    std::string text(HWND control) const;
    void type(int id, const std::string& utf8Text);  // WM_SETTEXT; an edit reports EN_CHANGE
    void type(HWND control, const std::string& utf8Text);
    void focus(int id);                               // real focus move inside the dialog
    int focusedId() const;                            // dialog child holding the focus, or 0
    void click(int id);                               // BM_CLICK, waits until handled
    void postClick(int id);                           // BM_CLICK for commands that open a box
    bool checked(int id) const;
    bool enabled(int id) const;
    void pick(int comboId, int index);  // select an item as the user does: CBN_SELCHANGE follows
    int selection(int comboId) const;
    std::vector<std::string> items(int comboId) const;
    DWORD editSelection(int id) const;  // EM_GETSEL: LOWORD start, HIWORD end
    void selectText(int id, int start, int end);
    void command(int id);               // WM_COMMAND from a menu item or accelerator
    void postCommand(int id);           // the same for commands that open a window
    void postKey(int id, UINT virtualKey);  // key down and up, through the message loop
    // Waits until every message posted so far has been handled.
    void sync();
    // Any other message, with a timeout that fails the test.
    LRESULT send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const;

    // Answers from inside the program's thread (ui_probe.dll).
    UINT menuState(int commandId);
    int scrollPosition(int id);  // of control id's vertical scroll bar
    int listingUpdates();  // changes of the listing since the last call
    int circleDraws();     // times the temperament dialog's circle of fifths was drawn since the last call
    uint32_t ownedPixels(int id);  // a hash of what control id of the dialog the main window owns shows
    void setKey(int virtualKey, bool down);
    RECT openedRect();  // the last dialog or box as it stood when it received WM_INITDIALOG
    void dropFile(const std::wstring& path);  // as if dropped from Explorer onto the main window

    // Message boxes and dialogs owned by the main window, or by `owner`.
    HWND waitForWindow(const std::string& caption, HWND owner = nullptr);  // fails the test on timeout
    std::vector<HWND> ownedWindows(HWND owner = nullptr) const;
    std::string boxText(HWND box) const;
    bool boxHasButton(HWND box, int id) const;
    void answer(HWND window, int buttonId);  // clicks the button and waits for the window to go
    // Ends the box from inside the program with result 0, what MessageBox
    // returns when it cannot show the box, and waits for it to go.
    void endWithoutAnswer(HWND box);

    // Closes the window (by default with WM_CLOSE, as the close box ends in)
    // and waits for the process to end. Returns its exit code; a process that
    // does not end is killed and fails the test.
    DWORD close(UINT message = WM_CLOSE, WPARAM wParam = 0);
    // Bytes of a file in the program's folder; none when it does not exist.
    std::optional<std::string> file(const char* name) const;

private:
    uint32_t ask(probe::Operation operation, unsigned argument, bool posted);
    void copyProgram(const std::string& programName);
    void startProcess();
    void waitForMainWindow();
    void installProbe();

    std::wstring folder_;         // made for this test, removed with everything in it
    bool ownsFolder_ = true;
    std::wstring programFolder_;  // holds Velmarin.exe and its INI files
    std::wstring programPath_;
    std::vector<std::pair<std::string, std::string>> environment_;  // see StartFiles
    std::wstring arguments_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    HHOOK callHook_ = nullptr;
    HHOOK getMessageHook_ = nullptr;
    uint32_t sequence_ = 0;
};
