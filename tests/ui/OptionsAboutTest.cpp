// The options dialog (ticks per quarter note and between SysEx events: the
// corrections, Reset, OK and Cancel, Velmarin.ini at close) and the about
// dialog (the version block, the program's path, the addresses).
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <functional>

#include "QuestionBox.h"
#include "UiExpectations.h"
#include "VelmarinApp.h"
#include "version.h"

namespace {

HWND openOptions(VelmarinApp& app) {
    app.postCommand(IDM_OPTIONS);
    return app.waitForWindow("オプション");
}

// Moves the keyboard focus inside a dialog as Tab or a click would.
void focus(VelmarinApp& app, HWND dialog, int id) {
    app.send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    EXPECT_EQ(GetDlgItem(dialog, id), info.hwndFocus) << "the focus did not move to " << id;
}

TEST(Options, leavingAnEditCorrectsItsText) {
    const struct {
        int edit;
        const char* typed;
        const char* afterLeaving;
    } rows[] = {
        {IDC_DIVISION_EDIT, "99999", "32767"}, {IDC_DIVISION_EDIT, "", "1"},    {IDC_DIVISION_EDIT, "0", "1"},
        {IDC_DIVISION_EDIT, "32767", "32767"}, {IDC_DELTA_EDIT, "99999", "32767"}, {IDC_DELTA_EDIT, "", "0"},
        {IDC_DELTA_EDIT, "0", "0"},           {IDC_SONG_RESET_GAP_EDIT, "1001", "1000"},
        {IDC_SONG_MESSAGE_GAP_EDIT, "", "0"},
    };
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    const HWND options = openOptions(app);
    ASSERT_TRUE(options);
    EXPECT_EQ("120", app.text(GetDlgItem(options, IDC_DIVISION_EDIT)));
    EXPECT_EQ("0", app.text(GetDlgItem(options, IDC_DELTA_EDIT)));
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.edit) + " \"" + row.typed + "\"");
        const int other = row.edit == IDC_DIVISION_EDIT ? IDC_DELTA_EDIT : IDC_DIVISION_EDIT;
        focus(app, options, row.edit);
        app.type(GetDlgItem(options, row.edit), row.typed);
        focus(app, options, other);
        EXPECT_EQ(row.afterLeaving, app.text(GetDlgItem(options, row.edit)));
    }
    app.answer(options, IDCANCEL);
    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(freshSettings(window, 0, 0), app.file("Velmarin.ini"));  // Cancel stored nothing
}

TEST(Options, storeOnlyOnOkAndReachTheFileAtClose) {
    const struct {
        const char* name;
        std::function<void(VelmarinApp&, HWND)> use;
        const char* written;  // division and delta in Velmarin.ini at close
    } rows[] = {
        {"Reset, then Cancel",
         [](VelmarinApp& app, HWND options) {
             app.send(GetDlgItem(options, IDC_RESET_DEFAULTS), BM_CLICK, 0, 0);
             EXPECT_EQ("120", app.text(GetDlgItem(options, IDC_DIVISION_EDIT)));
             EXPECT_EQ("0", app.text(GetDlgItem(options, IDC_DELTA_EDIT)));
             app.answer(options, IDCANCEL);
         },
         "SysexEventDivision=480\r\nSysexEventDelta=10"},
        {"Reset, then OK",
         [](VelmarinApp& app, HWND options) {
             app.send(GetDlgItem(options, IDC_RESET_DEFAULTS), BM_CLICK, 0, 0);
             app.answer(options, IDOK);
         },
         "SysexEventDivision=120\r\nSysexEventDelta=0"},
        {"Enter while the cursor is still in an edit holding 99999",
         [](VelmarinApp& app, HWND options) {
             app.type(GetDlgItem(options, IDC_DELTA_EDIT), "99999");
             focus(app, options, IDC_DIVISION_EDIT);
             app.type(GetDlgItem(options, IDC_DIVISION_EDIT), "99999");
             const HWND edit = GetDlgItem(options, IDC_DIVISION_EDIT);
             PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
             PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
             if (!waitFor([&] { return !IsWindow(options); })) ADD_FAILURE() << "Enter did not end the dialog";
         },
         "SysexEventDivision=32767\r\nSysexEventDelta=32767"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "SysexEventDivision=480", "SysexEventDelta=10"}),
                                   std::nullopt});
        ASSERT_TRUE(app.started());
        const HWND options = openOptions(app);
        ASSERT_TRUE(options);
        EXPECT_EQ("480", app.text(GetDlgItem(options, IDC_DIVISION_EDIT)));
        EXPECT_EQ("10", app.text(GetDlgItem(options, IDC_DELTA_EDIT)));
        row.use(app, options);
        const RECT window = app.windowRect();
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(withPosition(std::string("[AppSetting]\r\n") + row.written +
                                   "\r\nLeft={Left}\r\nTop={Top}\r\nMidiFormat=0\r\nMidiPartOrChannel=0\r\n",
                               window),
                  app.file("Velmarin.ini"));
    }
}

