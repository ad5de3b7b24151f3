// The temperament dialog and File -> Open, end to end: that the window wires
// the core's fit and readers to its controls. The rules themselves are proven
// in the core tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "FileDialogField.h"
#include "HexBytes.h"
#include "UiExpectations.h"
#include "VelmarinApp.h"

namespace {

using Texts = std::vector<std::string>;

constexpr int kWerckmeister3 = 4;  // its place in the list
// Werckmeister III on C, C zeroed, 440 Hz.
const Texts kWerckmeisterOnC = {"0", "-10", "-8", "-6", "-10", "-2", "-12", "-4", "-8", "-12", "-4", "-8"};
// Werckmeister III on D, A zeroed, 442 Hz: the manual's example.
const Texts kWerckmeisterOnD = {"8", "4", "12", "2", "4", "6", "2", "10", "0", "8", "4", "0"};

const StartFiles kPart3AndBit16{iniLines({"[AppSetting]", "Left=600", "Top=300", "MidiPartOrChannel=65540"}),
                                std::nullopt};

Texts offsetTexts(const VelmarinApp& app) {
    Texts texts;
    for (int k = 0; k < 12; ++k) texts.push_back(app.text(offsetEdit(k)));
    return texts;
}

bool shown(const VelmarinApp& app, int id) { return IsWindowVisible(app.item(id)) != FALSE; }

Texts words(const std::string& line) {
    std::istringstream in(line);
    Texts result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

Texts lines(const std::string& text) {
    Texts result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line.substr(0, line.find('\r')));
    return result;
}

// A choice in one of the dialog's lists, as the user makes it.
void pickIn(VelmarinApp& app, HWND dialog, int comboId, int index) {
    const HWND combo = GetDlgItem(dialog, comboId);
    app.send(combo, CB_SETCURSEL, index, 0);
    app.send(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int selectionIn(VelmarinApp& app, HWND dialog, int comboId) {
    return static_cast<int>(app.send(GetDlgItem(dialog, comboId), CB_GETCURSEL, 0, 0));
}

// W calls: Wine gives one character for the ANSI text of another process's combo box.
Texts itemsIn(VelmarinApp& app, HWND dialog, int comboId) {
    Texts names;
    const HWND combo = GetDlgItem(dialog, comboId);
    for (LRESULT i = 0, count = app.send(combo, CB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t name[64] = {};
        app.send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
        names.push_back(utf8(name));
    }
    return names;
}

std::string previewOf(VelmarinApp& app, HWND dialog) { return app.text(GetDlgItem(dialog, IDC_FIT_PREVIEW)); }

// A key's line of a keyboard preview: the key, its Hz and cents; none without it.
Texts keyLine(const Texts& preview, int key) {
    for (const std::string& line : preview)
        if (words(line).size() == 3 && words(line)[0] == std::to_string(key)) return words(line);
    return {};
}

// File -> Open with `path` typed into the open dialog.
void openFile(VelmarinApp& app, const std::wstring& path) {
    app.postCommand(IDM_OPEN);
    const HWND dialog = app.waitForWindow("開く");
    ASSERT_TRUE(dialog);
    app.type(fileNameField(dialog), utf8(path));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); })) << "the open dialog stayed open";
    app.sync();
}

