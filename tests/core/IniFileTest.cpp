#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "TestBytes.h"
#include "settings/IniFile.h"

namespace {

IniFile parsed(const std::string& bytes) {
    IniFile file;
    file.parse(bytes);
    return file;
}

::testing::AssertionResult linesAre(const IniFile& file, std::size_t index,
                                    const std::string& name,
                                    const std::vector<std::string>& lines) {
    if (index >= file.sections().size())
        return ::testing::AssertionFailure() << "no section " << index;
    const IniSection& section = file.sections()[index];
    if (section.name != name)
        return ::testing::AssertionFailure() << "section " << index << " is [" << section.name
                                             << "], not [" << name << "]";
    if (section.lines != lines) {
        auto failure = ::testing::AssertionFailure();
        failure << "section [" << name << "] holds";
        for (const auto& line : section.lines) failure << " <" << dumpBytes(Bytes(line.begin(), line.end())) << ">";
        return failure;
    }
    return ::testing::AssertionSuccess();
}

TEST(IniFile, fixturesLoadByTheByteRules) {
    IniFile file;
    ASSERT_TRUE(file.load(fixturePath("ini/bom.ini")));
    ASSERT_EQ(2u, file.sections().size());  // the byte-order mark is skipped
    EXPECT_TRUE(linesAre(file, 0, "First", {"key=first"}));
    EXPECT_TRUE(linesAre(file, 1, "Second", {"key=kept"}));
    EXPECT_EQ("[First]\r\nkey=first\r\n\r\n[Second]\r\nkey=kept\r\n", file.serialize());

    ASSERT_TRUE(file.load(fixturePath("ini/mixed_line_ends.ini")));
    ASSERT_EQ(1u, file.sections().size());  // "[B]\r" is not a header
    EXPECT_TRUE(linesAre(file, 0, "A", {"lf=1", "crlf=2\r", "lone\rcr=3", "[B]\r", "x=4"}));

    ASSERT_TRUE(file.load(fixturePath("ini/nul_and_1a.ini")));
    ASSERT_EQ(2u, file.sections().size());
    EXPECT_TRUE(linesAre(file, 0, "Nul", {std::string("k=a\0b", 5), "\x1a=after-1A"}));
    EXPECT_TRUE(linesAre(file, 1, "Next", {"z=1"}));

    ASSERT_TRUE(file.load(fixturePath("ini/no_final_line_end.ini")));
    EXPECT_TRUE(linesAre(file, 0, "S", {"first=1", "last=no line end"}));

    ASSERT_TRUE(file.load(fixturePath("ini/comments_and_blanks.ini")));
    ASSERT_EQ(3u, file.sections().size());
    EXPECT_TRUE(linesAre(file, 0, "Main", {"a=1", " ;not a comment"}));
    EXPECT_TRUE(linesAre(file, 1, " Spaced ", {}));
    EXPECT_TRUE(linesAre(file, 2, "", {"[abc", "[abc] ;note", "["}));
}

TEST(IniFile, onlyAByteOrderMarkAtTheVeryStartIsSkipped) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> sectionNames;
    } rows[] = {
        {"at the start", "\xEF\xBB\xBF[A]\r\n", {"A"}},
        {"twice: the second is part of the line", "\xEF\xBB\xBF\xEF\xBB\xBF[A]\r\n[B]\r\n", {"B"}},
        {"at a later line", "[A]\r\n\xEF\xBB\xBF[B]\r\n", {"A"}},
        {"cut short", "\xEF\xBB[A]\r\n", {}},
        {"inside a name", "[\xEF\xBB\xBF]\r\n", {"\xEF\xBB\xBF"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const IniFile file = parsed(row.bytes);
        std::vector<std::string> names;
        for (const IniSection& section : file.sections()) names.push_back(section.name);
        EXPECT_EQ(row.sectionNames, names);
    }
}

TEST(IniFile, loadOfAMissingFileKeepsTheContentButTakesThePath) {
    ScratchFolder folder;
    IniFile file;
    file.parse("[Kept]\r\na=1\r\n");
    EXPECT_FALSE(file.load(folder.path("missing.ini")));
    EXPECT_EQ(folder.path("missing.ini"), file.path());
    EXPECT_TRUE(file.hasSection("Kept"));
    file.save();  // creates the file at the new path
    EXPECT_EQ("[Kept]\r\na=1\r\n", readFile(folder.path("missing.ini")));

    EXPECT_FALSE(file.load(""));
    EXPECT_EQ("", file.path());
    EXPECT_TRUE(file.hasSection("Kept"));
    file.save();  // no path: nothing is written anywhere
    EXPECT_EQ(std::vector<std::string>{"missing.ini"}, folder.fileNames());

    writeFile(folder.path("headerless.ini"), "a=1\r\nb=2");
    EXPECT_TRUE(file.load(folder.path("headerless.ini")));
    EXPECT_TRUE(file.sections().empty());
}

TEST(IniFile, savedFileIsTheSpecifiedLayoutAfterEveryChange) {
    ScratchFolder folder;
    const std::string path = folder.path("Velmarin.ini");
    writeFile(path, "; settings\r\n\r\n[AppSetting]\r\nLeft=10\r\n\r\nTop=20\r\n[Old]\r\n");
    IniFile file;
    ASSERT_TRUE(file.load(path));
    file.save();
    EXPECT_EQ("[AppSetting]\r\nLeft=10\r\nTop=20\r\n\r\n[Old]\r\n", readFile(path));

    const struct {
        const char* step;
        std::function<void(IniFile&)> change;
        const char* expected;
    } steps[] = {
        {"replace keeps the place and takes the caller's spelling",
         [](IniFile& f) { f.setValue("appsetting", "LEFT", "7"); },
         "[AppSetting]\r\nLEFT=7\r\nTop=20\r\n\r\n[Old]\r\n"},
        {"a new key goes to the end of its section",
         [](IniFile& f) { f.setValue("Old", "k", ""); },
         "[AppSetting]\r\nLEFT=7\r\nTop=20\r\n\r\n[Old]\r\nk=\r\n"},
        {"a new section goes to the end of the document",
         [](IniFile& f) { f.setValue("New", "x", "a=b"); },
         "[AppSetting]\r\nLEFT=7\r\nTop=20\r\n\r\n[Old]\r\nk=\r\n\r\n[New]\r\nx=a=b\r\n"},
        {"deleting a key keeps the section",
         [](IniFile& f) { EXPECT_TRUE(f.deleteKey("OLD", "K")); },
         "[AppSetting]\r\nLEFT=7\r\nTop=20\r\n\r\n[Old]\r\n\r\n[New]\r\nx=a=b\r\n"},
        {"deleting a section",
         [](IniFile& f) { EXPECT_TRUE(f.deleteSection("appSetting")); },
         "[Old]\r\n\r\n[New]\r\nx=a=b\r\n"},
        {"missing names change nothing",
         [](IniFile& f) {
             EXPECT_FALSE(f.deleteSection("None"));
             EXPECT_FALSE(f.deleteKey("None", "x"));
             EXPECT_FALSE(f.deleteKey("New", "y"));
         },
         "[Old]\r\n\r\n[New]\r\nx=a=b\r\n"},
        {"an empty document is an empty file",
         [](IniFile& f) {
             f.deleteSection("Old");
             f.deleteSection("New");
         },
         ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.change(file);
        file.save();
        EXPECT_TRUE(bytesEqual(Bytes(step.expected, step.expected + std::strlen(step.expected)),
                               readFile(path)));
    }
}

TEST(IniFile, keysSplitAtTheFirstEqualsSign) {
    IniFile file = parsed("[S]\r\nKey = Value\r\na=b=c\r\n=x\r\nempty=\r\nnoequals\r\nk=1\r\nk=2\r\n");
    std::string value;
    EXPECT_FALSE(file.getValue("S", "Key", value));
    EXPECT_TRUE(file.getValue("S", "Key ", value));
    EXPECT_EQ(" Value", value);
    EXPECT_TRUE(file.getValue("S", "a", value));
    EXPECT_EQ("b=c", value);
    EXPECT_TRUE(file.getValue("S", "", value));
    EXPECT_EQ("x", value);
    EXPECT_TRUE(file.getValue("S", "empty", value));
    EXPECT_EQ("", value);
    EXPECT_FALSE(file.getValue("S", "noequals", value));
    EXPECT_EQ("1", file.getValueOr("S", "k", "d"));
    EXPECT_EQ("d", file.getValueOr("S", "missing", "d"));
    EXPECT_EQ("d", file.getValueOr("Missing", "k", "d"));

    file.setValue("S", "Key", "v");  // «Key » is another key: a second line is added
    file.setValue("S", "k", "3");    // only the first k is replaced
    EXPECT_TRUE(linesAre(file, 0, "S",
                         {"Key = Value", "a=b=c", "=x", "empty=", "noequals", "k=3", "k=2", "Key=v"}));
    EXPECT_TRUE(file.deleteKey("S", "k"));
    EXPECT_EQ("2", file.getValueOr("S", "k", "d"));
    EXPECT_EQ(1u, file.sections().size());  // lookups never create anything
}

TEST(IniFile, duplicateSectionsReachOnlyTheFirst) {
    IniFile file;
    ASSERT_TRUE(file.load(fixturePath("ini/duplicate_sections.ini")));
    ASSERT_EQ(3u, file.sections().size());
    EXPECT_EQ("1", file.getValueOr("ABC", "K", ""));
    file.setValue("abc", "new", "1");
    EXPECT_TRUE(linesAre(file, 0, "Abc", {"k=1", "k=2", "new=1"}));
    EXPECT_TRUE(file.deleteSection("abc"));
    EXPECT_TRUE(linesAre(file, 0, "ABC", {"k=3"}));
    EXPECT_EQ("[ABC]\r\nk=3\r\n\r\n[abc]\r\n", file.serialize());
}

TEST(IniFile, nameComparisonFoldsOnlyAsciiLetters) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } rows[] = {
        {"LEFT", "left", true},     {"Left", "LEFT", true},  {"left", "lef", false},
        {"[", "{", false},          {"@", "`", false},       {"\xC0", "\xE0", false},
        {"\x83\x41", "\x83\x61", true},  // a trail byte 41 folds like a letter
        {"\x82\xA0", "\x82\xA0", true},  {"", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " / " + row.b);
        EXPECT_EQ(row.equal, iniNamesEqual(row.a, row.b));
    }
}