// The GM2 form: the listing follows OK at once, and MtsForm reaches the file
// only once a form other than the default was chosen; going back to the
// default keeps the line and every other one.
TEST(Options, gm2FormChangesTheListingAndIsWrittenOnlyOnceChosen) {
    const std::string start = iniLines({"[AppSetting]", "MidiFormat=2", "MidiPartOrChannel=1", "SysexPause=30"});
    const std::string added = "Left={Left}\r\nTop={Top}\r\nSysexEventDivision=120\r\nSysexEventDelta=0\r\n";
    const struct {
        const char* name;
        std::string before;
        std::vector<int> picks;  // one Options visit, closed with OK, per pick
        const char* firstLine;   // of the listing after the last pick
        std::size_t lines;
        std::string after;       // Velmarin.ini at close
    } rows[] = {
        {"single note", start, {2}, "F0 7F 7F 08 02 00 40 00 00 00 00 01 01 00 00", 3,
         start + added + "MtsForm=2\r\n"},
        {"chosen, then back to the default", start, {3, 0}, "F0 7E 7F 08 08 00 00 01 40", 1, start + added},
        {"back to the default from the file", start + "MtsForm=1\r\n", {0}, "F0 7E 7F 08 08 00 00 01 40", 1,
         start + "MtsForm=0\r\n" + added},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(StartFiles{row.before, std::nullopt});
        ASSERT_TRUE(app.started());
        for (int pick : row.picks) {
            const HWND options = openOptions(app);
            ASSERT_TRUE(options);
            const HWND combo = GetDlgItem(options, IDC_MTS_FORM_COMBO);
            EXPECT_EQ(4, app.send(combo, CB_GETCOUNT, 0, 0));
            app.send(combo, CB_SETCURSEL, pick, 0);
            app.answer(options, IDOK);
        }
        const std::string text = app.text(IDC_SYSEX_EDIT);
        EXPECT_EQ(0u, text.rfind(row.firstLine, 0)) << text.substr(0, 80);
        EXPECT_EQ(row.lines, 1 + std::count(text.begin(), text.end(), '\n'));
        if (row.lines == 3) {
            EXPECT_EQ("B0 65 00 B0 64 03 B0 06 00 B0 65 00 B0 64 04 B0 06 00 B0 65 7F B0 64 7F",
                      text.substr(text.rfind('\n') + 1));
        }
        const RECT window = app.windowRect();
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(withPosition(row.after, window), app.file("Velmarin.ini"));
    }
}

// Processes that Velmarin has started, as a browser would be; -1 when the
// processes cannot be listed, which no expectation of a count accepts.
int childProcesses(DWORD parent) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent) ++count;
    CloseHandle(snapshot);
    return count;
}

TEST(About, showsTheVersionBlockThePathAndTheAddresses) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.postCommand(IDM_ABOUT);
    const HWND about = app.waitForWindow("バージョン情報");
    ASSERT_TRUE(about);
    const struct {
        int id;
        std::string text;
    } controls[] = {
        {IDC_ABOUT_DESCRIPTION, VELMARIN_DESCRIPTION},
        {IDC_ABOUT_COPYRIGHT, "Copyright (C) 2026 Velmarin developers"},
        {IDC_ABOUT_COMMENTS, "シンセサイザーの12の音名それぞれの音程をセント単位で調整するSysExメッセージを作り、"
                             "MIDIファイルなどに保存します。"},
        {IDC_ABOUT_PATH, utf8(app.programPath())},
        {IDC_ABOUT_MAIL, "velmarin@example.org"},
        {IDC_ABOUT_WEB, "https://velmarin.example.org/"},
    };
    for (const auto& control : controls) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        EXPECT_EQ(control.text, app.text(GetDlgItem(about, control.id)));
    }

    // The web address only after Yes; No opens nothing and reports nothing.
    PostMessageW(GetDlgItem(about, IDC_ABOUT_WEB), BM_CLICK, 0, 0);
    answerCentredQuestion(app, "確認", about, IDNO, "WWWブラウザを起動し、インターネットへの接続を試みますか?");
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_TRUE(app.ownedWindows(about).empty());
    EXPECT_EQ(std::vector<HWND>{about}, app.ownedWindows());
    EXPECT_EQ(0, childProcesses(app.processId()));

    app.answer(about, IDCANCEL);  // the OK button
    EXPECT_TRUE(app.ownedWindows().empty());

    // Escape ends it too.
    app.postCommand(IDM_ABOUT);
    const HWND again = app.waitForWindow("バージョン情報");
    ASSERT_TRUE(again);
    PostMessageW(again, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(again); }));
    EXPECT_EQ(0u, app.close());
}

// The manual opens through the shell, loaded when first needed; without the
// document beside the program, the shell's failure shows the system's text.
TEST(Manual, missingBesideTheProgramIsReportedWithTheSystemsText) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.postCommand(IDM_MANUAL);
    const HWND box = app.waitForWindow("エラー");
    ASSERT_TRUE(box);
    EXPECT_EQ(systemText(ERROR_FILE_NOT_FOUND), app.boxText(box));
    app.answer(box, IDOK);
    EXPECT_EQ(0, childProcesses(app.processId()));
    EXPECT_EQ(0u, app.close());
}

}  // namespace
