// The song command end to end: that the window wires the core's song writer
// to its menu, its boxes and the save dialog, and that a song handed over
// (dropped, or named on the command line) starts it. Where the tuning goes is
// proven in the core tests.
#include <gtest/gtest.h>
#include <windows.h>

#include "FileDialogField.h"
#include "HexBytes.h"
#include "UiExpectations.h"
#include "VelmarinApp.h"
#include "song/SongBends.h"
#include "song/SongTuning.h"

namespace {

// Format 0, 480 ticks per quarter note: a GS Reset, the program and the first
// note at tick 0, the note off a beat later.
const std::string kSong = hexString(
    "4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 1D"
    " 00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 00 C0 4F 00 90 3C 64 83 60 80 3C 40 00 FF 2F 00");

const StartFiles kGsPart1{iniLines({"[AppSetting]", "Left=600", "Top=300", "MidiPartOrChannel=1"}), std::nullopt};

std::string summaryOf(const std::wstring& song) {
    return utf8(song) +
           "\n\n形式: SMF フォーマット 0、トラック 1\n"
           "リセット: GS リセット 0 ミリ秒 (トラック 1)\n"
           "音律: トラック 1 の 100 ミリ秒から 1 個のメッセージ (GS リセットのあと)\n"
           "最初の音が音律より先に鳴らないよう、曲を 100 ミリ秒うしろへずらします。\n"
           "\nOK を押すと、保存先を選びます。";
}

// The summary box over the main window: its text, then the answer.
void answerSummary(VelmarinApp& app, const std::wstring& song, int answer) {
    const HWND box = app.waitForWindow("曲に音律を書き込む");
    ASSERT_TRUE(box);
    EXPECT_EQ(summaryOf(song), app.boxText(box));
    EXPECT_TRUE(app.boxHasButton(box, IDCANCEL));
    app.answer(box, answer);
}

TEST(SongCommand, ctrlIShowsWhatWillBeDoneAndSavesTheTunedSongBesideIt) {
    VelmarinApp app(kGsPart1);
    ASSERT_TRUE(app.started());
    EXPECT_EQ(0u, app.menuState(IDM_APPLY_TO_SONG) & (MF_GRAYED | MF_DISABLED));
    const std::wstring song = app.folder() + L"\\song.mid";
    ASSERT_TRUE(writeFile(song, kSong));

    app.focus(offsetEdit(0));
    app.setKey(VK_CONTROL, true);
    app.postKey(offsetEdit(0), 'I');
    app.sync();
    app.setKey(VK_CONTROL, false);
    const HWND open = app.waitForWindow("音律を書き込む曲を開く");
    ASSERT_TRUE(open);
    app.type(fileNameField(open), utf8(song));
    PostMessageW(GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
    answerSummary(app, song, IDOK);

    const HWND save = app.waitForWindow("音律を書き込んだ曲を保存");
    ASSERT_TRUE(save);
    EXPECT_EQ("song-tuned.mid", app.text(fileNameField(save)));
    PostMessageW(GetDlgItem(save, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(save); })) << "the save dialog stayed open";
    app.sync();

    // The listing written after the reset, as the core writes it; the song untouched.
    const std::string listing = hexString(gsPart1("40", "6F"));
    const std::optional<std::string> written = readFile(app.folder() + L"\\song-tuned.mid");
    ASSERT_TRUE(written);
    const SongTuningResult expected =
        tuneSong(reinterpret_cast<const uint8_t*>(kSong.data()), kSong.size(),
                 reinterpret_cast<const uint8_t*>(listing.data()), listing.size(), {});
    EXPECT_EQ(std::string(expected.bytes.begin(), expected.bytes.end()), *written);
    EXPECT_EQ(kSong, readFile(song));
    EXPECT_TRUE(app.ownedWindows().empty());
    EXPECT_EQ(0u, app.close());
}

TEST(SongCommand, aSongDroppedOrNamedOnTheCommandLineStartsIt) {
    StartFiles named = kGsPart1;
    named.arguments = "\"{Folder}\\named.mid\"";
    named.beforeStart = [](const std::wstring& programFolder) {
        writeFile(programFolder.substr(0, programFolder.rfind(L'\\')) + L"\\named.mid", kSong);
    };
    VelmarinApp app(named);
    ASSERT_TRUE(app.started());
    answerSummary(app, app.folder() + L"\\named.mid", IDCANCEL);

    const std::wstring dropped = app.folder() + L"\\dropped.mid";
    ASSERT_TRUE(writeFile(dropped, kSong));
    app.dropFile(dropped);
    answerSummary(app, dropped, IDCANCEL);
    EXPECT_EQ((std::vector<std::string>{"dropped.mid", "named.mid"}), filesIn(app.folder()));  // nothing written
    EXPECT_EQ(0u, app.close());
}

const StartFiles kBendPart1{
    iniLines({"[AppSetting]", "Left=600", "Top=300", "MidiPartOrChannel=1", "SongMethod=1"}), std::nullopt};

// Drops the song with the pitch-bend method chosen, finds `method` in the
// summary, says OK and saves the song beside itself; returns what was saved.
std::string bendDroppedSong(VelmarinApp& app, const std::string& method) {
    const std::wstring song = app.folder() + L"\\song.mid";
    EXPECT_TRUE(writeFile(song, kSong));
    app.dropFile(song);
    const HWND box = app.waitForWindow("曲に音律を書き込む");
    if (!box) return "no summary box";
    EXPECT_NE(std::string::npos, app.boxText(box).find(method)) << app.boxText(box);
    app.answer(box, IDOK);
    const HWND save = app.waitForWindow("音律を書き込んだ曲を保存");
    if (!save) return "no save dialog";
    PostMessageW(GetDlgItem(save, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(save); })) << "the save dialog stayed open";
    app.sync();
    return readFile(app.folder() + L"\\song-tuned.mid").value_or("nothing saved");
}