TEST(Temperament, ctrlEOpensItCentredItsCircleFollowsAndOkSetsTheOffsetsWithOneListingUpdate) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    app.focus(offsetEdit(0));
    app.setKey(VK_CONTROL, true);
    app.postKey(offsetEdit(0), 'E');
    app.sync();
    app.setKey(VK_CONTROL, false);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    RECT shown{};
    GetWindowRect(dialog, &shown);
    EXPECT_TRUE(centredOver(shown, app.windowRect()));
    EXPECT_EQ((Texts{"平均律", "ピタゴラス音律", "1/4 コンマ中全音律", "1/6 コンマ中全音律", "ヴェルクマイスター第3",
                     "キルンベルガー第3", "ヴァロッティ", "ヤング第2", "純正律（長調）", "1/3 コンマ中全音律",
                     "2/7 コンマ中全音律", "1/5 コンマ中全音律", "ヴェルクマイスター第4", "ヴェルクマイスター第5",
                     "キルンベルガー第1", "キルンベルガー第2", "ケルナー", "レーマン", "バーンズ"}),
              itemsIn(app, dialog, IDC_TEMPERAMENT_COMBO));

    // The circle of fifths is drawn again for each choice, and looks different.
    ASSERT_TRUE(waitFor([&] { return app.circleDraws() > 0; })) << "the circle was never drawn";
    const uint32_t equalCircle = app.ownedPixels(IDC_FIFTHS_CIRCLE);
    pickIn(app, dialog, IDC_TEMPERAMENT_COMBO, kWerckmeister3);
    EXPECT_TRUE(waitFor([&] { return app.circleDraws() > 0; })) << "the circle was not drawn again";
    EXPECT_NE(equalCircle, app.ownedPixels(IDC_FIFTHS_CIRCLE));
    const Texts preview = lines(previewOf(app, dialog));
    ASSERT_EQ(13u, preview.size()) << previewOf(app, dialog);
    EXPECT_EQ((Texts{"音名", "正確な値", "送信値", "誤差"}), words(preview[0]));
    EXPECT_EQ((Texts{"B", "-7.82", "-8", "-0.18"}), words(preview[12]));

    app.listingUpdates();
    app.answer(dialog, IDOK);
    EXPECT_EQ(kWerckmeisterOnC, offsetTexts(app));
    EXPECT_EQ(1, app.listingUpdates());

    // The choices stay for the run: the menu brings them back.
    app.postCommand(IDM_TEMPERAMENT);
    const HWND again = app.waitForWindow("音律");
    ASSERT_TRUE(again);
    EXPECT_EQ(kWerckmeister3, selectionIn(app, again, IDC_TEMPERAMENT_COMBO));
    app.answer(again, IDCANCEL);
    EXPECT_EQ(0u, app.close());
}

TEST(Temperament, aFrequencyOutOfRangeRefusesOkAndCancelChangesNothing) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    app.postCommand(IDM_TEMPERAMENT);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    EXPECT_EQ("440", app.text(GetDlgItem(dialog, IDC_A4_EDIT)));
    pickIn(app, dialog, IDC_TEMPERAMENT_COMBO, kWerckmeister3);
    pickIn(app, dialog, IDC_TONIC_COMBO, 2);
    pickIn(app, dialog, IDC_ZERO_NOTE_COMBO, 1);
    for (const char* refused : {"379.9", "480.5", "abc", ""}) {
        SCOPED_TRACE(refused);
        app.type(GetDlgItem(dialog, IDC_A4_EDIT), refused);
        EXPECT_EQ("A4 の周波数は 380 から 480 までの数値 (Hz) で入力してください。", previewOf(app, dialog));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    }
    app.type(GetDlgItem(dialog, IDC_A4_EDIT), "442");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ((Texts{"A", "7.85", "8", "0.15"}), words(lines(previewOf(app, dialog))[10]));

    const Texts before = offsetTexts(app);
    app.listingUpdates();
    app.answer(dialog, IDCANCEL);
    EXPECT_EQ(before, offsetTexts(app));
    EXPECT_EQ(0, app.listingUpdates());
    EXPECT_EQ(0u, app.close());
}

// 1200 log2(415 / 440) = -101.27 cents: a semitone goes as coarse tuning
// (registered parameter 2, data 3F, then the null parameter) on part 3's
// channel, and the offsets keep the rest.
TEST(Temperament, aBaroqueA4LandsInTheListingWithTheCoarseTuning) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    app.postCommand(IDM_TEMPERAMENT);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    pickIn(app, dialog, IDC_TEMPERAMENT_COMBO, kWerckmeister3);
    app.type(GetDlgItem(dialog, IDC_A4_EDIT), "415");
    EXPECT_EQ("A4 のずれをコース チューニングで送ります (半音): -1", lines(previewOf(app, dialog)).back());
    app.answer(dialog, IDOK);
    EXPECT_EQ((Texts{"-1", "-11", "-9", "-7", "-11", "-3", "-13", "-5", "-9", "-13", "-5", "-9"}), offsetTexts(app));
    EXPECT_EQ("B2 65 00 B2 64 02 B2 06 3F B2 65 7F B2 64 7F", lines(app.text(IDC_SYSEX_EDIT)).back());
    EXPECT_EQ(0u, app.close());
}

