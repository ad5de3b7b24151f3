// Code page 932 text as the INI files hold it on every system; the bytes are
// typed from Microsoft's table (unicode.org MICSFT/WINDOWS/CP932.TXT).
#include <gtest/gtest.h>

#include <string>

#include "TestBytes.h"
#include "base/Cp932Text.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"

namespace {

TEST(Cp932Text, heldCharactersRoundTripThroughTheirCodes) {
    const struct {
        const char* name;
        const char* utf8;
        const char* cp932;
    } rows[] = {
        {"empty", "", ""},
        {"ASCII, 5C and 7E being backslash and tilde", "Velmarin 1~\\", "56 65 6C 6D 61 72 69 6E 20 31 7E 5C"},
        {"first and last half-width katakana", "\xEF\xBD\xA1\xEF\xBE\x9F", "A1 DF"},
        {"hiragana a", "\xE3\x81\x82", "82 A0"},
        {"two kanji", "\xE9\x9F\xB3\xE5\xBE\x8B", "89 B9 97 A5"},
        {"fullwidth tilde is 81 60", "\xEF\xBD\x9E", "81 60"},
        {"hyphen is 81 5D", "\xE2\x80\x90", "81 5D"},
        {"fullwidth hyphen-minus is 81 7C", "\xEF\xBC\x8D", "81 7C"},
        {"circled one, NEC row 13", "\xE2\x91\xA0", "87 40"},
        {"an IBM extension whose trail byte is 5C", "\xE7\xBA\x8A", "FA 5C"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes = "untouched";
        ASSERT_TRUE(cp932FromUtf8(row.utf8, bytes));
        EXPECT_TRUE(bytesEqual(hexBytes(row.cp932), bytes));
        EXPECT_EQ(row.utf8, utf8FromCp932(bytes));
    }
    // The NEC-selected copy of that IBM extension reads as the same character.
    EXPECT_EQ("\xE7\xBA\x8A", utf8FromCp932("\xED\x40"));
}

// No "?", and no look-alike's code that would read back as another character.
TEST(Cp932Text, charactersTheCodePageCannotHoldAreRefused) {
    const struct {
        const char *name, *utf8;
    } rows[] = {
        {"e with diaeresis", "T\xC3\xABst"},
        {"wave dash, which Windows writes as the fullwidth tilde's 81 60", "\xE3\x80\x9C"},
        {"yen sign, which Windows writes as 5C", "\xC2\xA5"},
        {"outside the basic plane", "\xF0\x9F\x98\x80"},
        {"one such character among held ones", "T\xC3\xABst \xE9\x9F\xB3\xE5\xBE\x8B"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes = "untouched";
        EXPECT_FALSE(cp932FromUtf8(row.utf8, bytes));
        EXPECT_EQ("untouched", bytes);
    }
}

// The byte-order mark rule stays: skipped, and the names after it are 932.
TEST(Cp932Text, aPresetFileWithAByteOrderMarkKeepsItsNamesInCodePage932) {
    IniFile file;
    file.parse("\xEF\xBB\xBF[\x89\xB9\x97\xA5]\r\nC=1\r\n");
    ASSERT_EQ(1u, file.sections().size());
    EXPECT_EQ("\xE9\x9F\xB3\xE5\xBE\x8B", utf8FromCp932(file.sections()[0].name));
}

// The stored choice, else Windows' display language; an unknown value is none.
TEST(AppSettings, theLanguageSettingOverridesWindowsDisplayLanguage) {
    const struct {
        const char* stored;
        bool windowsIsJapanese, english;
    } rows[] = {{"", true, false}, {"", false, true}, {"ja", false, false},
                {"en", true, true}, {"JA", false, true}, {"de", true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.stored) + (row.windowsIsJapanese ? " on Japanese" : " on other"));
        IniFile file;
        file.parse(std::string("[AppSetting]\r\nLanguage=") + row.stored + "\r\n");
        EXPECT_EQ(row.english, chooseEnglishInterface(readAppSettings(file).language, row.windowsIsJapanese));
    }
}

}  // namespace