TEST(SongCommand, withPitchBendChosenTheSongsNotesCarryBends) {
    VelmarinApp app(kBendPart1);
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(0), "-10");  // C, the song's note
    const std::string saved = bendDroppedSong(app, "方式: ピッチベンド (ベンド幅 3 半音、調律メッセージなし)");

    std::array<double, 12> cents{};
    cents[0] = -10;
    SongBendOptions options;
    options.keyCents = keyCentsOfPitchClasses(cents);
    options.channels = 1;
    const SongBendResult expected = bendSong(reinterpret_cast<const uint8_t*>(kSong.data()), kSong.size(), options);
    EXPECT_EQ(std::string(expected.bytes.begin(), expected.bytes.end()), saved);
    EXPECT_EQ(0u, app.close());
}

// Typed beyond 63 and not yet corrected, C bends as the listing sends it.
TEST(SongCommand, withPitchBendAnEditBeyondItsRangeBendsAsTheListingSendsIt) {
    VelmarinApp app(kBendPart1);
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(0), "99");
    const std::string saved = bendDroppedSong(app, "ピッチベンド");

    std::array<double, 12> cents{};
    cents[0] = 63;
    SongBendOptions options;
    options.keyCents = keyCentsOfPitchClasses(cents);
    options.channels = 1;
    const SongBendResult expected = bendSong(reinterpret_cast<const uint8_t*>(kSong.data()), kSong.size(), options);
    EXPECT_EQ(std::string(expected.bytes.begin(), expected.bytes.end()), saved);
    EXPECT_EQ(0u, app.close());
}

// A keyboard tuning held from a file: the song's C4 (key 60, tuned 470 cents
// up) is played on key 65 and bent 30 cents down at a range of 3: 7373.
TEST(SongCommand, withPitchBendAHeldKeyboardTuningPlaysEachNoteOnTheKeyNearestItsPitch) {
    VelmarinApp app(kBendPart1);
    ASSERT_TRUE(app.started());
    const std::wstring keys = app.folder() + L"\\key60.syx";
    ASSERT_TRUE(writeFile(keys, hexString("F0 7F 7F 08 02 00 01 3C 40 59 4D F7")));
    app.dropFile(keys);
    app.sync();
    ASSERT_TRUE(app.ownedWindows().empty()) << app.boxText(app.ownedWindows()[0]);
    ASSERT_FALSE(app.enabled(offsetEdit(0))) << "the keys were not held";
    const std::string saved = bendDroppedSong(app, "ピッチベンド");
    EXPECT_NE(std::string::npos, saved.find(hexString("E0 4D 39 00 90 41 64"))) << dumpBytes(reinterpret_cast<const uint8_t*>(saved.data()), saved.size());
    EXPECT_EQ(0u, app.close());
}

}  // namespace