// Quarter-comma meantone in the 2-byte form keeps its hundredths (D -6.84:
// 8192 - 560 = 3B 50); typing -7 into D makes it whole (8192 - 573 = 3B 43).
TEST(Temperament, anExactMeantoneInTheTwoByteFormAndAnEditThatRoundsOneNote) {
    VelmarinApp app(StartFiles{iniLines({"[AppSetting]", "MidiFormat=2", "MidiPartOrChannel=1", "MtsForm=1"}),
                               std::nullopt});
    ASSERT_TRUE(app.started());
    app.postCommand(IDM_TEMPERAMENT);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    pickIn(app, dialog, IDC_TEMPERAMENT_COMBO, 2);
    EXPECT_EQ((Texts{"D", "-6.84", "-6.84", "0.00"}), words(lines(previewOf(app, dialog))[3]));
    app.answer(dialog, IDOK);
    EXPECT_EQ((Texts{"0", "-24", "-7", "10", "-14", "3", "-21", "-3", "-27", "-10", "7", "-17"}), offsetTexts(app));
    const char kHead[] = "F0 7E 7F 08 09 00 00 01 40 00 30 56 ";
    EXPECT_EQ(kHead + std::string("3B 50 46 48 37 1F 42 18 32 6E 3D 68 2E 3E 39 38 44 30 35 06 F7"),
              app.text(IDC_SYSEX_EDIT));
    // Marked: every note with a fraction (all but C).
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(k != 0, IsWindowVisible(GetDlgItem(app.window(), IDC_EXACT_MARK_FIRST + k)) != FALSE) << k;
    app.type(offsetEdit(2), "-7");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(app.window(), IDC_EXACT_MARK_FIRST + 2)));
    EXPECT_EQ(kHead + std::string("3B 43 46 48 37 1F 42 18 32 6E 3D 68 2E 3E 39 38 44 30 35 06 F7"),
              app.text(IDC_SYSEX_EDIT));
    // A format without fractions hides the marks; back in the 2-byte form,
    // the notes still exact are marked again.
    app.pick(IDC_FORMAT_COMBO, 0);
    EXPECT_FALSE(shown(app, IDC_EXACT_MARK_FIRST + 1));
    app.pick(IDC_FORMAT_COMBO, 2);
    EXPECT_TRUE(shown(app, IDC_EXACT_MARK_FIRST + 1));
    EXPECT_EQ(0u, app.close());
}

// XG parts 1 and 2 as the program saves them as SysEx bytes, with the
// offset `offset(part, pitchClass)`.
std::string xgParts1And2Syx(int (*offset)(int part, int pitchClass)) {
    std::string bytes;
    for (int part = 0; part < 2; ++part)
        for (int k = 0; k < 12; ++k)
            bytes += std::string{'\xF0', '\x43', '\x10', '\x4C', '\x08', static_cast<char>(part),
                                 static_cast<char>(0x41 + k), static_cast<char>(0x40 + offset(part, k)), '\xF7'};
    return bytes;
}

TEST(OpenFile, aSyxSetsTheFormatTheOffsetsAndThePartsWithOneListingUpdate) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    const std::wstring path = app.folder() + L"\\xg-parts1-2.syx";
    ASSERT_TRUE(writeFile(path, xgParts1And2Syx([](int, int k) { return std::stoi(kWerckmeisterOnD[k]); })));
    app.listingUpdates();
    openFile(app, path);
    EXPECT_TRUE(app.ownedWindows().empty());
    EXPECT_EQ(1, app.selection(IDC_FORMAT_COMBO));
    EXPECT_EQ(kPartLabel, app.text(IDC_PART_LABEL));
    EXPECT_EQ(kWerckmeisterOnD, offsetTexts(app));
    EXPECT_EQ((std::vector<int>{1, 2}), tickedParts(app));
    EXPECT_EQ(1, app.listingUpdates());
    EXPECT_EQ("F0 43 10 4C 08 00 41 48 F7", lines(app.text(IDC_SYSEX_EDIT)).front());

    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    // Bit 16 stays; parts 1 and 2 replace part 3; no key beyond the six.
    EXPECT_EQ(withPosition("[AppSetting]\r\nLeft={Left}\r\nTop={Top}\r\nMidiPartOrChannel=65539\r\nMidiFormat=1\r\n"
                           "SysexEventDivision=120\r\nSysexEventDelta=0\r\n",
                           window),
              app.file("Velmarin.ini"));
}

