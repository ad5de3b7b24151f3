// Sending to a MIDI output device from the window: the device choice in the
// options, the send command, live sending, the error box, a close during a
// send. Wine has no MIDI device, so the first tests see none; the others
// start Velmarin.exe with the winmm test double (tests/mididouble) and read
// what reached its fake devices. The engine's rules are proven in the core
// tests; these show the wiring.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>

#include "HexBytes.h"
#include "WholeFiles.h"
#include "QuestionBox.h"
#include "UiExpectations.h"
#include "VelmarinApp.h"
#include "WinmmDouble.h"

namespace {

constexpr char kMidiCaption[] = "MIDI 出力";
constexpr char kNoDeviceText[] = "MIDI 出力装置が選ばれていません。\nオプションを開いて装置を選びますか?";

HWND openOptions(VelmarinApp& app) {
    app.postCommand(IDM_OPTIONS);
    return app.waitForWindow("オプション");
}

std::vector<std::string> comboItems(VelmarinApp& app, HWND combo) {
    std::vector<std::string> names;
    const auto count = app.send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring name(static_cast<size_t>(app.send(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        name.resize(static_cast<size_t>(app.send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name.data()))));
        names.push_back(utf8(name));
    }
    return names;
}

bool liveChecked(VelmarinApp& app) { return (app.menuState(IDM_LIVE_SEND) & MF_CHECKED) != 0; }

TEST(MidiSend, withoutADeviceTheOptionsOfferNoneAndTheCommandsAsk) {
    if (!runningOnWine()) GTEST_SKIP() << "needs a system without MIDI output devices (Wine)";
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.click(partBox(1));

    HWND options = openOptions(app);
    ASSERT_TRUE(options);
    EXPECT_EQ(std::vector<std::string>{"なし"}, comboItems(app, GetDlgItem(options, IDC_MIDI_DEVICE_COMBO)));
    EXPECT_EQ(0, app.send(GetDlgItem(options, IDC_MIDI_DEVICE_COMBO), CB_GETCURSEL, 0, 0));
    EXPECT_EQ("20", app.text(GetDlgItem(options, IDC_SYSEX_PAUSE_EDIT)));
    app.send(options, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(options, IDC_SYSEX_PAUSE_EDIT)), TRUE);
    app.type(GetDlgItem(options, IDC_SYSEX_PAUSE_EDIT), "999");
    app.send(options, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(options, IDC_DELTA_EDIT)), TRUE);
    EXPECT_EQ("500", app.text(GetDlgItem(options, IDC_SYSEX_PAUSE_EDIT)));
    app.answer(options, IDCANCEL);

    // No opens nothing; Yes opens the options.
    app.postCommand(IDM_SEND_MIDI);
    answerCentredQuestion(app, kMidiCaption, app.window(), IDNO, kNoDeviceText);
    EXPECT_TRUE(app.ownedWindows().empty());
    app.postCommand(IDM_SEND_MIDI);
    answerCentredQuestion(app, kMidiCaption, app.window(), IDYES, kNoDeviceText);
    options = app.waitForWindow("オプション");
    ASSERT_TRUE(options);
    app.answer(options, IDCANCEL);
    EXPECT_TRUE(app.ownedWindows().empty());

    // Live sending asks the same and stays off.
    EXPECT_FALSE(liveChecked(app));
    app.postCommand(IDM_LIVE_SEND);
    answerCentredQuestion(app, kMidiCaption, app.window(), IDNO, kNoDeviceText);
    EXPECT_FALSE(liveChecked(app));

    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(freshSettings(window, 0, 1), app.file("Velmarin.ini"));  // no new keys
}

TEST(MidiSend, aRememberedDeviceThatIsGoneIsShownAsMissingAndKept) {
    if (!runningOnWine()) GTEST_SKIP() << "needs a system without MIDI output devices (Wine)";
    const std::string settings =
        iniLines({"[AppSetting]", "MidiPartOrChannel=1", "MidiOutDevice=Gone Synth", "SysexPause=45"});
    VelmarinApp app(StartFiles{settings, std::nullopt});
    ASSERT_TRUE(app.started());
    const HWND options = openOptions(app);
    ASSERT_TRUE(options);
    const HWND devices = GetDlgItem(options, IDC_MIDI_DEVICE_COMBO);
    EXPECT_EQ((std::vector<std::string>{"なし", "Gone Synth (見つかりません)"}), comboItems(app, devices));
    EXPECT_EQ(1, app.send(devices, CB_GETCURSEL, 0, 0));
    EXPECT_EQ("45", app.text(GetDlgItem(options, IDC_SYSEX_PAUSE_EDIT)));
    app.answer(options, IDOK);

    app.postCommand(IDM_SEND_MIDI);
    answerCentredQuestion(app, kMidiCaption, app.window(), IDNO,
                          "MIDI 出力装置「Gone Synth」が見つかりません。\n装置がつながっているか確かめてください。"
                          "オプションを開いて装置を選び直しますか?");
    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(withPosition(settings + iniLines({"Left={Left}", "Top={Top}", "MidiFormat=0", "SysexEventDivision=120",
                                                "SysexEventDelta=0"}),
                           window),
              app.file("Velmarin.ini"));
}

