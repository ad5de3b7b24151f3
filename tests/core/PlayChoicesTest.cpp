// The play-through's choices: the keys that keep them, and the engine's
// options they make.
#include <gtest/gtest.h>

#include "play/PlaySession.h"

namespace {

const std::string kSixKeys = "[AppSetting]\r\nLeft=0\r\nTop=0\r\nMidiFormat=0\r\nMidiPartOrChannel=0\r\n"
                             "SysexEventDivision=120\r\nSysexEventDelta=0\r\n";
const char kAllSet[] = "PlayInDevice=Keys\r\nPlayOutDevice=\x83\x66\r\nPlayMethod=2\r\nPlayChannels=3\r\n"
                       "PlayBendRange=96\r\nPlayDrums=0\r\n";

// Each file read, written back (the keys keep their place and are brought
// into range), and written into a file that never had them (only what
// differs from the defaults).
TEST(PlayChoices, keysAreReadInTheirRangesAndWrittenOnlyOnceSet) {
    const struct {
        const char* lines;
        PlayChoices read;
        const char* written;
        const char* firstTime;
    } rows[] = {
        {"", {}, "", ""},
        {kAllSet, {"Keys", "\x83\x66", kPlayMethodMpe, 3, 96, false}, kAllSet, kAllSet},
        {"PlayMethod=1\r\nPlayChannels=65535\r\nPlayBendRange=0\r\nPlayDrums=1\r\n", {},
         "PlayMethod=1\r\nPlayChannels=65535\r\nPlayBendRange=0\r\nPlayDrums=1\r\n", ""},
        {"PlayMethod=3\r\nPlayBendRange=97\r\n", {"", "", kPlayMethodPitchBend, 0xFFFF, 96, true},
         "PlayMethod=1\r\nPlayBendRange=96\r\n", "PlayBendRange=96\r\n"},
        {"PlayMethod=-1\r\nPlayChannels=131073\r\nPlayBendRange=-1\r\n", {"", "", kPlayMethodPitchBend, 1, 0, true},
         "PlayMethod=1\r\nPlayChannels=1\r\nPlayBendRange=0\r\n", "PlayChannels=1\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines);
        IniFile file, fresh;
        file.parse(kSixKeys + row.lines);
        const AppSettings settings = readAppSettings(file);
        EXPECT_TRUE(row.read == settings.play);
        writeAppSettings(file, settings);
        EXPECT_EQ(kSixKeys + row.written, file.serialize());
        writeAppSettings(fresh, settings);
        EXPECT_EQ(kSixKeys + row.firstTime, fresh.serialize());
    }
}

TEST(PlayChoices, makeTheEnginesOptions) {
    const struct {
        PlayChoices choices;
        RetuneMethod method;
        uint16_t untouched, outputs;
        int bendRange, mpeBendRange;
    } rows[] = {
        {{"", "", kPlayMethodPitchBend, 0x00FF, 25, false}, RetuneMethod::PitchBend, 0, 0x00FF, 24, 48},
        {{"", "", kPlayMethodPitchBend, 0, 1, true}, RetuneMethod::PitchBend, 0x0200, 0xFFFF, 1, 48},
        {{"", "", kPlayMethodMpe, 0xFFFF, 97, true}, RetuneMethod::Mpe, 0x0200, 0xFFFF, 0, 96},
        {{"", "", kPlayMethodMpe, 0xFFFF, 0, true}, RetuneMethod::Mpe, 0x0200, 0xFFFF, 0, 48},
        {{"", "", kPlayMethodTuningMessages, 0xFFFF, 0, true}, RetuneMethod::TuningMessages, 0x0200, 0xFFFF, 0, 48},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "method " << row.choices.method << ", range " << row.choices.bendRange
                                        << ", channels " << row.choices.outputChannels);
        const RetuneOptions options = retuneOptionsOf(row.choices);
        EXPECT_EQ(row.method, options.method);
        EXPECT_EQ(row.untouched, options.untouchedChannels);
        EXPECT_EQ(row.outputs, options.outputChannels);
        EXPECT_EQ(row.bendRange, options.bendRange);
        EXPECT_EQ(row.mpeBendRange, options.mpeBendRange);
    }
}

}  // namespace