TEST(OpenFile, theReadersWarningFollowsInAWarningBox) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    const std::wstring path = app.folder() + L"\\parts-differ.syx";
    // Part 1 in equal temperament, part 2 with C 5 cents up.
    ASSERT_TRUE(writeFile(path, xgParts1And2Syx([](int part, int k) { return part == 1 && k == 0 ? 5 : 0; })));
    openFile(app, path);
    const HWND box = app.waitForWindow(kWarningCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ("読み込みましたが、次の点に注意してください。\n" + utf8(path) +
                  "\n\nパート／チャンネル 2 は音程が異なるため、チェックしていません。",
              app.boxText(box));
    app.answer(box, IDOK);
    EXPECT_EQ(Texts(12, "0"), offsetTexts(app));
    EXPECT_EQ(std::vector<int>{1}, tickedParts(app));
    EXPECT_EQ(0u, app.close());
}

TEST(OpenFile, aScalaFileOpensTheTemperamentDialogWithTheScaleChosen) {
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    const std::wstring path = app.folder() + L"\\fifths.scl";
    ASSERT_TRUE(writeFile(path, "! fifths.scl\nFive pure fifths\n5\n9/8\n81/64\n3/2\n27/16\n2/1\n"));
    openFile(app, path);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(19, selectionIn(app, dialog, IDC_TEMPERAMENT_COMBO));
    EXPECT_EQ("Five pure fifths", app.text(GetDlgItem(dialog, IDC_TEMPERAMENT_COMBO)));
    EXPECT_EQ("音階にない音名 (0 として計算): C#, D#, F, F#, G#, A#, B", lines(previewOf(app, dialog)).back());
    app.answer(dialog, IDOK);
    EXPECT_EQ((Texts{"0", "0", "4", "0", "8", "0", "0", "2", "0", "6", "0", "0"}), offsetTexts(app));
    EXPECT_EQ(0u, app.close());
}

TEST(OpenFile, aFileThatCannotBeReadIsNamedInTheErrorBox) {
    const struct {
        const char* name;
        const char* contents;
        std::string sentence;
        const char* line;  // after the path, when the error names one
    } rows[] = {
        // As the song command names a file it cannot read.
        {"not-midi.mid", "RIFF....", "標準MIDIファイルではありません。 (0 バイト目)", ""},
        {"bad-pitch.scl", "! bad\nA pitch that is not a number\n3\n9/8\nfive fourths\n2/1\n",
         "音程が数値ではありません。", " (5 行目)"},
    };
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    const Texts before = offsetTexts(app);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring path = app.folder() + L"\\" + widen(row.name);
        ASSERT_TRUE(writeFile(path, row.contents));
        openFile(app, path);
        const HWND box = app.waitForWindow("エラー");
        ASSERT_TRUE(box);
        EXPECT_EQ(row.sentence + "\n\n" + utf8(path) + row.line, app.boxText(box));
        app.answer(box, IDOK);
        EXPECT_EQ(before, offsetTexts(app));
        EXPECT_TRUE(app.ownedWindows().empty());
    }
    EXPECT_EQ(0u, app.close());
}

