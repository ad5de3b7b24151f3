// Velmarin.ini read at start and written at close: odd values, odd key
// spellings, partial positions, and whatever else the file holds.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "UiExpectations.h"
#include "VelmarinApp.h"

namespace {

struct Row {
    const char* name;
    std::string stored;          // Velmarin.ini at start
    int format;                  // the dialect selected
    std::vector<int> parts;      // the boxes ticked
    std::optional<POINT> at;     // where the window stands; none = centred by its template
    int partClicked;             // a box the user clicks before closing, 0 for none
    std::string written;         // Velmarin.ini at close, {Left} and {Top} for the window's position
};

const Row rows[] = {
    {"MidiFormat above 2 selects GS", iniLines({"[AppSetting]", "MidiFormat=7"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "MidiFormat=0", "Left={Left}", "Top={Top}", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"MidiFormat below 0 selects GS", iniLines({"[AppSetting]", "MidiFormat=-1"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "MidiFormat=0", "Left={Left}", "Top={Top}", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"division 0 and delta -5 are raised to 1 and 0",
     iniLines({"[AppSetting]", "SysexEventDivision=0", "SysexEventDelta=-5"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "SysexEventDivision=1", "SysexEventDelta=0", "Left={Left}", "Top={Top}",
               "MidiFormat=0", "MidiPartOrChannel=0"})},
    {"division and delta 40000 are lowered to 32767",
     iniLines({"[AppSetting]", "SysexEventDivision=40000", "SysexEventDelta=40000"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "SysexEventDivision=32767", "SysexEventDelta=32767", "Left={Left}", "Top={Top}",
               "MidiFormat=0", "MidiPartOrChannel=0"})},
    {"a division that is no number reads as 0, so 1",
     iniLines({"[AppSetting]", "SysexEventDivision=abc"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "SysexEventDivision=1", "Left={Left}", "Top={Top}", "MidiFormat=0",
               "MidiPartOrChannel=0", "SysexEventDelta=0"})},
    {"a blank after = is skipped", iniLines({"[AppSetting]", "SysexEventDivision= 96"}), 0, {}, std::nullopt,
     0,
     iniLines({"[AppSetting]", "SysexEventDivision=96", "Left={Left}", "Top={Top}", "MidiFormat=0",
               "MidiPartOrChannel=0", "SysexEventDelta=0"})},
    {"a blank before = makes another key, kept beside the real one",
     iniLines({"[AppSetting]", "SysexEventDivision =96"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "SysexEventDivision =96", "Left={Left}", "Top={Top}", "MidiFormat=0",
               "MidiPartOrChannel=0", "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"keys match in any ASCII case and take the program's spelling",
     iniLines({"[appsetting]", "midiformat=2", "MIDIPARTORCHANNEL=4"}), 2, {3}, std::nullopt, 0,
     iniLines({"[appsetting]", "MidiFormat=2", "MidiPartOrChannel=4", "Left={Left}", "Top={Top}",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"Left alone does not move the window", iniLines({"[AppSetting]", "Left=10"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "Left={Left}", "Top={Top}", "MidiFormat=0", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"Top alone does not move the window", iniLines({"[AppSetting]", "Top=10"}), 0, {}, std::nullopt, 0,
     iniLines({"[AppSetting]", "Top={Top}", "Left={Left}", "MidiFormat=0", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"Left and Top place the window", iniLines({"[AppSetting]", "Left=40", "Top=50"}), 0, {}, POINT{40, 50}, 0,
     iniLines({"[AppSetting]", "Left=40", "Top=50", "MidiFormat=0", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"a Left that is no number reads as 0", iniLines({"[AppSetting]", "Left=abc", "Top=40"}), 0, {},
     POINT{0, 40}, 0,
     iniLines({"[AppSetting]", "Left=0", "Top=40", "MidiFormat=0", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"a position off every screen is used as stored", iniLines({"[AppSetting]", "Left=-900", "Top=3000"}), 0,
     {}, POINT{-900, 3000}, 0,
     iniLines({"[AppSetting]", "Left=-900", "Top=3000", "MidiFormat=0", "MidiPartOrChannel=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"bits above part 16 are kept", iniLines({"[AppSetting]", "MidiPartOrChannel=65537"}), 0, {1},
     std::nullopt, 0,
     iniLines({"[AppSetting]", "MidiPartOrChannel=65537", "Left={Left}", "Top={Top}", "MidiFormat=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"a click changes only its own bit", iniLines({"[AppSetting]", "MidiPartOrChannel=-1"}), 0,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, std::nullopt, 1,
     iniLines({"[AppSetting]", "MidiPartOrChannel=-2", "Left={Left}", "Top={Top}", "MidiFormat=0",
               "SysexEventDivision=120", "SysexEventDelta=0"})},
    {"other sections, other keys and lines without = are kept; comments are not",
     "; written by hand\r\n[Before]\r\nx=1\r\n\r\n[AppSetting]\r\nFoo=bar\r\nMidiFormat=1\r\nplain line\r\n"
     "; a comment\r\n[After]\r\n",
     1, {}, std::nullopt, 0,
     iniLines({"[Before]", "x=1", "", "[AppSetting]", "Foo=bar", "MidiFormat=1", "plain line", "Left={Left}",
               "Top={Top}", "MidiPartOrChannel=0", "SysexEventDivision=120", "SysexEventDelta=0", "",
               "[After]"})},
    {"a complete file comes back unchanged",
     iniLines({"[AppSetting]", "Left=120", "Top=80", "MidiFormat=1", "MidiPartOrChannel=5",
               "SysexEventDivision=480", "SysexEventDelta=10"}),
     1, {1, 3}, POINT{120, 80}, 0,
     iniLines({"[AppSetting]", "Left=120", "Top=80", "MidiFormat=1", "MidiPartOrChannel=5",
               "SysexEventDivision=480", "SysexEventDelta=10"})},
};

TEST(SettingsFile, isReadAtStartAndWrittenBackAtClose) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(StartFiles{row.stored, std::nullopt});
        ASSERT_TRUE(app.started());

        EXPECT_EQ(row.format, app.selection(IDC_FORMAT_COMBO));
        EXPECT_EQ(row.format == 2 ? kChannelLabel : kPartLabel, app.text(IDC_PART_LABEL));
        EXPECT_EQ(row.parts, tickedParts(app));
        const RECT window = app.windowRect();
        if (row.at) {
            EXPECT_EQ(row.at->x, window.left);
            EXPECT_EQ(row.at->y, window.top);
        } else {
            EXPECT_TRUE(centredIn(window, workArea()));
        }

        if (row.partClicked) app.click(partBox(row.partClicked));
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(withPosition(row.written, window), app.file("Velmarin.ini"));
    }
}

// The position stored is the one after the user's last move, neither the one
// at start nor the minimised one.
TEST(SettingsFile, storesThePositionOfTheLastMove) {
    VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "Left=40", "Top=50"}), std::nullopt});
    ASSERT_TRUE(app.started());
    // What a move with the mouse or the system menu ends in: the new place,
    // then WM_EXITSIZEMOVE.
    SetWindowPos(app.window(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    app.send(app.window(), WM_EXITSIZEMOVE, 0, 0);
    app.send(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(app.window()));
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(iniLines({"[AppSetting]", "Left=200", "Top=150", "MidiFormat=0", "MidiPartOrChannel=0",
                        "SysexEventDivision=120", "SysexEventDelta=0"}),
              app.file("Velmarin.ini"));
}

// The menu item Exit and the close box take the same way out as WM_CLOSE.
TEST(SettingsFile, isWrittenWhicheverWayTheWindowIsClosed) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
    } ways[] = {{"menu item Exit", WM_COMMAND, IDM_EXIT}, {"close box", WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        VelmarinApp app(StartFiles{std::nullopt, iniLines({"[Old]", "0=1"})});
        ASSERT_TRUE(app.started());
        app.click(partBox(2));
        const RECT window = app.windowRect();
        EXPECT_EQ(0u, app.close(way.message, way.wParam));
        EXPECT_EQ(freshSettings(window, 0, 2), app.file("Velmarin.ini"));
        EXPECT_EQ(iniLines({"[Old]", "0=1"}), app.file("Preset.ini"));
    }
}

// In code page 932 the second byte of ソ and 表 is the byte of a backslash;
// the files must still be found beside the executable, also when it has been
// renamed.
TEST(SettingsFile, livesBesideTheExecutableWhateverItsJapaneseNames) {
    VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "MidiFormat=1"}), iniLines({"[Old]", "0=1"}),
                               "ソフト", "音程表.exe"});
    ASSERT_TRUE(app.started());
    EXPECT_EQ(1, app.selection(IDC_FORMAT_COMBO));
    EXPECT_EQ(std::vector<std::string>{"Old"}, app.items(IDC_PRESET_COMBO));
    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(withPosition(iniLines({"[AppSetting]", "MidiFormat=1", "Left={Left}", "Top={Top}",
                                     "MidiPartOrChannel=0", "SysexEventDivision=120", "SysexEventDelta=0"}),
                           window),
              app.file("Velmarin.ini"));
    EXPECT_EQ(iniLines({"[Old]", "0=1"}), app.file("Preset.ini"));
}

// Logging off or shutting down saves as a close does, once; a cancelled end
// of the session writes nothing.
TEST(SettingsFile, isWrittenWhenTheSessionEnds) {
    VelmarinApp app(StartFiles{std::nullopt, iniLines({"[Old]", "0=1"})});
    ASSERT_TRUE(app.started());
    app.click(partBox(2));
    app.send(app.window(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(app.file("Velmarin.ini"));

    EXPECT_EQ(TRUE, app.send(app.window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    app.send(app.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    const RECT window = app.windowRect();
    EXPECT_EQ(freshSettings(window, 0, 2), app.file("Velmarin.ini"));
    EXPECT_EQ(iniLines({"[Old]", "0=1"}), app.file("Preset.ini"));

    // Changed on disk after the session's end: the close does not write again.
    const std::wstring folder = app.programPath().substr(0, app.programPath().find_last_of(L'\\'));
    ASSERT_TRUE(writeFile(folder + L"\\Velmarin.ini", "changed"));
    ASSERT_TRUE(writeFile(folder + L"\\Preset.ini", "changed too"));
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ("changed", app.file("Velmarin.ini"));
    EXPECT_EQ("changed too", app.file("Preset.ini"));
}

}  // namespace
