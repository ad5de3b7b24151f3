// The main window driven like a user would: offsets, dialects, parts, the
// save commands' state, keys, and Velmarin.ini as written at close.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "UiExpectations.h"
#include "VelmarinApp.h"

namespace {

void expectSaveCommands(VelmarinApp& app, bool enabled) {
    for (const SaveCommand& command : kSaveCommands) {
        SCOPED_TRACE("button " + std::to_string(command.button) + ", menu item " +
                     std::to_string(command.menuItem));
        EXPECT_EQ(enabled, app.enabled(command.button));
        EXPECT_EQ(enabled ? 0u : UINT{MF_GRAYED}, app.menuState(command.menuItem) & (MF_GRAYED | MF_DISABLED));
    }
    EXPECT_EQ(enabled ? 0u : UINT{MF_GRAYED}, app.menuState(IDM_APPLY_TO_SONG) & (MF_GRAYED | MF_DISABLED));
}

TEST(MainWindow, startsWithDefaultsWithoutSettingsAndWritesThemAtClose) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());

    EXPECT_EQ((std::vector<std::string>{"GS (Roland)", "XG (Yamaha)", "GM2 (General MIDI level 2)"}),
              app.items(IDC_FORMAT_COMBO));
    EXPECT_EQ(0, app.selection(IDC_FORMAT_COMBO));
    EXPECT_EQ(kPartLabel, app.text(IDC_PART_LABEL));
    EXPECT_EQ(std::vector<int>{}, tickedParts(app));
    EXPECT_EQ("", app.text(IDC_SYSEX_EDIT));
    expectSaveCommands(app, false);
    EXPECT_TRUE(app.items(IDC_PRESET_COMBO).empty());
    EXPECT_EQ("", app.text(IDC_PRESET_COMBO));
    const RECT window = app.windowRect();
    EXPECT_TRUE(centredIn(window, workArea()));

    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(freshSettings(window, 0, 0), app.file("Velmarin.ini"));
    EXPECT_EQ(std::string(), app.file("Preset.ini"));
}

TEST(MainWindow, listsTheMessagesOfTheChosenDialectPartsAndOffsets) {
    struct Row {
        const char* name;
        int format;
        std::vector<int> parts;
        std::array<const char*, 12> offsets;
        std::string expected;
    };
    const std::array<const char*, 12> zero = {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"};
    const Row rows[] = {
        {"GS part 1, all 0", 0, {1}, zero, gsPart1("40", "6F")},
        {"GS part 10 with a tuning",
         0,
         {10},
         {"0", "-10", "4", "-6", "-14", "-2", "-12", "2", "-8", "-16", "-4", "-12"},
         "F0 41 10 42 12 40 10 40 40 36 44 3A 32 3E 34 42 38 30 3C 34 3E F7"},
        {"GS parts 9, 10 and 11 in part order",
         0,
         {9, 10, 11},
         zero,
         listing({"F0 41 10 42 12 40 19 40 40 40 40 40 40 40 40 40 40 40 40 40 67 F7",
                  "F0 41 10 42 12 40 10 40 40 40 40 40 40 40 40 40 40 40 40 40 70 F7",
                  "F0 41 10 42 12 40 1A 40 40 40 40 40 40 40 40 40 40 40 40 40 66 F7"})},
        {"GS part 1, C -17 makes the checksum 00",
         0,
         {1},
         {"-17", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
         gsPart1("2F", "00")},
        {"XG part 1, all 0",
         1,
         {1},
         zero,
         listing({"F0 43 10 4C 08 00 41 40 F7", "F0 43 10 4C 08 00 42 40 F7", "F0 43 10 4C 08 00 43 40 F7",
                  "F0 43 10 4C 08 00 44 40 F7", "F0 43 10 4C 08 00 45 40 F7", "F0 43 10 4C 08 00 46 40 F7",
                  "F0 43 10 4C 08 00 47 40 F7", "F0 43 10 4C 08 00 48 40 F7", "F0 43 10 4C 08 00 49 40 F7",
                  "F0 43 10 4C 08 00 4A 40 F7", "F0 43 10 4C 08 00 4B 40 F7", "F0 43 10 4C 08 00 4C 40 F7"})},
        {"XG part 16, B +63",
         1,
         {16},
         {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "63"},
         listing({"F0 43 10 4C 08 0F 41 40 F7", "F0 43 10 4C 08 0F 42 40 F7", "F0 43 10 4C 08 0F 43 40 F7",
                  "F0 43 10 4C 08 0F 44 40 F7", "F0 43 10 4C 08 0F 45 40 F7", "F0 43 10 4C 08 0F 46 40 F7",
                  "F0 43 10 4C 08 0F 47 40 F7", "F0 43 10 4C 08 0F 48 40 F7", "F0 43 10 4C 08 0F 49 40 F7",
                  "F0 43 10 4C 08 0F 4A 40 F7", "F0 43 10 4C 08 0F 4B 40 F7", "F0 43 10 4C 08 0F 4C 7F F7"})},
        {"GM2 channel 1, all 0", 2, {1}, zero, "F0 7E 7F 08 08 00 00 01 40 40 40 40 40 40 40 40 40 40 40 40 F7"},
        {"GM2 channels 8 and 15 in one message",
         2,
         {8, 15},
         zero,
         "F0 7E 7F 08 08 01 01 00 40 40 40 40 40 40 40 40 40 40 40 40 F7"},
        {"GM2 without channels", 2, {}, zero, ""},
    };

    VelmarinApp app;
    ASSERT_TRUE(app.started());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        app.click(IDC_UNCHECK_ALL);
        app.pick(IDC_FORMAT_COMBO, row.format);
        for (int part : row.parts) app.click(partBox(part));
        for (int k = 0; k < 12; ++k) app.type(offsetEdit(k), row.offsets[k]);
        EXPECT_EQ(row.expected, app.text(IDC_SYSEX_EDIT));
    }
    EXPECT_EQ(0u, app.close());
}

TEST(MainWindow, gm2NamesChannelsAndKeepsTheTicks) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.click(partBox(2));
    app.click(partBox(16));

    const struct {
        int format;
        const char* label;
        size_t listingLength;  // 2 GS lines; 24 XG lines; one GM2 line
    } steps[] = {{2, kChannelLabel, 62}, {1, kPartLabel, 24 * 26 + 23 * 2}, {0, kPartLabel, 65 * 2 + 2},
                 {2, kChannelLabel, 62}};
    for (const auto& step : steps) {
        SCOPED_TRACE("format " + std::to_string(step.format));
        app.pick(IDC_FORMAT_COMBO, step.format);
        EXPECT_EQ(step.label, app.text(IDC_PART_LABEL));
        EXPECT_EQ((std::vector<int>{2, 16}), tickedParts(app));
        EXPECT_EQ(step.listingLength, app.text(IDC_SYSEX_EDIT).size());
    }
    EXPECT_EQ("F0 7E 7F 08 08 02 00 02 40 40 40 40 40 40 40 40 40 40 40 40 F7", app.text(IDC_SYSEX_EDIT));

    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(freshSettings(window, 2, 0x8002), app.file("Velmarin.ini"));
}