// A 19-note scale with a keyboard map: the dialog offers the single-note form
// the GS default cannot replace, and the main window holds the keys.
TEST(Temperament, aNineteenNoteScaleWithAKeyboardMapIsHeldAsSingleNoteMessagesWithTheEditsGreyed) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    std::string scale = "! 19edo.scl\n19 equal\n19\n";
    for (int d = 1; d <= 19; ++d) scale += std::to_string(d * 1200.0 / 19) + "\n";
    const std::wstring scalePath = app.folder() + L"\\19edo.scl";
    const std::wstring mapPath = app.folder() + L"\\a440.kbm";
    ASSERT_TRUE(writeFile(scalePath, scale));
    // Linear, degree 0 on key 60, key 69 at 440 Hz.
    ASSERT_TRUE(writeFile(mapPath, "! a440.kbm\n0\n0\n127\n60\n69\n440.0\n0\n"));
    openFile(app, scalePath);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    PostMessageW(GetDlgItem(dialog, IDC_OPEN_KEYBOARD_MAP), BM_CLICK, 0, 0);
    const HWND open = app.waitForWindow("キーボードマップを開く", dialog);
    ASSERT_TRUE(open);
    app.type(fileNameField(open), utf8(mapPath));
    PostMessageW(GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(open); })) << "the open dialog stayed open";
    app.sync();
    const Texts preview = lines(previewOf(app, dialog));
    ASSERT_LT(100u, preview.size()) << previewOf(app, dialog);
    EXPECT_EQ("19 音の音階、周期 1200.00 セント", preview[0]);
    EXPECT_EQ("キーボードマップ: a440.kbm", preview[1]);
    // Key 69 nine steps above key 60: key 60 at 440 * 2^(-9/19) = 316.8542 Hz,
    // 568.42 cents below A4, so 900 - 568.42 = 331.58 above its own pitch.
    EXPECT_EQ((Texts{"60", "316.8542", "331.58"}), keyLine(preview, 60));
    EXPECT_EQ((Texts{"69", "440.0000", "0.00"}), keyLine(preview, 69));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_LAYOUT_COMBO))) << "a map lays the scale out";

    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    const HWND offer = app.waitForWindow("確認", dialog);
    ASSERT_TRUE(offer);
    app.answer(offer, IDYES);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    app.sync();
    // Key 60 at 331.58 cents up: key 63 and 31.58 * 163.84 = 5174.07 steps,
    // rounded up as the key-based forms send them: 5175 = 28 37.
    const std::string listed = app.text(IDC_SYSEX_EDIT);
    EXPECT_EQ(0u, listed.find("F0 7F 7F 08 02 00")) << listed;
    EXPECT_NE(std::string::npos, listed.find("3C 3F 28 37")) << listed;
    EXPECT_NE(std::string::npos, listed.find("45 45 00 00")) << listed;
    EXPECT_FALSE(app.enabled(offsetEdit(0)));
    EXPECT_EQ("キーボード音律: 19 equal / a440.kbm", app.text(IDC_KEYBOARD_LINE));
    EXPECT_TRUE(shown(app, IDC_KEYBOARD_LINE));
    // A format that cannot send the keys says so in the line; back in the
    // single-note form, it no longer does.
    app.pick(IDC_FORMAT_COMBO, 0);
    EXPECT_EQ("キーボード音律: 19 equal / a440.kbm (この形式では送れません)", app.text(IDC_KEYBOARD_LINE));
    app.pick(IDC_FORMAT_COMBO, 2);
    EXPECT_EQ("キーボード音律: 19 equal / a440.kbm", app.text(IDC_KEYBOARD_LINE));

    // The text save also writes the tuning for software synthesizers: key 60
    // 568.421053 cents (the file's ninth degree) below key 69's 6900.
    app.postClick(IDC_SAVE_TEXT);
    const HWND save = app.waitForWindow("テキストで保存");
    ASSERT_TRUE(save);
    const std::wstring tunPath = app.folder() + L"\\19edo.tun";
    app.type(fileNameField(save), utf8(tunPath));
    PostMessageW(GetDlgItem(save, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(save); })) << "the save dialog stayed open";
    app.sync();
    const std::optional<std::string> tun = readFile(tunPath);
    ASSERT_TRUE(tun);
    EXPECT_NE(std::string::npos, tun->find("[Exact Tuning]")) << *tun;
    EXPECT_NE(std::string::npos, tun->find("note 60=6331.578947")) << *tun;
    EXPECT_NE(std::string::npos, tun->find("note 69=6900.000000")) << *tun;

    app.postClick(IDC_SAVE_SMF);
    const HWND saveMid = app.waitForWindow("SMFで保存");
    ASSERT_TRUE(saveMid);
    const std::wstring midPath = app.folder() + L"\\19edo.mid";
    app.type(fileNameField(saveMid), utf8(midPath));
    PostMessageW(GetDlgItem(saveMid, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(saveMid); })) << "the save dialog stayed open";
    app.sync();

    // A twelve-note temperament brings the edits back.
    app.postCommand(IDM_TEMPERAMENT);
    const HWND again = app.waitForWindow("音律");
    ASSERT_TRUE(again);
    pickIn(app, again, IDC_TEMPERAMENT_COMBO, kWerckmeister3);
    app.answer(again, IDOK);
    EXPECT_TRUE(app.enabled(offsetEdit(0)));
    EXPECT_EQ(kWerckmeisterOnC, offsetTexts(app));
    EXPECT_FALSE(shown(app, IDC_KEYBOARD_LINE));

    // Opened back, the saved keys are held again as they were.
    openFile(app, midPath);
    EXPECT_EQ(listed, app.text(IDC_SYSEX_EDIT));
    EXPECT_FALSE(app.enabled(offsetEdit(0)));
    EXPECT_EQ("キーボード音律: 19edo.mid / ファイルのとおりのキー", app.text(IDC_KEYBOARD_LINE));
    EXPECT_TRUE(shown(app, IDC_KEYBOARD_LINE));
    EXPECT_TRUE(app.ownedWindows().empty()) << "a warning about the twelve offsets was shown";
    EXPECT_EQ(0u, app.close());
}

