#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "TestBytes.h"
#include "midiout/MidiDeviceLookup.h"
#include "midiout/SysexDeviceState.h"
#include "sysex/SysexBuilder.h"

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
        {"a second start inside a message belongs to it", "F0 F0 01 F7", "0+4 "},
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
        {"other: any difference", "F0 7D 01 F7", "F0 7D 02 F7", true},
        {"other: same bytes", "F0 7D 01 F7", "F0 7D 01 F7", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SysexDeviceState state;
        const Bytes sent = hexBytes(row.sent);
        state.recordSent(sent.data(), sent.size());
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

    // A later message of the list that sets channel 1 back is needed after
    // an earlier one changed it.
    const Bytes gm2 = hexBytes("F0 7E 7F 08 08 00 00 01 40*12 F7");
    state.recordSent(gm2.data(), gm2.size());
    const Bytes list = hexBytes("F0 7E 7F 08 08 00 00 03 41*12 F7 F0 7E 7F 08 08 00 00 01 40*12 F7");
    EXPECT_EQ("0+21 21+21 ", spansText(state.changedMessages(list.data(), list.size())));
}

// A receiver that takes GS, XG and MTS scale tuning alike, part n on channel
// n, each message replacing what any dialect set before. Decoded from the
// messages' published layouts: channel -> twelve data bytes (40 is 0 cents).
class TuningReceiver {
public:
    void take(const uint8_t* m) {
        if (m[1] == 0x41) {  // F0 41 10 42 12 40 1b 40 d*12 sum F7
            const int block = m[6] & 0x0F;  // parts 1-9, then 10 as 0, 11-16 as A-F
            const int part = block == 0 ? 10 : block <= 9 ? block : block + 1;
            std::copy(m + 8, m + 20, scales_[part - 1].begin());
        } else if (m[1] == 0x43) {  // F0 43 10 4C 08 part 41+note d F7
            scales_[m[5]][m[6] - 0x41] = m[7];
        } else {  // F0 7E 7F 08 08 ff gg hh d*12 F7, ff bits: channels 15-16
            const uint32_t map = (uint32_t{m[5]} << 14) | (uint32_t{m[6]} << 7) | m[7];
            for (int channel = 0; channel < 16; ++channel)
                if (map & (1u << channel)) std::copy(m + 8, m + 20, scales_[channel].begin());
        }
    }
    const std::array<uint8_t, 12>& channel(int number) const { return scales_[number - 1]; }

private:
    std::array<std::array<uint8_t, 12>, 16> scales_{};
};

TEST(SysexDeviceState, liveSendingLeavesTheReceiverOnTheLastState) {
    struct Step {
        TuningFormat format;
        uint32_t selection;  // none: an empty listing, nothing to send
        int note;            // typed into this pitch class
        int cents;
    };
    const auto gm2 = TuningFormat::GM2;
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::size_t lastSent;  // messages the last step sends
    } rows[] = {
        {"GM2: all channels changed, then channel 1 alone again",
         {{gm2, 0x0001, 0, 0}, {gm2, 0xFFFF, 0, 0}, {gm2, 0xFFFF, 0, 10}, {gm2, 0, 0, 10},
          {gm2, 0, 0, 0}, {gm2, 0x0001, 0, 0}},
         1},
        {"GM2: one channel changed, then the wider map again",
         {{gm2, 0x0003, 4, 5}, {gm2, 0x0002, 4, 0}, {gm2, 0x0003, 4, 5}}, 1},
        {"GM2: an unchanged narrower map sends nothing",
         {{gm2, 0x8003, 4, 5}, {gm2, 0x8000, 4, 5}}, 0},
        {"GS part 1, GM2 channel 1, GS part 1 as before",
         {{TuningFormat::GS, 0x0001, 0, 10}, {gm2, 0x0001, 0, 0}, {TuningFormat::GS, 0x0001, 0, 10}},
         1},
        {"XG part 10, GS part 10, XG as before: the whole part",
         {{TuningFormat::XG, 0x0200, 4, -20}, {TuningFormat::GS, 0x0200, 4, 0},
          {TuningFormat::XG, 0x0200, 4, -20}},
         12},
        {"GS parts 11 and 12: only the changed part", 
         {{TuningFormat::GS, 0x0C00, 11, 3}, {TuningFormat::GS, 0x0800, 11, 0},
          {TuningFormat::GS, 0x0C00, 11, 0}},
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SysexDeviceState state;
        TuningReceiver receiver;
        ScaleOffsets offsets;
        offsets.fill(0);
        std::size_t sent = 0;
        for (const Step& step : row.steps) {
            offsets[step.note] = step.cents;
            ScaleDataBytes data;
            Bytes list(kLargestSysexList);
            uint32_t length = 0;
            buildSysexList(step.format, offsets, step.selection, data, list.data(), length);
            const std::vector<SysexSpan> plan = state.changedMessages(list.data(), length);
            for (const SysexSpan& span : plan) {
                state.recordSent(list.data() + span.offset, span.size);
                receiver.take(list.data() + span.offset);
            }
            sent = plan.size();
        }
        EXPECT_EQ(row.lastSent, sent);
        std::array<uint8_t, 12> expected;
        for (int k = 0; k < 12; ++k) expected[k] = static_cast<uint8_t>(0x40 + *offsets[k]);
        for (int channel = 1; channel <= 16; ++channel)
            if (row.steps.back().selection & (1u << (channel - 1))) {
                EXPECT_EQ(expected, receiver.channel(channel)) << "channel " << channel;
            }
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