TEST(IniFile, saveAndLoadGiveTheSameDocument) {
    const std::string original =
        "junk\n[First]\nplain\n;c\n[ odd ] \n[]\n=\n[x]]\n\xFF\xFE\n[Last]\r\r\n";
    IniFile first = parsed(original);
    IniFile second = parsed(first.serialize());
    ASSERT_EQ(first.sections().size(), second.sections().size());
    for (std::size_t i = 0; i < first.sections().size(); ++i)
        EXPECT_TRUE(linesAre(second, i, first.sections()[i].name, first.sections()[i].lines));
    EXPECT_EQ(first.serialize(), second.serialize());
}

TEST(IniFile, largeAndHostileInputs) {
    std::string longLine(1 << 20, 'v');
    std::string bytes = "[Big]\r\nk=" + longLine + "\r\n";
    for (int i = 0; bytes.size() < 10 * 1024 * 1024; ++i)
        bytes += "[S" + std::to_string(i) + "]\r\n" + std::string(1000, '\0') + "\r\n\x1a\r\r\n";
    ScratchFolder folder;
    writeFile(folder.path("big.ini"), bytes);
    IniFile file;
    ASSERT_TRUE(file.load(folder.path("big.ini")));
    EXPECT_EQ(longLine.size() + 2, file.sections().front().lines.front().size());
    file.save();
    IniFile again;
    ASSERT_TRUE(again.load(folder.path("big.ini")));
    EXPECT_EQ(file.sections().size(), again.sections().size());
    EXPECT_EQ(file.serialize(), again.serialize());
}

}  // namespace