// Twelve pitch classes would hold these scales but for two degrees on one;
// they go on the keys, one degree a key, under a line saying which. Seven
// notes from C4 = 440 x 2^(-9/12) = 261.6256 Hz on key 60: key 67 is the
// period, 523.2511 Hz, 500 cents above its own pitch.
TEST(Temperament, twoDegreesOnOnePitchClassPutAScaleOnTheKeysUnlessTheLayoutIsTwelvePitchClasses) {
    const struct {
        const char *name, *contents, *notice;
    } rows[] = {
        {"collide.scl", "! collide.scl\nTwo degrees on C#\n3\n100.0\n130.0\n2/1\n",
         "音階の 1 番目と 2 番目の音が同じ音名 C# になるので、鍵盤に1音ずつ並べます。"},
        {"neutral.scl", "! neutral.scl\nTwo neutral thirds\n7\n200.0\n360.0\n400.0\n700.0\n900.0\n1050.0\n2/1\n",
         "音階の 2 番目と 3 番目の音が同じ音名 E になるので、鍵盤に1音ずつ並べます。"},
    };
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    HWND dialog = nullptr;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (dialog) app.answer(dialog, IDCANCEL);
        ASSERT_TRUE(writeFile(app.folder() + L"\\" + widen(row.name), row.contents));
        openFile(app, app.folder() + L"\\" + widen(row.name));
        ASSERT_TRUE(dialog = app.waitForWindow("音律"));
        EXPECT_EQ(row.notice, lines(previewOf(app, dialog))[0]);
    }
    const Texts preview = lines(previewOf(app, dialog));
    EXPECT_EQ("7 音の音階、周期 1200.00 セント", preview[1]);
    EXPECT_EQ((Texts{"60", "261.6256", "0.00"}), keyLine(preview, 60));
    EXPECT_EQ((Texts{"67", "523.2511", "500.00"}), keyLine(preview, 67));
    pickIn(app, dialog, IDC_LAYOUT_COMBO, 2);
    EXPECT_EQ("音階の 2 番目と 3 番目の音が同じ音名 E になります。\n\n" + utf8(app.folder()) + "\\neutral.scl",
              previewOf(app, dialog));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    pickIn(app, dialog, IDC_LAYOUT_COMBO, 0);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    app.answer(app.waitForWindow("確認", dialog), IDYES);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    app.sync();
    EXPECT_EQ("キーボード音律: Two neutral thirds / 直線", app.text(IDC_KEYBOARD_LINE));
    EXPECT_EQ(0u, app.close());
}