TEST(MainWindow, saveCommandsAreEnabledExactlyWhileThereIsSomethingToSave) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.listingUpdates();
    const struct {
        int part;
        bool enabled;
    } clicks[] = {{3, true}, {5, true}, {3, true}, {5, false}};
    for (const auto& click : clicks) {
        SCOPED_TRACE("after clicking box " + std::to_string(click.part));
        app.click(partBox(click.part));
        expectSaveCommands(app, click.enabled);
        EXPECT_EQ(1, app.listingUpdates());  // one refresh per click
    }
    EXPECT_EQ(0u, app.close());
}

// Ctrl+S, Ctrl+B and Ctrl+T open their save dialogs only while the menu items
// are enabled, since a greyed item's accelerator sends nothing.
TEST(MainWindow, saveAcceleratorsOpenTheirDialogOnlyWhileThereIsSomethingToSave) {
    const struct {
        char key;
        const char* title;
    } accelerators[] = {{'S', "SMFで保存"}, {'B', "バイナリで保存"}, {'T', "テキストで保存"}};
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    for (bool somethingToSave : {false, true}) {
        if (somethingToSave) app.click(partBox(1));
        for (const auto& accelerator : accelerators) {
            SCOPED_TRACE(std::string("Ctrl+") + accelerator.key + (somethingToSave ? " with" : " without") +
                         " a part");
            app.focus(offsetEdit(0));
            app.setKey(VK_CONTROL, true);
            app.postKey(offsetEdit(0), accelerator.key);
            app.sync();
            app.setKey(VK_CONTROL, false);
            if (!somethingToSave) {
                EXPECT_TRUE(app.ownedWindows().empty());
                continue;
            }
            const HWND dialog = app.waitForWindow(accelerator.title);
            ASSERT_TRUE(dialog);
            app.answer(dialog, IDCANCEL);
        }
    }
    EXPECT_EQ(0u, app.close());
}

// Text that is no number or out of range counts as its clamped value at once;
// leaving the edit writes that value into it, without another refresh.
TEST(MainWindow, offsetEditsClampAtOnceAndCorrectTheTextOnLeaving) {
    const struct {
        const char* typed;
        const char* dataOfC;
        const char* checksum;
        const char* afterLeaving;
    } rows[] = {
        {"-", "40", "6F", "0"},     {"99", "7F", "30", "63"},   {"-70", "00", "2F", "-64"},
        {"abc", "40", "6F", "0"},   {"5", "45", "6A", "5"},     {"", "40", "6F", "0"},
        {"63", "7F", "30", "63"},   {"-64", "00", "2F", "-64"}, {"9999", "7F", "30", "63"},
        {"-999", "00", "2F", "-64"},
    };
    VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "MidiPartOrChannel=1"}), std::nullopt});
    ASSERT_TRUE(app.started());
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("typed \"") + row.typed + "\"");
        app.focus(offsetEdit(0));
        app.type(offsetEdit(0), row.typed);
        const std::string expected = gsPart1(row.dataOfC, row.checksum);
        EXPECT_EQ(expected, app.text(IDC_SYSEX_EDIT));
        EXPECT_EQ(row.typed, app.text(offsetEdit(0)));

        app.listingUpdates();
        app.focus(IDC_FORMAT_COMBO);
        EXPECT_EQ(row.afterLeaving, app.text(offsetEdit(0)));
        EXPECT_EQ(expected, app.text(IDC_SYSEX_EDIT));
        EXPECT_EQ(0, app.listingUpdates());
    }
    EXPECT_EQ(0u, app.close());
}

