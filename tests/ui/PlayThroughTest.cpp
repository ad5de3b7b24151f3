// Tools → Play through against the winmm double: a scripted keyboard played
// through the bend method in the window's tuning, an edit while a note is
// held, every way out leaving no note on, failures in the status line, the
// choices remembered. The engine's rules are proven in the core tables;
// these show the wiring.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>

#include "HexBytes.h"
#include "UiExpectations.h"
#include "VelmarinApp.h"
#include "WholeFiles.h"
#include "WinmmDouble.h"

namespace {

// The synthesizers, and a keyboard playing `script` once started.
StartFiles keyboardPlaying(std::string script, std::vector<std::pair<std::string, std::string>> variables = {},
                           std::optional<std::string> settings = std::nullopt) {
    StartFiles files;
    files.settings = std::move(settings);
    files.programName = kProgramWithDouble;
    files.environment = {{"VELMARIN_MIDI_DEVICES", "Synth A|Synth B"},
                         {"VELMARIN_MIDI_LOG", "{Folder}\\midi.log"},
                         {"VELMARIN_MIDI_IN_SCRIPT", "{Folder}\\script.txt"}};
    for (auto& variable : variables) files.environment.push_back(std::move(variable));
    files.beforeStart = [script](const std::wstring& programFolder) {
        writeFile(programFolder.substr(0, programFolder.rfind(L'\\')) + L"\\script.txt", script);
    };
    return files;
}

std::string logged(const VelmarinApp& app) { return readWholeFile(utf8(app.folder() + L"\\midi.log")).value_or(""); }
std::string played(const VelmarinApp& app) {
    const std::string bytes = logged(app);
    return dumpBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
bool hasPlayed(const VelmarinApp& app, const std::string& hex) {
    return waitFor([&] { return played(app).find(hex) != std::string::npos; });
}

// Keys on and pedals down at the end of the output, read as a synthesizer
// reads them (All Notes Off ends a channel's notes).
int soundingAtEnd(const VelmarinApp& app) {
    const std::string bytes = logged(app);
    std::array<std::array<bool, 128>, 16> on{};
    std::array<bool, 16> pedal{};
    for (std::size_t i = 0; i + 1 < bytes.size();) {
        const uint8_t status = bytes[i], a = bytes[i + 1], b = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const int kind = status >> 4, channel = status & 15;
        if (status == 0xF0) i = std::min(bytes.find('\xF7', i), bytes.size());
        if (kind == 9 || kind == 8) on[channel][a] = kind == 9 && b > 0;
        if (kind == 11 && a == 64) pedal[channel] = b >= 64;
        if (kind == 11 && a == 123) on[channel] = {};
        i += status == 0xF0 ? 1 : kind == 12 || kind == 13 ? 2 : 3;
    }
    int sounding = static_cast<int>(std::count(pedal.begin(), pedal.end(), true));
    for (const auto& keys : on) sounding += static_cast<int>(std::count(keys.begin(), keys.end(), true));
    return sounding;
}

class PlayThrough : public testing::Test {
protected:
    void SetUp() override {
        if (!runningOnWine()) GTEST_SKIP() << "the winmm double is for Wine";
        ASSERT_TRUE(installMidiDouble()) << "cannot install winmm-double.dll for " << kProgramWithDouble;
    }
    static HWND openDialog(VelmarinApp& app) {
        app.postCommand(IDM_PLAY_THROUGH);
        return app.waitForWindow("鍵盤で演奏");
    }
    static void press(VelmarinApp& app, HWND dialog, int id) { app.send(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static std::string status(VelmarinApp& app, HWND dialog) { return app.text(GetDlgItem(dialog, IDC_PLAY_STATUS)); }
};

// E -10 and G -4 cents at the range the engine takes, 3 semitones (2 for the
// wheel and the tuning's 10 cents): 8192 / 300 of a bend a cent, E -> 7919
// (6F 3D), G -> 8083 (13 3F); with the wheel at +1 semitone (+2730.67),
// C 10923 (2B 55), E 10650 (1A 53), G 10813 (3D 54). After the edit E -20
// -> 7646 (5E 3B).
TEST_F(PlayThrough, theBendMethodPlaysTheWindowsTuningAndAnEditRetunesOnlyTheNextNote) {
    VelmarinApp app(keyboardPlaying("0 90 3C 64\n5 90 40 64\n10 90 43 64\n15 B0 40 7F\n20 E0 00 60\n25 99 24 64\n"
                                    "30 80 3C 40\n31 80 40 40\n32 80 43 40\n40 B0 40 00\n45 E0 00 40\n50 89 24 40\n"
                                    "60 90 40 64\n3000 90 34 64\n"));
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(4), "-10");
    app.type(offsetEdit(7), "-4");
    const HWND dialog = openDialog(app);
    ASSERT_TRUE(dialog);
    EXPECT_EQ("演奏していません。", status(app, dialog));
    press(app, dialog, IDC_PLAY_START);
    ASSERT_TRUE(hasPlayed(app, "E1 6F 3D 91 40 64 E2 13 3F 92 43 64 B0 40 7F B1 40 7F B2 40 7F E0 2B 55 E1 1A 53 E2 3D 54 99 24 64"))
        << played(app);
    ASSERT_TRUE(hasPlayed(app, "B0 40 00 B1 40 00 B2 40 00 E0 00 40 E1 6F 3D E2 13 3F 89 24 40 91 40 64"))
        << played(app);

    // E held on channel 2 keeps its bend; the next E takes the new one on a
    // channel of its own, which first gets the player's pedal as it is (up).
    const std::size_t beforeEdit = played(app).size();
    app.type(offsetEdit(4), "-20");
    ASSERT_TRUE(hasPlayed(app, "5E 3B")) << played(app);
    EXPECT_EQ(" B3 40 00 E3 5E 3B 93 34 64", played(app).substr(beforeEdit));
    EXPECT_TRUE(waitFor([&] { return status(app, dialog).rfind("演奏中: 押さえている音 2、使用中のチャンネル 2、", 0) == 0; }))
        << status(app, dialog);

    press(app, dialog, IDC_PLAY_STOP);
    EXPECT_EQ(0, soundingAtEnd(app)) << played(app);
    EXPECT_EQ("停止しました。演奏した音: 5。", status(app, dialog));
    EXPECT_EQ(0u, app.close());
}

// Tuning messages (the method remembered): the window's listing first, then
// again as the format changes, then of an edited value its message alone
// (XG's part 1, E: 41 + 4, 64 - 10); the keys pass.
TEST_F(PlayThrough, tuningMessagesFollowTheListingTheWindowShows) {
    VelmarinApp app(keyboardPlaying("4000 90 3C 64\n", {}, iniLines({"[AppSetting]", "MidiPartOrChannel=1", "PlayMethod=0"})));
    ASSERT_TRUE(app.started());
    const auto listing = [&] { return dumpBytes(hexBytes(app.text(IDC_SYSEX_EDIT))); };
    const HWND dialog = openDialog(app);
    ASSERT_TRUE(dialog);
    press(app, dialog, IDC_PLAY_START);
    std::string expected = listing();
    ASSERT_TRUE(waitFor([&] { return played(app) == expected; })) << played(app);
    app.pick(IDC_FORMAT_COMBO, 1);
    expected += " " + listing();
    ASSERT_TRUE(waitFor([&] { return played(app) == expected; })) << played(app);
    app.type(offsetEdit(4), "-10");
    expected += " F0 43 10 4C 08 00 45 36 F7";
    ASSERT_TRUE(waitFor([&] { return played(app) == expected; })) << played(app);
    EXPECT_TRUE(hasPlayed(app, expected + " 90 3C 64"));
    EXPECT_EQ(0u, app.close());
}

// Closing the window and the session's end stop playing first; the devices
// chosen are remembered by name once played.
TEST_F(PlayThrough, closingTheWindowOrTheSessionLeavesNoNoteOnAndTheDevicesAreRemembered) {
    for (const UINT way : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_ENDSESSION)}) {
        SCOPED_TRACE(way == WM_CLOSE ? "WM_CLOSE" : "WM_ENDSESSION");
        VelmarinApp app(keyboardPlaying("0 B0 40 7F\n5 90 3C 64\n10 90 40 64\n"));
        ASSERT_TRUE(app.started());
        app.type(offsetEdit(4), "-10");
        const HWND dialog = openDialog(app);
        ASSERT_TRUE(dialog);
        SendMessageW(GetDlgItem(dialog, IDC_PLAY_OUT_COMBO), CB_SETCURSEL, 1, 0);
        press(app, dialog, IDC_PLAY_START);
        ASSERT_TRUE(hasPlayed(app, "91 40 64")) << played(app);
        const RECT window = app.windowRect();
        if (way == WM_ENDSESSION) {
            app.send(app.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            EXPECT_EQ(0, soundingAtEnd(app)) << played(app);
        }
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(0, soundingAtEnd(app)) << played(app);
        EXPECT_EQ(freshSettings(window, 0, 0) + "PlayInDevice=Velmarin Test Keyboard\r\nPlayOutDevice=Synth B\r\n",
                  app.file("Velmarin.ini"));
    }
}

TEST_F(PlayThrough, aDeviceThatFailsOrIsGoneIsToldInTheStatusLine) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> variables;
        const char* settings;
        const char* status;
    } rows[] = {
        // The start's 90 range messages go through; the chord's second note does not.
        {"unplugged while playing", {{"VELMARIN_MIDI_FAIL_AFTER", "Synth A:91"}}, "",
         "演奏中に Synth A が止まりました。\nThe device is not connected (test double)."},
        {"cannot be opened", {{"VELMARIN_MIDI_FAIL", "open"}}, "",
         "Synth A を開けませんでした。\nThe device is already in use (test double)."},
        {"gone since the last time", {}, "[AppSetting]\r\nPlayOutDevice=Synth C\r\n",
         "Synth C が見つかりません。ほかの装置を選んでください。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(keyboardPlaying("0 90 3C 64\n5 90 40 64\n", row.variables, std::string(row.settings)));
        ASSERT_TRUE(app.started());
        const HWND dialog = openDialog(app);
        ASSERT_TRUE(dialog);
        if (*row.settings) {
            EXPECT_EQ("Synth C (見つかりません)", app.text(GetDlgItem(dialog, IDC_PLAY_OUT_COMBO)));
        }
        press(app, dialog, IDC_PLAY_START);
        EXPECT_TRUE(waitFor([&] { return status(app, dialog) == row.status; })) << status(app, dialog);
        EXPECT_TRUE(waitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_PLAY_START)) != FALSE; }));
        EXPECT_EQ(0u, app.close());
    }
}

}  // namespace
