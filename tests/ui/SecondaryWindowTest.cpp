// Every secondary window opens centred over the main window. The main window
// stands away from the screen's centre so that the two cannot be confused,
// and far enough inside it that no window has to be pushed back on screen.
#include <gtest/gtest.h>

#include <functional>

#include "UiExpectations.h"
#include "VelmarinApp.h"

namespace {

const StartFiles kAwayFromTheCentre{
    iniLines({"[AppSetting]", "Left=600", "Top=400", "MidiPartOrChannel=1"}), iniLines({"[Equal]"})};

void askToDeleteAPreset(VelmarinApp& app) {
    app.pick(IDC_PRESET_COMBO, 0);
    app.postClick(IDC_PRESET_DELETE);
}

TEST(SecondaryWindows, openCentredOverTheMainWindow) {
    const struct {
        const char* caption;
        std::function<void(VelmarinApp&)> open;
        int closeButton;
        // Message boxes and the save dialog are placed by the program's hook
        // before their own WM_INITDIALOG handling; the options and about
        // dialogs centre themselves at its end.
        bool centredByHook;
    } rows[] = {
        {"警告", askToDeleteAPreset, IDNO, true},
        {"警告",
         [](VelmarinApp& app) {
             app.type(IDC_PRESET_COMBO, "Equal");
             app.postClick(IDC_PRESET_SAVE);
         },
         IDNO, true},
        {"SMFで保存", [](VelmarinApp& app) { app.postClick(IDC_SAVE_SMF); }, IDCANCEL, true},
        {"バイナリで保存", [](VelmarinApp& app) { app.postClick(IDC_SAVE_BINARY); }, IDCANCEL, true},
        {"テキストで保存", [](VelmarinApp& app) { app.postClick(IDC_SAVE_TEXT); }, IDCANCEL, true},
        {"オプション", [](VelmarinApp& app) { app.postCommand(IDM_OPTIONS); }, IDCANCEL, false},
        {"バージョン情報", [](VelmarinApp& app) { app.postCommand(IDM_ABOUT); }, IDCANCEL, false},
    };
    VelmarinApp app(kAwayFromTheCentre);
    ASSERT_TRUE(app.started());
    const RECT owner = app.windowRect();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caption);
        row.open(app);
        const HWND window = app.waitForWindow(row.caption);
        ASSERT_TRUE(window);
        RECT shown{};
        GetWindowRect(window, &shown);
        const RECT placed = row.centredByHook ? app.openedRect() : shown;
        EXPECT_TRUE(centredOver(placed, owner));
        // The save dialog may still change its size, but not its place;
        // message boxes are checked below.
        if (row.closeButton != IDNO) {
            EXPECT_EQ(placed.left, shown.left);
            EXPECT_EQ(placed.top, shown.top);
        }
        app.answer(window, row.closeButton);
    }
    EXPECT_EQ(0u, app.close());
}

TEST(SecondaryWindows, messageBoxesStayWhereTheyArePlaced) {
    VelmarinApp app(kAwayFromTheCentre);
    ASSERT_TRUE(app.started());
    askToDeleteAPreset(app);
    const HWND box = app.waitForWindow(kWarningCaption);
    ASSERT_TRUE(box);
    const RECT placed = app.openedRect();
    RECT shown{};
    GetWindowRect(box, &shown);
    app.answer(box, IDNO);
    EXPECT_EQ(0u, app.close());

    if (runningOnWine() && (shown.left != placed.left || shown.top != placed.top) &&
        centredIn(shown, workArea()))
        GTEST_SKIP() << "Wine: a message box centres itself on the work area in its own WM_INITDIALOG "
                        "handling (user32 MSGBOX_OnInit), after the program's hook has placed it over the "
                        "main window; where the hook placed it is checked by openCentredOverTheMainWindow";
    EXPECT_EQ(placed.left, shown.left);
    EXPECT_EQ(placed.top, shown.top);
}

}  // namespace
