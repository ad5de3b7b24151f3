#include <gtest/gtest.h>

#include "TestBytes.h"
#include "midiout/MidiDeviceLookup.h"
#include "midiout/SysexDeviceState.h"

namespace {

std::string spansText(const std::vector<SysexSpan>& spans) {
    std::string text;
    for (const SysexSpan& span : spans)
        text += std::to_string(span.offset) + "+" + std::to_string(span.size) + " ";
    return text;
}

TEST(SysexDeviceState, aListSplitsIntoWholeMessagesOnly) {
    const struct {
        const char* name;
        const char* list;
        const char* spans;
    } rows[] = {
        {"empty", "", ""},
        {"two messages", "F0 43 F7 F0 F7", "0+3 3+2 "},
        {"bytes between messages are skipped", "00 F0 01 F7 7F 7F F0 02 F7", "1+3 6+3 "},
        {"an unterminated tail is no message", "F0 01 F7 F0 02 03", "0+3 "},
        {"a second start cuts the message before it short", "F0 F0 01 F7", "1+3 "},
        {"channel messages: a run per channel, a cut one left out", "B1 65 00 B1 64 03 C2 05 F0 01 F7 B3 65",
         "0+6 6+2 8+3 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes list = hexBytes(row.list);
        EXPECT_EQ(row.spans, spansText(splitSysexList(list.data(), list.size())));
    }
}

TEST(SysexDeviceState, messagesReplaceEachOtherByTheirAddress) {
    const struct {
        const char* name;
        const char* sent;
        const char* next;
        bool changed;
    } rows[] = {
        {"GS: new data at the same address", "F0 41 10 42 12 40 11 40 40*12 6F F7",
         "F0 41 10 42 12 40 11 40 41 40*11 6E F7", true},
        {"GS: same bytes", "F0 41 10 42 12 40 11 40 40*12 6F F7",
         "F0 41 10 42 12 40 11 40 40*12 6F F7", false},
        {"GS: another part", "F0 41 10 42 12 40 11 40 40*12 6F F7",
         "F0 41 10 42 12 40 12 40 40*12 6E F7", true},
        {"XG: new value for the same note", "F0 43 10 4C 08 00 41 40 F7",
         "F0 43 10 4C 08 00 41 3F F7", true},
        {"XG: same value", "F0 43 10 4C 08 00 41 40 F7", "F0 43 10 4C 08 00 41 40 F7", false},
        {"GM2: a narrower map over channels that hold its values",
         "F0 7E 7F 08 08 00 00 03 40*12 F7", "F0 7E 7F 08 08 00 00 01 40*12 F7", false},
        {"GM2: a wider map reaches a channel never sent",
         "F0 7E 7F 08 08 00 00 01 40*12 F7", "F0 7E 7F 08 08 00 00 03 40*12 F7", true},
        {"GM2: a channel another map may have reached (FluidSynth keeps one scale for all)",
         "F0 7E 7F 08 08 00 00 01 4A 40*11 F7 F0 7E 7F 08 08 00 00 02 40*12 F7", "F0 7E 7F 08 08 00 00 01 4A 40*11 F7", true},
        {"GM2: a channel another map gave its own values", "F0 7E 7F 08 08 00 00 01 4A 40*11 F7 F0 7E 7F 08 08 00 00 02 4A 40*11 F7",
         "F0 7E 7F 08 08 00 00 01 4A 40*11 F7", false},
        {"GM2: the 2-byte form over the 1-byte form's values", "F0 7E 7F 08 08 00 00 01 40*12 F7",
         "F0 7E 7F 08 09 00 00 01 40 00 40 00 40 00 40 00 40 00 40 00 40 00 40 00 40 00 40 00 40 00 40 00 F7", true},
        {"single note: the same keys", "F0 7F 7F 08 02 00 02 3C 3C 00 00 3D 3D 00 00 F7",
         "F0 7F 7F 08 02 00 01 3D 3D 00 00 F7", false},
        {"single note: a key of another program", "F0 7F 7F 08 02 00 01 3C 3C 00 00 F7",
         "F0 7F 7F 08 02 01 01 3C 3C 00 00 F7", true},
        {"single note over a bulk dump's key", "F0 7E 7F 08 01 00 20*16 00*384 00 F7", "F0 7F 7F 08 02 00 01 00 00 00 00 F7", true},
        {"program select: the same run", "B2 65 00 B2 64 03 B2 06 05", "B2 65 00 B2 64 03 B2 06 05", false},
        {"program select: another program", "B2 65 00 B2 64 03 B2 06 05", "B2 65 00 B2 64 03 B2 06 06", true},
        {"program select: channel 16 holds its own beside channel 8",
         "BF 65 00 BF 64 03 BF 06 05 B7 65 00 B7 64 03 B7 06 06", "BF 65 00 BF 64 03 BF 06 05", false},
        {"program select: channel 16 never sent", "B7 65 00 B7 64 03 B7 06 05", "BF 65 00 BF 64 03 BF 06 05", true},
        {"GM2: channel 16 alone, the same map", "F0 7E 7F 08 08 02 00 00 40*12 F7", "F0 7E 7F 08 08 02 00 00 40*12 F7",
         false},
        {"GM2: channel 15 besides 16", "F0 7E 7F 08 08 02 00 00 40*12 F7", "F0 7E 7F 08 08 03 00 00 40*12 F7", true},
        {"GM2 real-time (7F): the same values", "F0 7F 7F 08 08 00 00 01 40*12 F7", "F0 7E 7F 08 08 00 00 01 40*12 F7",
         false},
        // A message one byte off its form's size retunes nothing: it is a
        // setting of its own, not the channel's or key's that the whole one set.
        {"1-byte form one byte short", "F0 7E 7F 08 08 00 00 01 40*11 F7 F0 7E 7F 08 08 00 00 01 40*12 F7",
         "F0 7E 7F 08 08 00 00 01 40*11 F7", false},
        {"2-byte form one byte short", "F0 7E 7F 08 09 00 00 01 40 00*22 F7 F0 7E 7F 08 09 00 00 01 40 00*23 F7",
         "F0 7E 7F 08 09 00 00 01 40 00*22 F7", false},
        {"single note with a key too few", "F0 7F 7F 08 02 00 02 3C 3C 00 00 F7 F0 7F 7F 08 02 00 01 3C 3C 00 00 F7",
         "F0 7F 7F 08 02 00 02 3C 3C 00 00 F7", false},
        {"bulk dump one byte short", "F0 7E 7F 08 01 00 20*16 00*383 00 F7 F0 7E 7F 08 01 00 20*16 01*384 00 F7",
         "F0 7E 7F 08 01 00 20*16 00*383 00 F7", false},
        {"other: any difference", "F0 7D 01 F7", "F0 7D 02 F7", true},
        {"other: same bytes", "F0 7D 01 F7", "F0 7D 01 F7", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SysexDeviceState state;
        const Bytes sent = hexBytes(row.sent);
        for (const SysexSpan& span : splitSysexList(sent.data(), sent.size())) state.recordSent(sent.data() + span.offset, span.size);
        const Bytes next = hexBytes(row.next);
        EXPECT_EQ(row.changed ? "0+" + std::to_string(next.size()) + " " : "",
                  spansText(state.changedMessages(next.data(), next.size())));
    }
}

TEST(SysexDeviceState, theLastMessageSentToAnAddressCounts) {
    SysexDeviceState state;
    const Bytes first = hexBytes("F0 43 10 4C 08 00 41 40 F7");
    const Bytes second = hexBytes("F0 43 10 4C 08 00 41 3F F7");
    state.recordSent(first.data(), first.size());
    state.recordSent(second.data(), second.size());
    EXPECT_EQ("0+9 ", spansText(state.changedMessages(first.data(), first.size())));
    EXPECT_EQ("", spansText(state.changedMessages(second.data(), second.size())));
    state.clear();
    EXPECT_EQ("0+9 ", spansText(state.changedMessages(second.data(), second.size())));

    // Channel 1 set back by a later message of the list, after an earlier one changed it.
    const Bytes list = hexBytes("F0 7E 7F 08 08 00 00 01 40*12 F7 F0 7E 7F 08 08 00 00 03 41*12 F7 F0 7E 7F 08 08 00 00 01 40*12 F7");
    state.recordSent(list.data(), 21);
    EXPECT_EQ("0+21 21+21 ", spansText(state.changedMessages(list.data() + 21, list.size() - 21)));
}

// Bit n: channel n + 1 holds a coarse tuning (registered parameter 2, its
// data entry MSB) other than none (40) that the list does not set again.
TEST(SysexDeviceState, coarseTuningsLeftFollowTheRegisteredParameter) {
    const char* const kChannel16Down = "BF 65 00 BF 64 02 BF 06 3F BF 65 7F BF 64 7F";
    const struct {
        const char* name;
        const char* sent;
        const char* list;
        uint16_t left;
    } rows[] = {
        {"channel 1, -1", "B0 65 00 B0 64 02 B0 06 3F B0 65 7F B0 64 7F", "", 0x0001},
        {"channel 16, -1", kChannel16Down, "", 0x8000},
        {"channel 16, set again by the list", kChannel16Down, "BF 65 00 BF 64 02 BF 06 40 BF 65 7F BF 64 7F", 0},
        {"channel 16, the list sets channel 15's", kChannel16Down, "BE 65 00 BE 64 02 BE 06 40 BE 65 7F BE 64 7F",
         0x8000},
        {"channel 16, none", "BF 65 00 BF 64 02 BF 06 40 BF 65 7F BF 64 7F", "", 0},
        {"the last of two data entries", "B0 65 00 B0 64 02 B0 06 3F B0 06 40", "", 0},
        {"a data entry LSB: unused", "B0 65 00 B0 64 02 B0 26 3F", "", 0},
        {"to a non-registered MSB", "B0 65 00 B0 64 02 B0 63 00 B0 06 3F", "", 0},
        {"to a non-registered LSB", "B0 65 00 B0 64 02 B0 62 00 B0 06 3F", "", 0},
        {"registered again after a non-registered one", "B0 63 00 B0 62 00 B0 65 00 B0 64 02 B0 06 3F", "", 0x0001},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SysexDeviceState state;
        const Bytes sent = hexBytes(row.sent);
        for (const SysexSpan& span : splitSysexList(sent.data(), sent.size())) state.recordSent(sent.data() + span.offset, span.size);
        const Bytes list = hexBytes(row.list);
        EXPECT_EQ(row.left, state.coarseTuningsLeft(list.data(), list.size()));
    }
}

TEST(MidiDeviceLookup, aRememberedNameIsFoundOnlyByExactMatch) {
    const std::vector<std::string> names = {"Synth A", "Synth B", "Synth A", "\x83\x5E MIDI"};
    const struct {
        const char* remembered;
        MidiDeviceMatch::Status status;
        unsigned index;
    } rows[] = {
        {"", MidiDeviceMatch::Status::None, 0},
        {"Synth B", MidiDeviceMatch::Status::Found, 1},
        {"Synth A", MidiDeviceMatch::Status::Found, 0},
        {"\x83\x5E MIDI", MidiDeviceMatch::Status::Found, 3},
        {"synth b", MidiDeviceMatch::Status::Missing, 0},
        {"Synth", MidiDeviceMatch::Status::Missing, 0},
        {"Synth B ", MidiDeviceMatch::Status::Missing, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.remembered + "\"");
        const MidiDeviceMatch match = findDeviceByName(names, row.remembered);
        EXPECT_EQ(row.status, match.status);
        if (row.status == MidiDeviceMatch::Status::Found) {
            EXPECT_EQ(row.index, match.index);
        }
    }
    EXPECT_EQ(MidiDeviceMatch::Status::Missing, findDeviceByName({}, "Synth A").status);
}

TEST(MidiDeviceLookup, anArgumentIsADeviceNumberOrAName) {
    const std::vector<std::string> names = {"Synth A", "2", "Synth C"};
    const struct {
        const char* argument;
        MidiDeviceMatch::Status status;
        unsigned index;
    } rows[] = {
        {"0", MidiDeviceMatch::Status::Found, 0},
        {"2", MidiDeviceMatch::Status::Found, 2},
        {"002", MidiDeviceMatch::Status::Found, 2},
        {"3", MidiDeviceMatch::Status::Missing, 0},
        {"99999999999999999999999", MidiDeviceMatch::Status::Missing, 0},
        {"Synth C", MidiDeviceMatch::Status::Found, 2},
        {"-1", MidiDeviceMatch::Status::Missing, 0},
        {" 1", MidiDeviceMatch::Status::Missing, 0},
        {"", MidiDeviceMatch::Status::Missing, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.argument + "\"");
        const MidiDeviceMatch match = findDeviceByArgument(names, row.argument);
        EXPECT_EQ(row.status, match.status);
        if (row.status == MidiDeviceMatch::Status::Found) {
            EXPECT_EQ(row.index, match.index);
        }
    }
}

}  // namespace
