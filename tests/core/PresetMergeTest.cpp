#include <gtest/gtest.h>

#include <sstream>

#include "TestBytes.h"
#include "settings/PresetMerge.h"

namespace {

// Presets written short: "A:1 B:2" is [A] holding "0=1", then [B] holding "0=2".
IniFile presets(const std::string& text) {
    std::istringstream words(text);
    IniFile file;
    for (std::string word; words >> word;) {
        const std::size_t colon = word.find(':');
        file.setValue(word.substr(0, colon), "0", word.substr(colon + 1));
    }
    return file;
}

std::string shortForm(const std::vector<IniSection>& sections) {
    std::string text;
    for (const IniSection& section : sections) {
        if (!text.empty()) text += ' ';
        text += section.name + ':' + (section.lines.empty() ? "" : section.lines.front().substr(2));
    }
    return text;
}

TEST(PresetMerge, thisCopysChangesWinAndEverythingElseIsTakenFromDisk) {
    const struct {
        const char* name;
        const char* base;
        const char* disk;
        const char* mine;
        const char* merged;
    } rows[] = {
        {"unchanged on both sides", "P:0 X:1", "P:0 X:1", "P:0 X:1", "P:0 X:1"},
        {"changed on disk", "P:0 X:1", "P:0 X:2", "P:0 X:1", "P:0 X:2"},
        {"deleted on disk", "P:0 X:1", "P:0", "P:0 X:1", "P:0"},
        {"changed here", "P:0 X:1", "P:0 X:1", "P:0 X:3", "P:0 X:3"},
        {"changed here and on disk", "P:0 X:1", "P:0 X:2", "P:0 X:3", "P:0 X:3"},
        {"changed here, deleted on disk", "P:0 X:1 Y:1", "P:0 Y:1", "P:0 X:3 Y:1", "P:0 Y:1 X:3"},
        {"deleted here", "P:0 X:1", "P:0 X:1", "P:0", "P:0"},
        {"deleted here, changed on disk", "P:0 X:1", "P:0 X:2", "P:0", "P:0"},
        {"deleted on both sides", "P:0 X:1", "P:0", "P:0", "P:0"},
        {"added on disk", "P:0", "P:0 X:2", "P:0", "P:0 X:2"},
        {"added here", "P:0", "P:0", "P:0 X:3", "P:0 X:3"},
        {"added on both sides", "P:0", "P:0 X:2", "P:0 X:3", "P:0 X:3"},
        {"added under another ASCII case keeps the place on disk", "P:0", "X:2 P:0", "P:0 x:3", "x:3 P:0"},
        {"new presets of both copies: disk's order, then this copy's", "A:1 B:1", "A:1 B:1 D:1 E:1",
         "A:1 B:1 F:1 G:1", "A:1 B:1 D:1 E:1 F:1 G:1"},
        {"a change here and a deletion there", "A:1 B:1 C:1", "B:1 C:1 D:1", "A:1 B:5 C:1", "B:5 C:1 D:1"},
        {"nothing loaded: every preset here is new", "", "A:1 B:1", "B:2 C:2", "A:1 B:2 C:2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.merged, shortForm(mergePresets(presets(row.base), presets(row.disk), presets(row.mine))));
    }
}

TEST(PresetMerge, onlyTheFirstOfDuplicateSectionsIsThePreset) {
    IniFile base;
    base.parse("[X]\r\n0=1\r\n[X]\r\n0=9\r\n");
    IniFile mine = base;
    mine.setValue("X", "0", "3");
    IniFile disk;
    disk.parse("[X]\r\n0=1\r\n[X]\r\n0=9\r\n[Y]\r\n");
    EXPECT_EQ("X:3 X:9 Y:", shortForm(mergePresets(base, disk, mine)));
}

TEST(PresetMerge, theFileIsMergedOnlyWhenItChangedOnDisk) {
    ScratchFolder folder;
    const std::string path = folder.path("Preset.ini");
    writeFile(path, "[A]\r\n0=1\r\n\r\n[B]\r\n0=1\r\n");
    IniFile mine;
    ASSERT_TRUE(mine.load(path));
    mine.deleteSection("A");
    mine.setValue("C", "0", "3");

    EXPECT_EQ(0u, savePresetFile(mine));  // unchanged on disk: written as it is here
    EXPECT_EQ("[B]\r\n0=1\r\n\r\n[C]\r\n0=3\r\n", readFile(path));

    writeFile(path, "[A]\r\n0=1\r\n\r\n[B]\r\n0=2\r\n\r\n[D]\r\n0=4\r\n");  // another copy's save
    EXPECT_EQ(0u, savePresetFile(mine));
    EXPECT_EQ("[B]\r\n0=2\r\n\r\n[D]\r\n0=4\r\n\r\n[C]\r\n0=3\r\n", readFile(path));
}

}  // namespace