// ---------------------------------------------------------- with the double

}  // namespace

// Wine takes WINEDLLOVERRIDES from the environment it was started with, not
// from the one a process gives its child; so the double is chosen for the
// program by its file name, in the registry's per-program overrides.
const char kProgramWithDouble[] = "VelmarinMidi.exe";

// Puts the winmm double (copied beside ui_tests) into the prefix's system32
// and makes it the winmm of kProgramWithDouble; every other program keeps
// Wine's own.
bool installMidiDouble() {
    static const bool installed = [] {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring source(path);
        source = source.substr(0, source.find_last_of(L'\\') + 1) + L"winmm-double.dll";
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        if (!CopyFileW(source.c_str(), (std::wstring(system) + L"\\winmm.dll").c_str(), FALSE)) return false;
        const std::wstring key = L"Software\\Wine\\AppDefaults\\" + widen(kProgramWithDouble) + L"\\DllOverrides";
        HKEY overrides = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &overrides,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const wchar_t native[] = L"native";
        const bool set = RegSetValueExW(overrides, L"winmm", 0, REG_SZ, reinterpret_cast<const BYTE*>(native),
                                        sizeof native) == ERROR_SUCCESS;
        RegCloseKey(overrides);
        return set;
    }();
    return installed;
}

namespace {

StartFiles withDouble(std::string settings, std::vector<std::pair<std::string, std::string>> variables) {
    StartFiles files;
    files.settings = std::move(settings);
    files.programName = kProgramWithDouble;
    files.environment = {{"VELMARIN_MIDI_DEVICES", "Synth A|Synth B"},
                         {"VELMARIN_MIDI_LOG", "{Folder}\\midi.log"},
                         {"VELMARIN_MIDI_TRACE", "{Folder}\\midi-trace.txt"}};
    for (auto& variable : variables) files.environment.push_back(std::move(variable));
    return files;
}

// The double may be appending to its files while they are read; the shared
// reader allows every sharing, so no append is refused.
std::string readWhileWritten(const std::wstring& path) { return readWholeFile(utf8(path)).value_or(""); }

class MidiDevice : public testing::Test {
protected:
    void SetUp() override {
        if (!runningOnWine()) GTEST_SKIP() << "the winmm double is for Wine";
        ASSERT_TRUE(installMidiDouble()) << "cannot install winmm-double.dll for " << kProgramWithDouble;
    }
    static std::string log(const VelmarinApp& app) { return readWhileWritten(app.folder() + L"\\midi.log"); }
    static std::string trace(const VelmarinApp& app) { return readWhileWritten(app.folder() + L"\\midi-trace.txt"); }
    static std::string listingBytes(const VelmarinApp& app) { return hexString(app.text(IDC_SYSEX_EDIT)); }
};

// What the device holds after `bytes`: the last message sent to each address,
// an address being the first `addressLength` bytes of a message.
std::map<std::string, std::string> heldState(const std::string& bytes, size_t addressLength) {
    std::map<std::string, std::string> held;
    for (size_t start = bytes.find('\xF0'); start != std::string::npos; start = bytes.find('\xF0', start + 1)) {
        const size_t end = bytes.find('\xF7', start);
        if (end == std::string::npos) break;
        held[bytes.substr(start, addressLength)] = bytes.substr(start, end + 1 - start);
    }
    return held;
}

TEST_F(MidiDevice, theOptionsListTheDevicesAndSendOnceGivesTheListing) {
    VelmarinApp app(withDouble(iniLines({"[AppSetting]", "MidiPartOrChannel=3", "MidiOutDevice=Synth B"}), {}));
    ASSERT_TRUE(app.started());
    const HWND options = openOptions(app);
    ASSERT_TRUE(options);
    const HWND devices = GetDlgItem(options, IDC_MIDI_DEVICE_COMBO);
    EXPECT_EQ((std::vector<std::string>{"なし", "Synth A", "Synth B"}), comboItems(app, devices));
    EXPECT_EQ(2, app.send(devices, CB_GETCURSEL, 0, 0));
    app.answer(options, IDOK);

    app.type(offsetEdit(4), "-17");
    const std::string expected = listingBytes(app);
    ASSERT_EQ(2 * 22u, expected.size());
    app.command(IDM_SEND_MIDI);
    EXPECT_TRUE(waitFor([&] { return log(app).size() >= expected.size(); }));
    const std::string received = log(app);
    EXPECT_EQ(dumpBytes(Bytes(expected.begin(), expected.end())), dumpBytes(Bytes(received.begin(), received.end())));
    EXPECT_TRUE(waitFor([&] { return trace(app).find("close") != std::string::npos; }));
    EXPECT_EQ("open 1\nlong 22\nlong 22\nclose\n", trace(app));

    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(withPosition(iniLines({"[AppSetting]", "MidiPartOrChannel=3", "MidiOutDevice=Synth B", "Left={Left}",
                                     "Top={Top}", "MidiFormat=0", "SysexEventDivision=120", "SysexEventDelta=0"}),
                           window),
              app.file("Velmarin.ini"));
}

// A keyboard tuning in a format that cannot carry it leaves nothing to send:
// the accelerator, which ignores the greyed menu item, must not send the
// single-note messages listed before the format changed.
TEST_F(MidiDevice, aKeyboardTuningAFormatCannotCarrySendsNothing) {
    StartFiles files = withDouble(
        iniLines({"[AppSetting]", "MidiFormat=2", "MidiPartOrChannel=1", "MidiOutDevice=Synth A", "MtsForm=2"}), {});
    // One key retuned, the others left as they are: held on the keys.
    files.beforeStart = [](const std::wstring& programFolder) {
        writeFile(programFolder.substr(0, programFolder.rfind(L'\\')) + L"\\keys.syx",
                  std::string("\xF0\x7F\x7F\x08\x02\x00\x01\x3C\x3F\x28\x37\xF7", 12));
    };
    files.arguments = "\"{Folder}\\keys.syx\"";
    VelmarinApp app(files);
    ASSERT_TRUE(app.started());
    ASSERT_TRUE(waitFor([&] { return !app.text(IDC_KEYBOARD_LINE).empty(); }));
    app.pick(IDC_FORMAT_COMBO, 0);
    EXPECT_EQ("", app.text(IDC_SYSEX_EDIT));
    app.command(IDM_SEND_MIDI);
    // A send opens the device at once; none does within a second and a half.
    EXPECT_FALSE(waitFor([&] { return !trace(app).empty(); }, 1500)) << trace(app);
    EXPECT_EQ(0u, app.close());
}

TEST_F(MidiDevice, aKeyBasedGm2FormIsSentWithItsProgramSelect) {
    VelmarinApp app(withDouble(
        iniLines({"[AppSetting]", "MidiFormat=2", "MidiPartOrChannel=1", "MidiOutDevice=Synth A", "MtsForm=2"}), {}));
    ASSERT_TRUE(app.started());
    const std::string expected = listingBytes(app);  // two single-note messages, then channel 1's select
    ASSERT_EQ(2 * 264u + 24, expected.size());
    app.command(IDM_SEND_MIDI);
    EXPECT_TRUE(waitFor([&] { return trace(app).find("close") != std::string::npos; }));
    const std::string received = log(app);
    EXPECT_EQ(dumpBytes(Bytes(expected.begin(), expected.end())), dumpBytes(Bytes(received.begin(), received.end())));
    std::string shortMessages;
    for (int i = 0; i < 8; ++i) shortMessages += "short\n";
    EXPECT_EQ("open 0\nlong 264\nlong 264\n" + shortMessages + "close\n", trace(app));
    EXPECT_EQ(0u, app.close());
}

TEST_F(MidiDevice, liveSendingWhileTypingFastEndsOnTheStateOnScreen) {
    // XG, parts 1 and 2: twelve messages per part; a slow device, so that
    // later states arrive while a send is in progress.
    VelmarinApp app(withDouble(
        iniLines({"[AppSetting]", "MidiFormat=1", "MidiPartOrChannel=3", "MidiOutDevice=Synth A", "SysexPause=0"}),
        {{"VELMARIN_MIDI_DELAY_MS", "15"}}));
    ASSERT_TRUE(app.started());
    app.command(IDM_LIVE_SEND);
    EXPECT_TRUE(liveChecked(app));
    for (const auto& [pitchClass, offset] : {std::pair{0, "5"}, {0, "12"}, {3, "-30"}, {7, "63"}, {0, "-64"},
                                             {11, "1"}, {3, "-31"}, {3, "0"}})
        app.type(offsetEdit(pitchClass), offset);

    constexpr size_t kXgAddress = 7;
    const auto expected = heldState(listingBytes(app), kXgAddress);
    ASSERT_EQ(24u, expected.size());
    EXPECT_TRUE(waitFor([&] { return heldState(log(app), kXgAddress) == expected; }, 10000))
        << dumpBytes(hexBytes(app.text(IDC_SYSEX_EDIT)));

    app.command(IDM_LIVE_SEND);
    EXPECT_FALSE(liveChecked(app));
    EXPECT_TRUE(waitFor([&] { return trace(app).find("close") != std::string::npos; }));
    EXPECT_EQ(expected, heldState(log(app), kXgAddress));  // nothing stale came after
    EXPECT_EQ(0u, app.close());
}

// Channel 1's twelve data bytes after the GM2 messages of `bytes`, in order.
std::string gm2Channel1(const std::string& bytes) {
    std::string held;
    for (size_t at = bytes.find("\xF0\x7E"); at != std::string::npos; at = bytes.find("\xF0\x7E", at + 1))
        if (at + 21 <= bytes.size() && (bytes[at + 7] & 1)) held = bytes.substr(at + 8, 12);
    return held;
}

TEST_F(MidiDevice, liveSendingKeepsTheDeviceAsOnScreenAndFollowsItsName) {
    VelmarinApp app(withDouble(iniLines({"[AppSetting]", "MidiFormat=2", "MidiPartOrChannel=1", "MidiOutDevice=Synth B"}),
                               {{"VELMARIN_MIDI_DEVICE_FILE", "{Folder}\\devices.txt"}}));
    ASSERT_TRUE(app.started());
    const std::wstring devices = app.folder() + L"\\devices.txt";
    ASSERT_TRUE(writeFile(devices, "Synth A|Synth B"));
    app.command(IDM_LIVE_SEND);
    app.click(IDC_CHECK_ALL);
    app.type(offsetEdit(0), "10");
    const std::string allAt10 = listingBytes(app);
    EXPECT_TRUE(waitFor([&] { return log(app).find(allAt10) != std::string::npos; }));
    app.click(IDC_UNCHECK_ALL);
    app.type(offsetEdit(0), "0");
    app.click(partBox(1));
    EXPECT_TRUE(waitFor([&] { return gm2Channel1(log(app)) == std::string(12, '\x40'); })) << "channel 1 kept +10";

    // A device plugged in ahead of it: the next change goes to its new number.
    ASSERT_TRUE(writeFile(devices, "New Synth|Synth A|Synth B"));
    app.type(offsetEdit(2), "7");
    EXPECT_TRUE(waitFor([&] { return trace(app).find("open 2\nlong 21") != std::string::npos; })) << trace(app);
    // Unplugged: live sending ends and says why.
    ASSERT_TRUE(writeFile(devices, "Synth A"));
    app.postClick(partBox(2));
    const HWND box = app.waitForWindow(kMidiCaption);
    EXPECT_EQ(0u, app.boxText(box).rfind("MIDI 出力装置「Synth B」が見つからなくなったため、自動送信を止めました。", 0));
    app.answer(box, IDOK);
    EXPECT_FALSE(liveChecked(app));
    EXPECT_EQ(0u, app.close());
}

TEST_F(MidiDevice, aDeviceThatCannotBeOpenedGivesTheErrorBox) {
    VelmarinApp app(withDouble(iniLines({"[AppSetting]", "MidiPartOrChannel=1", "MidiOutDevice=Synth A"}),
                               {{"VELMARIN_MIDI_FAIL", "open"}}));
    ASSERT_TRUE(app.started());
    app.postCommand(IDM_SEND_MIDI);
    const HWND box = app.waitForWindow("エラー");
    ASSERT_TRUE(box);
    EXPECT_EQ("MIDI 出力装置「Synth A」を開けませんでした。\n\nThe device is already in use (test double).",
              app.boxText(box));
    app.answer(box, IDOK);
    EXPECT_EQ("", log(app));
    EXPECT_EQ(0u, app.close());
}

TEST_F(MidiDevice, aLongSendShowsProgressAndAClosingWindowStopsIt) {
    VelmarinApp app(withDouble(iniLines({"[AppSetting]", "MidiPartOrChannel=65535", "MidiOutDevice=Synth A"}),
                               {{"VELMARIN_MIDI_DELAY_MS", "100"}}));
    ASSERT_TRUE(app.started());
    app.command(IDM_SEND_MIDI);  // sixteen GS messages, 2 s
    EXPECT_TRUE(waitFor([&] { return app.text(app.window()).rfind("Velmarin - 送信中 ", 0) == 0; }))
        << app.text(app.window());
    EXPECT_EQ(0u, app.close());
    const std::string lines = trace(app);
    int handedOver = 0;
    for (size_t at = lines.find("long "); at != std::string::npos; at = lines.find("long ", at + 1)) ++handedOver;
    EXPECT_LT(handedOver, 16) << lines;
    EXPECT_EQ("reset\nclose\n", lines.substr(lines.size() < 12 ? 0 : lines.size() - 12)) << lines;
}

}  // namespace
