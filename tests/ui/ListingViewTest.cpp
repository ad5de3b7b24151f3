// The listing keeps the user's view: after every kind of rebuild its first
// visible line and the user's selection are where they were, and its text is
// what a whole rebuild by the core gives.
#include <gtest/gtest.h>

#include <functional>

#include "UiExpectations.h"
#include "VelmarinApp.h"
#include "WholeListing.h"

namespace {

using Inputs = ListingInputs;

// The selection either in view, as a user watching part 14 would have it, or
// far above it, left there before scrolling down.
void keepsTheViewWithTheSelectionOnLine(int selectedLine) {
    VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "MidiFormat=1", "MidiPartOrChannel=65535"}),
                               iniLines({"[Wide]", "0=5", "4=-20", "11=63"})});
    ASSERT_TRUE(app.started());
    const HWND listing = app.item(IDC_SYSEX_EDIT);
    const auto firstLine = [&] { return static_cast<int>(app.send(listing, EM_GETFIRSTVISIBLELINE, 0, 0)); };

    // "F0 43 10" at the start of the line selected, then the view scrolled
    // down to line 150.
    const int selected = static_cast<int>(app.send(listing, EM_LINEINDEX, selectedLine, 0));
    app.selectText(IDC_SYSEX_EDIT, selected, selected + 8);
    app.send(listing, EM_LINESCROLL, 0, 150 - firstLine());
    ASSERT_EQ(150, firstLine());
    app.listingUpdates();

    Inputs inputs{TuningFormat::XG, {}, 0xFFFF};
    constexpr int kXgLine = 26 + 2;
    constexpr int kLastLineOfPart5 = 59;
    const int partLinesBefore = selectedLine > kLastLineOfPart5 ? 12 * kXgLine : 0;
    const struct {
        const char* name;
        std::function<void()> act;
        std::function<void()> expect;
        int selectionMoves;  // the selected text moves with the lines before it
    } steps[] = {
        {"a keystroke in E", [&] { app.type(offsetEdit(4), "17"); }, [&] { inputs.offsets[4] = 17; }, 0},
        {"a keystroke in C#", [&] { app.type(offsetEdit(1), "-9"); }, [&] { inputs.offsets[1] = -9; }, 0},
        {"part 5 unticked", [&] { app.click(partBox(5)); }, [&] { inputs.parts &= ~(1u << 4); }, -partLinesBefore},
        {"a preset picked",
         [&] { app.pick(IDC_PRESET_COMBO, 0); },
         [&] { inputs.offsets = {5, 0, 0, 0, -20, 0, 0, 0, 0, 0, 0, 63}; },
         0},
        {"check all", [&] { app.click(IDC_CHECK_ALL); }, [&] { inputs.parts = 0xFFFF; }, partLinesBefore},
    };
    int selectionStart = selected;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        step.expect();
        selectionStart += step.selectionMoves;
        EXPECT_EQ(150, firstLine());
        EXPECT_EQ(wholeListing(inputs), app.text(IDC_SYSEX_EDIT));
        EXPECT_EQ(MAKELONG(selectionStart, selectionStart + 8), static_cast<LONG>(app.editSelection(IDC_SYSEX_EDIT)));
        EXPECT_EQ(1, app.listingUpdates());
    }

    // Straight after a keystroke, the user scrolls a line: the view and the
    // scroll bar's thumb both move.
    app.type(offsetEdit(7), "3");
    app.send(listing, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(151, firstLine());
    EXPECT_EQ(151, app.scrollPosition(IDC_SYSEX_EDIT));
    EXPECT_EQ(0u, app.close());
}

TEST(ListingView, keepsTheFirstVisibleLineAndASelectionInViewThroughKeystrokesPartsAndPresets) {
    keepsTheViewWithTheSelectionOnLine(160);
}

TEST(ListingView, keepsTheFirstVisibleLineAndASelectionOutOfViewThroughKeystrokesPartsAndPresets) {
    keepsTheViewWithTheSelectionOnLine(10);
}

// GS and GM2 messages are longer than XG's; a GS change touches two runs of
// each message, the data and the checksum. Scrolled to the end, the view and
// the text follow as with XG.
TEST(ListingView, keepsTheLastPageOfGsAndGm2ThroughKeystrokesAndAPreset) {
    for (const TuningFormat format : {TuningFormat::GS, TuningFormat::GM2}) {
        SCOPED_TRACE(static_cast<int>(format));
        VelmarinApp app(StartFiles{
            iniLines({"[AppSetting]", "MidiFormat=" + std::to_string(static_cast<int>(format)),
                      "MidiPartOrChannel=65535"}),
            iniLines({"[Wide]", "0=5", "4=-20", "11=63"})});
        ASSERT_TRUE(app.started());
        const HWND listing = app.item(IDC_SYSEX_EDIT);
        app.send(listing, EM_LINESCROLL, 0, 1000);
        const LRESULT lastPage = app.send(listing, EM_GETFIRSTVISIBLELINE, 0, 0);
        if (format == TuningFormat::GS) {
            ASSERT_GT(lastPage, 0);  // GM2 needs one message, in view
        }

        Inputs inputs{format, {}, 0xFFFF};
        app.type(offsetEdit(2), "-33");
        inputs.offsets[2] = -33;
        EXPECT_EQ(wholeListing(inputs), app.text(IDC_SYSEX_EDIT));
        app.type(offsetEdit(9), "12");
        inputs.offsets[9] = 12;
        app.pick(IDC_PRESET_COMBO, 0);
        inputs.offsets = {5, 0, 0, 0, -20, 0, 0, 0, 0, 0, 0, 63};
        EXPECT_EQ(wholeListing(inputs), app.text(IDC_SYSEX_EDIT));
        EXPECT_EQ(lastPage, app.send(listing, EM_GETFIRSTVISIBLELINE, 0, 0));
        EXPECT_EQ(0u, app.close());
    }
}

}  // namespace
