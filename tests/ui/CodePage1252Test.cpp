// The window under code page 1252 (Wine with LANG=en_US.UTF-8, the
// ui_tests_cp1252 run): the English interface Windows' display language
// chooses, the Japanese one the Options choose, every text read back through
// the wide calls without a question mark, and a folder whose name the code
// page cannot hold keeping Preset.ini and Velmarin.ini.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiExpectations.h"
#include "VelmarinApp.h"

namespace {

// The caption and the controls' texts of a window hold no "?".
::testing::AssertionResult noQuestionMark(const VelmarinApp& app, HWND window) {
    std::string texts = app.text(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts += " | " + app.text(child);
    if (texts.find('?') == std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << texts;
}

struct Interface {  // refusedName: the box for a preset name code page 932 cannot hold
    const char *saveButton, *checkAll, *partLabel, *optionsCaption, *aboutCaption, *errorCaption, *aboutComments,
        *refusedName;
};

const Interface kEnglish = {"Sa&ve", "Check &all", "&Part:", "Options", "About Velmarin", "Error",
                            "Makes SysEx messages that tune each of a synthesizer's twelve note names in cents, and "
                            "saves them in MIDI files and other files.",
                            "The preset name has characters that Preset.ini cannot hold. Name the preset with "
                            "other characters."};
const Interface kJapanese = {"保存(&F)", "すべてチェック(&A)", "パート(&C):", "オプション", "バージョン情報", "エラー",
                             "シンセサイザーの12の音名それぞれの音程をセント単位で調整するSysExメッセージを作り、"
                             "MIDIファイルなどに保存します。",
                             "プリセット名に Preset.ini に保存できない文字があります。ほかの文字を使った名前にして"
                             "ください。"};

// The main window, the Options (with the language list), the About box and
// one message box, all in `expected`'s language.
void expectInterface(VelmarinApp& app, const Interface& expected, int languageChoice) {
    ASSERT_EQ(1252u, GetACP()) << "this suite runs under code page 1252 (VELMARIN_WINE_LANG=en_US.UTF-8)";
    EXPECT_EQ(expected.saveButton, app.text(IDC_PRESET_SAVE));
    EXPECT_EQ(expected.checkAll, app.text(IDC_CHECK_ALL));
    EXPECT_EQ(expected.partLabel, app.text(IDC_PART_LABEL));
    EXPECT_TRUE(noQuestionMark(app, app.window()));

    app.postCommand(IDM_OPTIONS);
    const HWND options = app.waitForWindow(expected.optionsCaption);
    ASSERT_TRUE(options);
    EXPECT_TRUE(noQuestionMark(app, options));
    EXPECT_EQ(languageChoice, app.send(GetDlgItem(options, IDC_LANGUAGE_COMBO), CB_GETCURSEL, 0, 0));
    app.answer(options, IDCANCEL);

    app.postCommand(IDM_ABOUT);
    const HWND about = app.waitForWindow(expected.aboutCaption);
    ASSERT_TRUE(about);
    EXPECT_EQ(expected.aboutComments, app.text(GetDlgItem(about, IDC_ABOUT_COMMENTS)));
    EXPECT_TRUE(noQuestionMark(app, about));
    app.answer(about, IDCANCEL);

    app.type(IDC_PRESET_COMBO, "T\xC3\xABst");
    app.postClick(IDC_PRESET_SAVE);
    const HWND box = app.waitForWindow(expected.errorCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(expected.refusedName, app.boxText(box));
    app.answer(box, IDOK);
}

TEST(CodePage1252, anEnglishWindowsGetsTheEnglishInterface) {
    // The Japanese manual alone beside the program: F1 looks for the English one.
    StartFiles files;
    files.beforeStart = [](const std::wstring& folder) { writeFile(folder + L"\\Velmarin.html", "<html>"); };
    VelmarinApp app(files);
    ASSERT_TRUE(app.started());
    expectInterface(app, kEnglish, 0);
    app.postCommand(IDM_MANUAL);
    const HWND box = app.waitForWindow("Error");
    ASSERT_TRUE(box);
    EXPECT_EQ(systemText(ERROR_FILE_NOT_FOUND), app.boxText(box));
    app.answer(box, IDOK);
    EXPECT_EQ(0u, app.close());
    // The refused name was not saved, and the language was never chosen.
    EXPECT_EQ(std::string(), app.file("Preset.ini"));
    EXPECT_EQ(std::string::npos, app.file("Velmarin.ini").value_or("").find("Language"));
}

TEST(CodePage1252, theJapaneseChoiceInTheOptionsGivesTheJapaneseInterfaceAtTheNextStart) {
    VelmarinApp first;
    ASSERT_TRUE(first.started());
    first.postCommand(IDM_OPTIONS);
    const HWND options = first.waitForWindow("Options");
    ASSERT_TRUE(options);
    first.send(GetDlgItem(options, IDC_LANGUAGE_COMBO), CB_SETCURSEL, 1, 0);
    first.answer(options, IDOK);
    EXPECT_EQ("Sa&ve", first.text(IDC_PRESET_SAVE));  // from the next start only
    EXPECT_EQ(0u, first.close());
    EXPECT_NE(std::string::npos, first.file("Velmarin.ini").value_or("").find("\r\nLanguage=ja\r\n"));

    VelmarinApp second(AnotherCopyOf{first});
    ASSERT_TRUE(second.started());
    expectInterface(second, kJapanese, 1);
    EXPECT_EQ(0u, second.close());
}

// "Tëst 音律": ë is outside code page 932 and 音律 outside 1252.
TEST(CodePage1252, aFolderNamedOutsideTheCodePageKeepsPresetsAndSettings) {
    StartFiles files;
    files.folderName = "T\xC3\xABst \xE9\x9F\xB3\xE5\xBE\x8B";
    VelmarinApp first(files);
    ASSERT_TRUE(first.started());
    first.type(IDC_PRESET_COMBO, "\xE9\x9F\xB3\xE5\xBE\x8B");
    first.click(IDC_PRESET_SAVE);
    first.click(IDC_CHECK_ALL);
    EXPECT_EQ(0u, first.close());
    // The name in code page 932 whatever the system's code page.
    EXPECT_EQ(iniLines({"[\x89\xB9\x97\xA5]"}), first.file("Preset.ini"));
    EXPECT_NE(std::string::npos, first.file("Velmarin.ini").value_or("").find("\r\nMidiPartOrChannel=65535\r\n"));

    VelmarinApp second(AnotherCopyOf{first});
    ASSERT_TRUE(second.started());
    EXPECT_EQ(std::vector<std::string>{"\xE9\x9F\xB3\xE5\xBE\x8B"}, second.items(IDC_PRESET_COMBO));
    EXPECT_TRUE(second.checked(partBox(16)));
    second.postCommand(IDM_ABOUT);
    const HWND about = second.waitForWindow("About Velmarin");
    EXPECT_NE(std::string::npos, second.text(GetDlgItem(about, IDC_ABOUT_PATH)).find(files.folderName));
    second.answer(about, IDCANCEL);
    EXPECT_EQ(0u, second.close());
}

}  // namespace