TEST(MainWindow, checkAllAndUncheckAllReplaceTheWholeSelection) {
    const struct {
        const char* name;
        const char* storedParts;  // MidiPartOrChannel at start
        int button;
        int32_t written;
    } rows[] = {
        {"check all from none", "0", IDC_CHECK_ALL, 65535},
        {"check all drops bits above 16", "65537", IDC_CHECK_ALL, 65535},
        {"uncheck all from all", "-1", IDC_UNCHECK_ALL, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(StartFiles{iniLines({"[AppSetting]", std::string("MidiPartOrChannel=") + row.storedParts}),
                                   std::nullopt});
        ASSERT_TRUE(app.started());
        app.listingUpdates();
        app.click(row.button);
        const bool all = row.button == IDC_CHECK_ALL;
        EXPECT_EQ(all ? 16u : 0u, tickedParts(app).size());
        expectSaveCommands(app, all);
        EXPECT_EQ(1, app.listingUpdates());  // one refresh for all sixteen boxes
        EXPECT_EQ(all ? 16 * 65 + 15 * 2 : 0u, app.text(IDC_SYSEX_EDIT).size());

        const RECT window = app.windowRect();
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(withPosition(iniLines({"[AppSetting]", "MidiPartOrChannel=" + std::to_string(row.written),
                                         "Left={Left}", "Top={Top}", "MidiFormat=0", "SysexEventDivision=120",
                                         "SysexEventDelta=0"}),
                               window),
                  app.file("Velmarin.ini"));
    }
}

// Enter and Escape reach a dialog as IDOK and IDCANCEL; neither may close the
// window or change anything.
TEST(MainWindow, enterAndEscapeDoNothing) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.click(partBox(1));
    app.type(offsetEdit(0), "7");
    const std::string listingBefore = app.text(IDC_SYSEX_EDIT);

    app.command(IDOK);
    app.command(IDCANCEL);
    for (int id : {offsetEdit(0), IDC_FORMAT_COMBO}) {
        app.focus(id);
        app.postKey(id, VK_RETURN);
        app.postKey(id, VK_ESCAPE);
        app.sync();
    }

    EXPECT_TRUE(IsWindowVisible(app.window()));
    EXPECT_TRUE(app.ownedWindows().empty());
    EXPECT_EQ("7", app.text(offsetEdit(0)));
    EXPECT_EQ(listingBefore, app.text(IDC_SYSEX_EDIT));
    EXPECT_EQ(0, app.selection(IDC_FORMAT_COMBO));
    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(freshSettings(window, 0, 1), app.file("Velmarin.ini"));
}

// The key-down is sent straight to the edit, so no character Ctrl+A follows.
// The edit of the common controls 6 selects all on Ctrl+A by itself (Wine's
// does); the program's own handling shows in that it takes the key-down from
// the edit and ignores auto-repeats.
TEST(MainWindow, ctrlASelectsAllTextOfOffsetEditsAndTheListing) {
    VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "MidiPartOrChannel=1"}), std::nullopt});
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(3), "-12");
    const struct {
        const char* name;
        int id;
        bool control;
        bool repeat;
        bool selectsAll;
    } rows[] = {
        {"Ctrl+A in D#", offsetEdit(3), true, false, true},
        {"Ctrl+A in the listing", IDC_SYSEX_EDIT, true, false, true},
        {"A alone", offsetEdit(3), false, false, false},
        {"auto-repeated Ctrl+A", offsetEdit(3), true, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto length = static_cast<WORD>(app.text(row.id).size());
        app.selectText(row.id, 1, 1);
        app.setKey(VK_CONTROL, row.control);
        const LPARAM keyData = (LPARAM{0x1E} << 16) | 1 | (row.repeat ? LPARAM{1} << 30 : 0);
        app.send(app.item(row.id), WM_KEYDOWN, 'A', keyData);
        app.setKey(VK_CONTROL, false);
        EXPECT_EQ(row.selectsAll ? MAKELONG(0, length) : MAKELONG(1, 1), static_cast<LONG>(app.editSelection(row.id)));
    }

    // A typed through the message loop still inserts the letter.
    app.type(offsetEdit(0), "12");
    app.focus(offsetEdit(0));
    app.selectText(offsetEdit(0), 2, 2);
    app.postKey(offsetEdit(0), 'A');
    app.sync();
    EXPECT_EQ("12a", app.text(offsetEdit(0)));
    EXPECT_EQ(0u, app.close());
}

}  // namespace