// One degree a key, twelve notes repeat every twelve keys at 2/1 and list as
// their fit; the choice stays for the run, greyed for a temperament.
TEST(Temperament, twelveNotesOneDegreeAKeyListAsTheirFit) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    ASSERT_TRUE(writeFile(app.folder() + L"\\w3.scl", "! w3.scl\nW3\n12\n90.225\n192.18\n294.135\n390.225\n498.045\n"
                                                      "588.27\n696.09\n792.18\n888.27\n996.09\n1092.18\n2/1\n"));
    openFile(app, app.folder() + L"\\w3.scl");
    app.answer(app.waitForWindow("音律"), IDOK);
    const std::string fitted = app.text(IDC_SYSEX_EDIT);
    app.postCommand(IDM_TEMPERAMENT);
    HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_LAYOUT_COMBO)));
    pickIn(app, dialog, IDC_LAYOUT_COMBO, 1);
    app.answer(dialog, IDOK);
    EXPECT_EQ(fitted, app.text(IDC_SYSEX_EDIT));
    EXPECT_EQ(kWerckmeisterOnC, offsetTexts(app));
    app.postCommand(IDM_TEMPERAMENT);
    ASSERT_TRUE(dialog = app.waitForWindow("音律"));
    EXPECT_EQ(1, selectionIn(app, dialog, IDC_LAYOUT_COMBO));
    pickIn(app, dialog, IDC_TEMPERAMENT_COMBO, kWerckmeister3);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_LAYOUT_COMBO)));
    app.answer(dialog, IDCANCEL);
    EXPECT_EQ(0u, app.close());
}

// Held from the dialog, a keyboard tuning leaves the greyed edits as they
// were, and a preset saved meanwhile stores them; a scale without a map is
// named as laid linearly.
TEST(Temperament, aKeyboardTuningHeldKeepsWhatTheGreyedEditsShow) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(0), "5");
    const std::wstring scalePath = app.folder() + L"\\bp.scl";
    ASSERT_TRUE(writeFile(scalePath, "! bp.scl\nBohlen-Pierce\n2\n1.5\n3/1\n"));
    openFile(app, scalePath);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    app.answer(app.waitForWindow("確認", dialog), IDYES);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    app.sync();
    EXPECT_FALSE(app.enabled(offsetEdit(0)));
    EXPECT_EQ("5", app.text(offsetEdit(0)));
    EXPECT_EQ("キーボード音律: Bohlen-Pierce / 直線", app.text(IDC_KEYBOARD_LINE));
    app.type(IDC_PRESET_COMBO, "Held");
    app.click(IDC_PRESET_SAVE);
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(iniLines({"[Held]", "0=5"}), app.file("Preset.ini"));
}

// A map that cannot be read names its file and line; "No" to the offer of
// the single-note form keeps the dialog open and the main window as it was.
TEST(Temperament, aBadKeyboardMapIsNamedAndDecliningTheSingleNoteFormChangesNothing) {
    VelmarinApp app(kPart3AndBit16);
    ASSERT_TRUE(app.started());
    const std::string before = app.text(IDC_SYSEX_EDIT);
    const std::wstring scalePath = app.folder() + L"\\bp.scl";
    const std::wstring mapPath = app.folder() + L"\\bad.kbm";
    // Bohlen-Pierce: thirteen steps to the tritave, 3/1.
    ASSERT_TRUE(writeFile(scalePath, "! bp.scl\nBohlen-Pierce\n2\n1.5\n3/1\n"));
    ASSERT_TRUE(writeFile(mapPath, "! bad.kbm\n0\n0\n127\n60\n69\nfour forty\n0\n"));
    openFile(app, scalePath);
    const HWND dialog = app.waitForWindow("音律");
    ASSERT_TRUE(dialog);
    EXPECT_EQ("2 音の音階、周期 1901.96 セント", lines(previewOf(app, dialog))[0]);
    PostMessageW(GetDlgItem(dialog, IDC_OPEN_KEYBOARD_MAP), BM_CLICK, 0, 0);
    const HWND open = app.waitForWindow("キーボードマップを開く", dialog);
    ASSERT_TRUE(open);
    app.type(fileNameField(open), utf8(mapPath));
    PostMessageW(GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
    const HWND box = app.waitForWindow("エラー", dialog);
    ASSERT_TRUE(box);
    EXPECT_EQ("値が数値ではありません (キーの行は数値か x)。\n\n" + utf8(mapPath) + " (7 行目)", app.boxText(box));
    app.answer(box, IDOK);

    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    const HWND offer = app.waitForWindow("確認", dialog);
    ASSERT_TRUE(offer);
    app.answer(offer, IDNO);
    EXPECT_TRUE(IsWindow(dialog));
    app.answer(dialog, IDCANCEL);
    EXPECT_EQ(before, app.text(IDC_SYSEX_EDIT));
    EXPECT_TRUE(app.enabled(offsetEdit(0)));
    EXPECT_EQ(0u, app.close());
}

}  // namespace
