#include <gtest/gtest.h>

#include <climits>

#include "TestBytes.h"
#include "settings/AppSettings.h"
#include "settings/NumberText.h"
#include "settings/Presets.h"

namespace {

IniFile parsed(const std::string& bytes) {
    IniFile file;
    file.parse(bytes);
    return file;
}

TEST(NumberText, readsLikeAtoiInTheCLocale) {
    const struct {
        const char* text;
        int32_t value;
    } rows[] = {
        {"", 0},          {"abc", 0},       {"96", 96},          {" 96", 96},
        {"\t\n\v\f\r 7", 7}, {"+7", 7},     {"-5", -5},          {"--5", 0},
        {"+-5", 0},       {"- 5", 0},       {"5abc", 5},         {"12 34", 12},
        {"007", 7},       {"-0", 0},        {"\xA0" "5", 0},     {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},           {"2147483648", INT_MIN},  // wraps, no UB
        {"4294967295", -1},                 {"4294967296", 0},
        {"99999999999", 1215752191},        {"-99999999999", -1215752191},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        EXPECT_EQ(row.value, parseIniInt(row.text));
    }
    EXPECT_EQ(5, parseIniInt(std::string_view("5\0" "9", 3)));
}

TEST(NumberText, writesLikePercentD) {
    const struct {
        int32_t value;
        const char* text;
    } rows[] = {{0, "0"}, {7, "7"}, {-10, "-10"}, {65535, "65535"},
                {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& row : rows) EXPECT_EQ(row.text, formatIniInt(row.value));
}

TEST(AppSettings, missingFileGivesDefaultsAndAFirstWriteListsSixKeysInOrder) {
    IniFile file;
    const AppSettings settings = readAppSettings(file);
    EXPECT_FALSE(settings.hasPosition);
    EXPECT_EQ(0, settings.midiFormat);
    EXPECT_EQ(0, settings.midiPartOrChannel);
    EXPECT_EQ(120, settings.sysexEventDivision);
    EXPECT_EQ(0, settings.sysexEventDelta);
    EXPECT_TRUE(file.sections().empty());  // reading creates nothing

    AppSettings changed = settings;
    changed.left = -12;
    changed.top = 300;
    changed.midiPartOrChannel = 65535;
    writeAppSettings(file, changed);
    EXPECT_EQ("[AppSetting]\r\nLeft=-12\r\nTop=300\r\nMidiFormat=0\r\nMidiPartOrChannel=65535\r\n"
              "SysexEventDivision=120\r\nSysexEventDelta=0\r\n",
              file.serialize());
}

TEST(AppSettings, valuesAreBroughtIntoTheirRanges) {
    const struct {
        const char* lines;
        int32_t midiFormat, division, delta, mask;
    } rows[] = {
        {"MidiFormat=7", 0, 120, 0, 0},
        {"MidiFormat=-1", 0, 120, 0, 0},
        {"MidiFormat=2\r\nmidiformat=1", 2, 120, 0, 0},
        {"SysexEventDivision=0", 0, 1, 0, 0},
        {"SysexEventDivision=40000", 0, 32767, 0, 0},
        {"SysexEventDivision=abc", 0, 1, 0, 0},
        {"SysexEventDivision= 96", 0, 96, 0, 0},
        {"SysexEventDivision =96", 0, 120, 0, 0},
        {"SysexEventDelta=-5", 0, 120, 0, 0},
        {"SysexEventDelta=99999", 0, 120, 32767, 0},
        {"MidiPartOrChannel=-1", 0, 120, 0, -1},
        {"MidiPartOrChannel=65537", 0, 120, 0, 65537},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines);
        const AppSettings settings =
            readAppSettings(parsed(std::string("[AppSetting]\r\n") + row.lines + "\r\n"));
        EXPECT_EQ(row.midiFormat, settings.midiFormat);
        EXPECT_EQ(row.division, settings.sysexEventDivision);
        EXPECT_EQ(row.delta, settings.sysexEventDelta);
        EXPECT_EQ(row.mask, settings.midiPartOrChannel);
    }
}

TEST(AppSettings, positionNeedsBothKeys) {
    const struct {
        const char* lines;
        bool hasPosition;
        int32_t left, top;
    } rows[] = {
        {"Left=10\r\nTop=20", true, 10, 20},   {"Left=10", false, 0, 0},
        {"Top=20", false, 0, 0},               {"Left=abc\r\nTop=40", true, 0, 40},
        {"left=-3000\r\nTOP=-5", true, -3000, -5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines);
        const AppSettings settings =
            readAppSettings(parsed(std::string("[AppSetting]\r\n") + row.lines + "\r\n"));
        EXPECT_EQ(row.hasPosition, settings.hasPosition);
        if (row.hasPosition) {
            EXPECT_EQ(row.left, settings.left);
            EXPECT_EQ(row.top, settings.top);
        }
    }
}

TEST(AppSettings, writingKeepsExistingLinesWhereTheyAre) {
    IniFile file = parsed(
        "[Other]\r\nx=1\r\n[AppSetting]\r\nmidiformat=2\r\nSysexEventDivision =96\r\n"
        "Unknown=keep\r\nTop=5\r\n");
    AppSettings settings = readAppSettings(file);
    settings.left = 1;
    settings.top = 2;
    writeAppSettings(file, settings);
    EXPECT_EQ("[Other]\r\nx=1\r\n\r\n[AppSetting]\r\nMidiFormat=2\r\nSysexEventDivision =96\r\n"
              "Unknown=keep\r\nTop=2\r\nLeft=1\r\nMidiPartOrChannel=0\r\n"
              "SysexEventDivision=120\r\nSysexEventDelta=0\r\n",
              file.serialize());
}

TEST(AppSettings, midiOutputKeysAreReadWithDefaults) {
    const struct {
        const char* lines;
        const char* device;
        int32_t pause;
        int32_t mtsForm = 0;
        int32_t songMethod = kSongMethodSysex;
        bool mtsEspMaster = false;
    } rows[] = {
        {"MidiFormat=1", "", 20},
        {"MtsEspMaster=1", "", 20, 0, kSongMethodSysex, true},
        {"MtsEspMaster=0", "", 20},
        {"MtsEspMaster=2", "", 20},
        {"MtsEspMaster=yes", "", 20},
        {"SongMethod=1", "", 20, 0, kSongMethodPitchBend},
        {"SongMethod=2", "", 20},
        {"MtsForm=3", "", 20, 3},
        {"MtsForm=4", "", 20, 0},
        {"MtsForm=-1", "", 20, 0},
        {"MidiOutDevice=", "", 20},
        {"MidiOutDevice= SC-8850 Part A ", " SC-8850 Part A ", 20},
        {"midioutdevice=\x83\x66\x83\x6F\x83\x43\x83\x58", "\x83\x66\x83\x6F\x83\x43\x83\x58", 20},
        {"SysexPause=0", "", 0},
        {"SysexPause=500", "", 500},
        {"SysexPause=501", "", 500},
        {"SysexPause=-1", "", 0},
        {"SysexPause=abc", "", 0},
        {"SysexPause=", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines);
        const AppSettings settings =
            readAppSettings(parsed(std::string("[AppSetting]\r\n") + row.lines + "\r\n"));
        EXPECT_EQ(row.device, settings.midiOutDevice);
        EXPECT_EQ(row.pause, settings.sysexPause);
        EXPECT_EQ(row.mtsForm, settings.mtsForm);
        EXPECT_EQ(row.songMethod, settings.songMethod);
        EXPECT_EQ(row.mtsEspMaster, settings.mtsEspMaster);
    }
}

// The new keys appear only once a value differs from its default, and then
// stay, even when the value goes back to the default.
TEST(AppSettings, midiOutputKeysAreWrittenOnlyOnceSet) {
    const std::string sixKeys =
        "[AppSetting]\r\nLeft=0\r\nTop=0\r\nMidiFormat=0\r\nMidiPartOrChannel=0\r\n"
        "SysexEventDivision=120\r\nSysexEventDelta=0\r\n";
    const struct {
        const char* name;
        std::string before;
        const char* device;
        int32_t pause;
        std::string after;
        int32_t mtsForm = 0;
        int32_t songMethod = kSongMethodSysex;
        const char* language = "";
        bool mtsEspMaster = false;
    } rows[] = {
        {"never set", "", "", 20, sixKeys},
        {"pitch bends chosen", "", "", 20, sixKeys + "SongMethod=1\r\n", 0, kSongMethodPitchBend},
        {"back to SysEx", sixKeys + "SongMethod=1\r\n", "", 20, sixKeys + "SongMethod=0\r\n"},
        {"never set, file had the six keys", sixKeys, "", 20, sixKeys},
        {"device chosen", "", "Synth 1", 20, sixKeys + "MidiOutDevice=Synth 1\r\n"},
        {"pause changed", "", "", 0, sixKeys + "SysexPause=0\r\n"},
        {"both", "", "Synth 1", 150, sixKeys + "MidiOutDevice=Synth 1\r\nSysexPause=150\r\n"},
        {"back to no device and the default pause", sixKeys + "MidiOutDevice=Synth 1\r\nSysexPause=150\r\n",
         "", 20, sixKeys + "MidiOutDevice=\r\nSysexPause=20\r\n"},
        {"keys kept where they are", "[AppSetting]\r\nsysexpause=7\r\nMidiOutDevice=Old\r\n", "New", 7,
         "[AppSetting]\r\nSysexPause=7\r\nMidiOutDevice=New\r\nLeft=0\r\nTop=0\r\nMidiFormat=0\r\n"
         "MidiPartOrChannel=0\r\nSysexEventDivision=120\r\nSysexEventDelta=0\r\n"},
        {"form chosen", "", "", 20, sixKeys + "MtsForm=3\r\n", 3},
        {"back to the default form", sixKeys + "MtsForm=2\r\n", "", 20, sixKeys + "MtsForm=0\r\n"},
        {"language chosen", "", "", 20, sixKeys + "Language=en\r\n", 0, kSongMethodSysex, "en"},
        {"back to as Windows", sixKeys + "Language=ja\r\n", "", 20, sixKeys + "Language=\r\n"},
        {"MTS-ESP master on", "", "", 20, sixKeys + "MtsEspMaster=1\r\n", 0, kSongMethodSysex, "", true},
        {"MTS-ESP master off again", sixKeys + "MtsEspMaster=1\r\n", "", 20, sixKeys + "MtsEspMaster=0\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        IniFile file = parsed(row.before);
        AppSettings settings;
        settings.midiOutDevice = row.device;
        settings.sysexPause = row.pause;
        settings.mtsForm = row.mtsForm;
        settings.songMethod = row.songMethod;
        settings.language = row.language;
        settings.mtsEspMaster = row.mtsEspMaster;
        writeAppSettings(file, settings);
        EXPECT_EQ(row.after, file.serialize());
    }
}

// The song command's two gaps: read with their defaults and range, written
// only once they differ from the default or the file has them.
TEST(AppSettings, songGapKeysAreClampedAndWrittenOnlyOnceSet) {
    const struct {
        const char* before;  // [AppSetting] lines
        int32_t resetGap;    // as read
        int32_t messageGap;
        int32_t newResetGap;         // then set, and written
        const char* writtenReset;    // nullptr: no key
        const char* writtenMessage;
    } rows[] = {
        {"", 100, 0, 100, nullptr, nullptr},
        {"", 100, 0, 50, "50", nullptr},
        {"SongResetGap=1001\r\nSongMessageGap=-5\r\n", 1000, 0, 1000, "1000", "0"},
        {"SongMessageGap=abc\r\n", 100, 0, 100, nullptr, "0"},
        {"SongResetGap=0\r\nSongMessageGap=1000\r\n", 0, 1000, 100, "100", "1000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.before) + " then " + std::to_string(row.newResetGap));
        IniFile file = parsed(std::string("[AppSetting]\r\n") + row.before);
        AppSettings settings = readAppSettings(file);
        EXPECT_EQ(row.resetGap, settings.songResetGap);
        EXPECT_EQ(row.messageGap, settings.songMessageGap);
        settings.songResetGap = row.newResetGap;
        writeAppSettings(file, settings);
        for (const auto& [key, expected] : {std::pair{"SongResetGap", row.writtenReset},
                                            std::pair{"SongMessageGap", row.writtenMessage}}) {
            std::string value;
            const bool found = file.getValue(kAppSettingSection, key, value);
            EXPECT_EQ(expected != nullptr, found) << key;
            if (expected && found) {
                EXPECT_EQ(expected, value) << key;
            }
        }
    }
}

TEST(Presets, readingClampsAndTakesOnlyExactKeys) {
    IniFile file = parsed("[P]\r\n0=100\r\n1=-100\r\n2=abc\r\n3=5abc\r\n04=9\r\n 5=9\r\n6= -7\r\n"
                          "[p]\r\n0=1\r\n[Empty]\r\n");
    EXPECT_EQ((PresetOffsets{63, -64, 0, 5, 0, 0, -7, 0, 0, 0, 0, 0}),
              readPresetOffsets(file, "p"));
    EXPECT_EQ(PresetOffsets{}, readPresetOffsets(file, "Empty"));
    EXPECT_EQ(PresetOffsets{}, readPresetOffsets(file, "Missing"));
}

TEST(Presets, writingStoresExactlyTheNonZeroOffsets) {
    IniFile file;
    writePresetOffsets(file, "Example", {0, -10, 0, 0, 14, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ("[Example]\r\n1=-10\r\n4=14\r\n", file.serialize());

    file = parsed("[First]\r\n[Tuned]\r\n0=5\r\n01=3\r\n11=1\r\n[Last]\r\n");
    writePresetOffsets(file, "TUNED", {0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ("[First]\r\n\r\n[Tuned]\r\n01=3\r\n1=2\r\n\r\n[Last]\r\n", file.serialize());

    writePresetOffsets(file, "Zero", PresetOffsets{});
    EXPECT_EQ("[First]\r\n\r\n[Tuned]\r\n01=3\r\n1=2\r\n\r\n[Last]\r\n\r\n[Zero]\r\n",
              file.serialize());
}

TEST(Presets, oddNamesSurviveTheFile) {
    const char* names[] = {" padded ", "[x]", "a=b", ";semi", "]", "\x95\x5C\x82\xA0"};
    IniFile file;
    for (const char* name : names) writePresetOffsets(file, name, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1});
    const IniFile reloaded = parsed(file.serialize());
    ASSERT_EQ(std::size(names), reloaded.sections().size());
    for (std::size_t i = 0; i < std::size(names); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(names[i], reloaded.sections()[i].name);
        EXPECT_EQ((PresetOffsets{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1}),
                  readPresetOffsets(reloaded, names[i]));
    }
}

// The hundredths beside today's keys, which an older version reads alone.
TEST(Presets, exactValuesSitInKeysOfTheirOwnOnlyWhenTheyHaveAFraction) {
    IniFile file;
    writePresetOffsets(file, "Meantone", {0, -24, -7, 0, -64, 0, 0, 0, 0, 0, 0, 0});
    PresetExactTuning exact;
    exact.hundredths = {std::nullopt, -2395, -700, std::nullopt, -10100};
    exact.coarseSemitones = -1;
    writePresetExactTuning(file, "Meantone", exact);
    // -7.00 is what key 2 says; a key-based -101.00 is beyond key 4's -64.
    EXPECT_EQ("[Meantone]\r\n1=-24\r\n2=-7\r\n4=-64\r\nHundredths1=-2395\r\nHundredths4=-10100\r\n"
              "CoarseTuning=-1\r\n",
              file.serialize());
    EXPECT_EQ((PresetOffsets{0, -24, -7, 0, -64, 0, 0, 0, 0, 0, 0, 0}), readPresetOffsets(file, "Meantone"));

    // Read back; a hundredths key that no longer rounds to its note's whole
    // key (changed by a version without them) is dropped.
    file = parsed("[P]\r\n1=-24\r\n2=-6\r\nHundredths1=-2395\r\nHundredths2=-684\r\n"
                  "Hundredths3=-1\r\nCoarseTuning=-99\r\n");
    const PresetExactTuning read = readPresetExactTuning(file, "P", readPresetOffsets(file, "P"));
    EXPECT_EQ(-2395, read.hundredths[1]);
    EXPECT_EQ(std::nullopt, read.hundredths[2]);  // -6.84 rounds to -7, the key says -6
    EXPECT_EQ(-1, read.hundredths[3]);            // -0.01 rounds to 0, as the missing key
    EXPECT_EQ(-64, read.coarseSemitones);

    // Whole again: the keys go.
    writePresetExactTuning(file, "P", PresetExactTuning{});
    EXPECT_EQ("[P]\r\n1=-24\r\n2=-6\r\n", file.serialize());
}

}  // namespace
