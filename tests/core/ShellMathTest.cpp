#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "shell/CenteringMath.h"
#include "base/PathText.h"
#include "shell/ShellExecuteError.h"
#include "shell/UpdatesScope.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "base/SystemErrorText.h"
#endif

namespace {

TEST(CenteringMath, centresThenClampsIntoTheArea) {
    const PlainRect screen{0, 0, 1024, 768};
    const PlainRect huge{-100000, -100000, 100000, 100000};
    const struct {
        const char* name;
        PlainRect reference;
        int32_t width, height;
        PlainRect area;
        PlainPoint expected;
    } rows[] = {
        {"plain", {100, 100, 500, 400}, 200, 100, screen, {200, 200}},
        {"odd sizes truncate", {0, 0, 101, 101}, 51, 51, huge, {25, 25}},
        {"negative sums truncate toward zero", {-1001, 0, 0, 600}, 0, 0, huge, {-500, 300}},
        {"negative odd size", {-1001, -3, 0, 0}, 3, 3, huge, {-501, -2}},
        {"sticks out right", {900, 0, 1024, 100}, 300, 50, screen, {724, 25}},
        {"sticks out left", {0, 0, 100, 100}, 300, 50, screen, {0, 25}},
        {"sticks out at the bottom", {0, 700, 100, 768}, 50, 300, screen, {25, 468}},
        {"wider than the area, centred left of it", {-500, 0, 100, 100}, 2000, 10, screen, {0, 45}},
        {"wider than the area, centred right of its left edge", {1900, 0, 2100, 100}, 2000, 10, screen, {-976, 45}},
        {"area on a monitor left of the primary", {-1500, 100, -1000, 300}, 100, 50,
         {-1920, 0, 0, 1080}, {-1300, 175}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PlainPoint at = centeredPosition(row.reference, row.width, row.height, row.area);
        EXPECT_EQ(row.expected.x, at.x);
        EXPECT_EQ(row.expected.y, at.y);
    }
    // Extreme rectangles must not overflow.
    const PlainPoint extreme =
        centeredPosition({INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX}, 10, 10, {INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(INT_MAX - 10, extreme.x);
}

TEST(PathText, fileBesideTheExecutable) {
    const std::string longFolder = "C:\\" + std::string(243, 'd') + "\\";  // 247 characters
    const struct {
        const char* name;
        std::string modulePath;
        bool truncated;
        const char* fileName;
        std::string expected;
    } rows[] = {
        {"plain", "C:\\Tools\\Velmarin.exe", false, "Velmarin.ini", "C:\\Tools\\Velmarin.ini"},
        {"no backslash", "Velmarin.exe", false, "Preset.ini", "Preset.ini"},
        {"a slash is no separator", "C:/Tools/Velmarin.exe", false, "Preset.ini", "Preset.ini"},
        {"UNC", "\\\\server\\share\\v.exe", false, "Preset.ini", "\\\\server\\share\\Preset.ini"},
        {"kanji with trail byte 5C", "C:\\\x95\x5C\\v.exe", false, "Preset.ini",
         "C:\\\x95\x5C\\Preset.ini"},
        {"kanji at the end of the name", "C:\\\x83\x5C.exe", false, "Preset.ini", "C:\\Preset.ini"},
        {"truncated module path", "C:\\Tools\\Velmari", true, "Preset.ini", ""},
        {"259 characters fit", longFolder + "v.exe", false, "Velmarin.ini", longFolder + "Velmarin.ini"},
        {"260 do not", longFolder + "v.exe", false, "Velmarin.html", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected,
                  fileBesideModule(row.modulePath, row.truncated, row.fileName, isCp932LeadByte));
    }
}

TEST(UpdatesScope, givesBackThePreviousValueHoweverTheScopeEnds) {
    int32_t updatesEnabled = 1;
    try {
        UpdatesScope outer(updatesEnabled);
        EXPECT_EQ(0, updatesEnabled);
        {
            UpdatesScope inner(updatesEnabled);
            EXPECT_EQ(0, updatesEnabled);
        }
        EXPECT_EQ(0, updatesEnabled);  // the inner scope does not end the outer one
        throw std::runtime_error("a failing handler");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(1, updatesEnabled);
}

TEST(ShellExecuteError, eachResultStandsForItsSystemError) {
    const struct {
        const char* name;
        intptr_t result;
        uint32_t error;
    } rows[] = {
        {"0, out of resources", 0, 8},          {"SE_ERR_OOM", 8, 8},
        {"SE_ERR_FNF", 2, 2},                   {"SE_ERR_PNF", 3, 3},
        {"SE_ERR_ACCESSDENIED", 5, 5},          {"ERROR_BAD_FORMAT", 11, 11},
        {"SE_ERR_SHARE", 26, 32},               {"SE_ERR_ASSOCINCOMPLETE", 27, 1155},
        {"SE_ERR_NOASSOC", 31, 1155},           {"SE_ERR_DDETIMEOUT", 28, 1156},
        {"SE_ERR_DDEFAIL", 29, 1156},           {"SE_ERR_DDEBUSY", 30, 1156},
        {"SE_ERR_DLLNOTFOUND", 32, 1157},       {"no meaning: 1", 1, 0},
        {"no meaning: 4", 4, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error, shellExecuteError(row.result));
    }
}

#ifdef _WIN32
// The numbers above are the SDK's: every row again, by the SDK's names.
static_assert(shellExecuteError(SE_ERR_OOM) == ERROR_NOT_ENOUGH_MEMORY);
static_assert(shellExecuteError(SE_ERR_FNF) == ERROR_FILE_NOT_FOUND);
static_assert(shellExecuteError(SE_ERR_PNF) == ERROR_PATH_NOT_FOUND);
static_assert(shellExecuteError(SE_ERR_ACCESSDENIED) == ERROR_ACCESS_DENIED);
static_assert(shellExecuteError(ERROR_BAD_FORMAT) == ERROR_BAD_FORMAT);
static_assert(shellExecuteError(SE_ERR_SHARE) == ERROR_SHARING_VIOLATION);
static_assert(shellExecuteError(SE_ERR_ASSOCINCOMPLETE) == ERROR_NO_ASSOCIATION);
static_assert(shellExecuteError(SE_ERR_NOASSOC) == ERROR_NO_ASSOCIATION);
static_assert(shellExecuteError(SE_ERR_DDETIMEOUT) == ERROR_DDE_FAIL);
static_assert(shellExecuteError(SE_ERR_DDEFAIL) == ERROR_DDE_FAIL);
static_assert(shellExecuteError(SE_ERR_DDEBUSY) == ERROR_DDE_FAIL);
static_assert(shellExecuteError(SE_ERR_DLLNOTFOUND) == ERROR_DLL_NOT_FOUND);

TEST(SystemMessage, textsWithInsertsAndUnknownCodes) {
    std::string text;
    // "... message number 0x%1 in the message file for %2."
    ASSERT_TRUE(systemErrorMessage(ERROR_MR_MID_NOT_FOUND, text));
    EXPECT_NE(std::string::npos, text.find("%1")) << text;
    text = "untouched";
    EXPECT_FALSE(systemErrorMessage(0x2000FFFF, text));
    EXPECT_EQ("untouched", text);
}
#endif

}  // namespace
