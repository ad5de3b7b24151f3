// Presets: the list, picking, saving with and without the overwrite question,
// deleting, the questions themselves, and Preset.ini as written at close.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "HexBytes.h"
#include "UiExpectations.h"
#include "VelmarinApp.h"

namespace {

constexpr char kOverwriteQuestion[] = "プリセットを上書きしますか?";
constexpr char kDeleteQuestion[] = "プリセットを削除しますか?";

// Three presets: one without lines, one written by hand with values to clamp,
// one with a Japanese name (code page 932 bytes in the file).
const std::string kPresetFile = iniLines({"[Equal]", "", "[Odd values]", "0=100", "1=-100", "2=abc", "3=5abc",
                                          "5=-7", "11= 9", "", "[" + cp932("純正律") + "]", "4=-14"});
const std::vector<std::string> kPresetNames = {"Equal", "Odd values", "純正律"};

// One part ticked, so the listing shows the offsets.
StartFiles withPresets(const std::string& presets) {
    return StartFiles{iniLines({"[AppSetting]", "MidiPartOrChannel=1"}), presets};
}

std::array<std::string, 12> offsets(const VelmarinApp& app) {
    std::array<std::string, 12> texts;
    for (int k = 0; k < 12; ++k) texts[k] = app.text(offsetEdit(k));
    return texts;
}

void typeOffsets(VelmarinApp& app, const std::array<const char*, 12>& texts) {
    for (int k = 0; k < 12; ++k) app.type(offsetEdit(k), texts[k]);
}

// Clicking Save must not open anything: a question would block the click.
void saveWithoutQuestion(VelmarinApp& app, const std::string& name) {
    app.type(IDC_PRESET_COMBO, name);
    app.click(IDC_PRESET_SAVE);
    EXPECT_TRUE(app.ownedWindows().empty());
}

// Clicks a button whose command asks first, checks the question and answers it.
void answerQuestion(VelmarinApp& app, int button, const char* question, int answer) {
    app.postClick(button);
    const HWND box = app.waitForWindow(kWarningCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(question, app.boxText(box));
    EXPECT_TRUE(app.boxHasButton(box, IDYES));
    EXPECT_TRUE(app.boxHasButton(box, IDNO));
    EXPECT_FALSE(app.boxHasButton(box, IDOK));
    EXPECT_FALSE(app.boxHasButton(box, IDCANCEL));
    app.answer(box, answer);
}

TEST(Presets, areListedInFileOrderWithAnEmptyNameField) {
    VelmarinApp app(withPresets(kPresetFile));
    ASSERT_TRUE(app.started());
    EXPECT_EQ(kPresetNames, app.items(IDC_PRESET_COMBO));
    EXPECT_EQ(CB_ERR, app.selection(IDC_PRESET_COMBO));
    EXPECT_EQ("", app.text(IDC_PRESET_COMBO));
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile, app.file("Preset.ini"));  // written back as read
}

TEST(Presets, pickingOneFillsTheTwelveEditsWithClampedValuesAndRefreshesOnce) {
    const struct {
        int index;
        std::array<const char*, 12> offsets;
        std::string listing;
    } picks[] = {
        {1,
         {"63", "-64", "0", "5", "0", "-7", "0", "0", "0", "0", "0", "9"},
         "F0 41 10 42 12 40 11 40 7F 00 40 45 40 39 40 40 40 40 40 49 69 F7"},
        {0, {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}, gsPart1("40", "6F")},
        {2,
         {"0", "0", "0", "0", "-14", "0", "0", "0", "0", "0", "0", "0"},
         "F0 41 10 42 12 40 11 40 40 40 40 40 32 40 40 40 40 40 40 40 7D F7"},
    };
    VelmarinApp app(withPresets(kPresetFile));
    ASSERT_TRUE(app.started());
    typeOffsets(app, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
    for (const auto& pick : picks) {
        SCOPED_TRACE(kPresetNames[pick.index]);
        app.listingUpdates();
        app.pick(IDC_PRESET_COMBO, pick.index);
        std::array<std::string, 12> expected;
        for (int k = 0; k < 12; ++k) expected[k] = pick.offsets[k];
        EXPECT_EQ(expected, offsets(app));
        EXPECT_EQ(pick.listing, app.text(IDC_SYSEX_EDIT));
        EXPECT_EQ(1, app.listingUpdates());
        EXPECT_EQ(kPresetNames[pick.index], app.text(IDC_PRESET_COMBO));
    }
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile, app.file("Preset.ini"));  // picking changes nothing
}

TEST(Presets, savingUnderNewNamesAppendsSectionsWithTheNonZeroClampedOffsets) {
    VelmarinApp app(withPresets(kPresetFile));
    ASSERT_TRUE(app.started());
    typeOffsets(app, {"99", "-10", "abc", "0", "14", "", "-", "0", "0", "-70", "0", "63"});
    saveWithoutQuestion(app, "Example");
    typeOffsets(app, {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
    saveWithoutQuestion(app, " [x]=;平均律 ");  // kept as typed, blanks and all
    std::vector<std::string> names = kPresetNames;
    names.push_back("Example");
    names.push_back(" [x]=;平均律 ");
    EXPECT_EQ(names, app.items(IDC_PRESET_COMBO));

    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile + iniLines({"", "[Example]", "0=63", "1=-10", "4=14", "9=-64", "11=63", "",
                                      "[" + cp932(" [x]=;平均律 ") + "]"}),
              app.file("Preset.ini"));
}

TEST(Presets, savingUnderAnExistingNameAsksFirst) {
    const struct {
        const char* name;
        const char* typedName;
        int answer;
        std::string written;  // Preset.ini at close
    } rows[] = {
        {"No keeps the preset", "Odd values", IDNO, kPresetFile},
        {"Yes replaces its lines in place", "Odd values", IDYES,
         iniLines({"[Equal]", "", "[Odd values]", "1=-10", "4=14", "", "[" + cp932("純正律") + "]", "4=-14"})},
        {"a name in other ASCII case is the same preset and keeps its spelling", "oDD VALUES", IDYES,
         iniLines({"[Equal]", "", "[Odd values]", "1=-10", "4=14", "", "[" + cp932("純正律") + "]", "4=-14"})},
        {"a preset without lines gets its first", "EQUAL", IDYES,
         iniLines({"[Equal]", "1=-10", "4=14", "", "[Odd values]", "0=100", "1=-100", "2=abc", "3=5abc", "5=-7",
                   "11= 9", "", "[" + cp932("純正律") + "]", "4=-14"})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(withPresets(kPresetFile));
        ASSERT_TRUE(app.started());
        typeOffsets(app, {"0", "-10", "0", "0", "14", "0", "0", "0", "0", "0", "0", "0"});
        app.type(IDC_PRESET_COMBO, row.typedName);
        answerQuestion(app, IDC_PRESET_SAVE, kOverwriteQuestion, row.answer);
        EXPECT_EQ(kPresetNames, app.items(IDC_PRESET_COMBO));
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(row.written, app.file("Preset.ini"));
    }
}

TEST(Presets, saveWithAnEmptyNameDoesNothing) {
    VelmarinApp app(withPresets(kPresetFile));
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(0), "5");
    saveWithoutQuestion(app, "");
    EXPECT_EQ(kPresetNames, app.items(IDC_PRESET_COMBO));
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile, app.file("Preset.ini"));
}

TEST(Presets, deletingAsksFirst) {
    const struct {
        const char* name;
        int answer;
        std::vector<std::string> listed;
        std::string nameField;
        std::string written;
    } rows[] = {
        {"No keeps the preset", IDNO, kPresetNames, "Odd values", kPresetFile},
        {"Yes removes the section and the item", IDYES, {"Equal", "純正律"}, "",
         iniLines({"[Equal]", "", "[" + cp932("純正律") + "]", "4=-14"})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(withPresets(kPresetFile));
        ASSERT_TRUE(app.started());
        app.pick(IDC_PRESET_COMBO, 1);
        const auto picked = offsets(app);
        answerQuestion(app, IDC_PRESET_DELETE, kDeleteQuestion, row.answer);
        EXPECT_EQ(row.listed, app.items(IDC_PRESET_COMBO));
        EXPECT_EQ(row.nameField, app.text(IDC_PRESET_COMBO));
        EXPECT_EQ(picked, offsets(app));  // the edits keep the values

        // After a delete the name field is empty, so Save does nothing.
        if (row.answer == IDYES) saveWithoutQuestion(app, app.text(IDC_PRESET_COMBO));
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(row.written, app.file("Preset.ini"));
    }
}

TEST(Presets, deleteWithNothingPickedDoesNothing) {
    VelmarinApp app(withPresets(kPresetFile));
    ASSERT_TRUE(app.started());
    app.click(IDC_PRESET_DELETE);  // a question would block the click
    EXPECT_TRUE(app.ownedWindows().empty());
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile, app.file("Preset.ini"));
}

// Another program holds Preset.ini open without sharing while Velmarin
// starts: the presets the program could not read are not replaced at close
// by the few it knows.
TEST(Presets, aFileThatCouldNotBeReadAtStartIsNotWrittenOver) {
    HANDLE holder = INVALID_HANDLE_VALUE;
    StartFiles files = withPresets(kPresetFile);
    files.beforeStart = [&](const std::wstring& folder) {
        holder = CreateFileW((folder + L"\\Preset.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    VelmarinApp app(files);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    CloseHandle(holder);
    ASSERT_TRUE(app.started());
    EXPECT_TRUE(app.items(IDC_PRESET_COMBO).empty());
    app.type(offsetEdit(0), "5");
    saveWithoutQuestion(app, "New");
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile, app.file("Preset.ini"));
    EXPECT_TRUE(app.file("Velmarin.ini"));
}

// Two copies started from one folder: each close keeps what the other saved
// or deleted.
TEST(Presets, twoCopiesDoNotEraseEachOthersPresets) {
    VelmarinApp first(withPresets(kPresetFile));
    ASSERT_TRUE(first.started());
    VelmarinApp second(AnotherCopyOf{first});
    ASSERT_TRUE(second.started());

    first.type(offsetEdit(0), "5");
    saveWithoutQuestion(first, "甲");
    second.type(offsetEdit(1), "-7");
    saveWithoutQuestion(second, "乙");
    second.pick(IDC_PRESET_COMBO, 1);
    answerQuestion(second, IDC_PRESET_DELETE, kDeleteQuestion, IDYES);

    EXPECT_EQ(0u, first.close());
    EXPECT_EQ(0u, second.close());
    EXPECT_EQ(iniLines({"[Equal]", "", "[" + cp932("純正律") + "]", "4=-14", "", "[" + cp932("甲") + "]", "0=5", "",
                        "[" + cp932("乙") + "]", "1=-7"}),
              first.file("Preset.ini"));
}

// A question that ends without Yes (MessageBox gives 0 when it cannot show
// the box) changes nothing.
TEST(Presets, aQuestionEndedWithoutAnAnswerIsANo) {
    const struct {
        const char* name;
        int button;
    } rows[] = {{"overwrite", IDC_PRESET_SAVE}, {"delete", IDC_PRESET_DELETE}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmarinApp app(withPresets(kPresetFile));
        ASSERT_TRUE(app.started());
        app.pick(IDC_PRESET_COMBO, 1);
        app.type(offsetEdit(0), "5");
        app.postClick(row.button);
        const HWND box = app.waitForWindow(kWarningCaption);
        ASSERT_TRUE(box);
        app.endWithoutAnswer(box);
        EXPECT_EQ(kPresetNames, app.items(IDC_PRESET_COMBO));
        EXPECT_EQ(0u, app.close());
        EXPECT_EQ(kPresetFile, app.file("Preset.ini"));
    }
}

// Keys held from a file (key 60 470 cents up, as the song command's test
// drops it): a preset saved stores what the greyed edits show, C held at 63
// with its exact 470 cents; a preset chosen then replaces the keys.
TEST(Presets, aPresetChosenReplacesAKeyboardTuningHeld) {
    VelmarinApp app(withPresets(kPresetFile));
    ASSERT_TRUE(app.started());
    const std::wstring keys = app.folder() + L"\\key60.syx";
    ASSERT_TRUE(writeFile(keys, hexString("F0 7F 7F 08 02 00 01 3C 40 59 4D F7")));
    app.dropFile(keys);
    app.sync();
    ASSERT_FALSE(app.enabled(offsetEdit(0))) << "the keys were not held";
    saveWithoutQuestion(app, "Keys");

    app.pick(IDC_PRESET_COMBO, 2);
    EXPECT_TRUE(app.enabled(offsetEdit(0)));
    EXPECT_FALSE(IsWindowVisible(app.item(IDC_KEYBOARD_LINE)));
    // In the file's single-note form: key 60 as it is, E4 (key 64) 14 cents
    // down: key 63 and 0.86 x 16384 = 14090.24 steps, rounded up: 14091 = 6E 0B.
    const std::string listed = app.text(IDC_SYSEX_EDIT);
    EXPECT_NE(std::string::npos, listed.find("3C 3C 00 00")) << listed;
    EXPECT_NE(std::string::npos, listed.find("40 3F 6E 0B")) << listed;
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(kPresetFile + iniLines({"", "[Keys]", "0=63", "Hundredths0=47000"}), app.file("Preset.ini"));
}

}  // namespace
