#include <gtest/gtest.h>

#include <string>

#include "TestBytes.h"
#include "output/SysexSmf.h"
#include "sysex/SysexBuilder.h"

namespace {

Bytes toBytes(const ByteBuffer& buffer) {
    return Bytes(buffer.data(), buffer.data() + buffer.size());
}

// Growing keeps the bytes in use; 0 releases the storage; an append whose
// size would pass 32 bits is refused and leaves the buffer as it was.
TEST(ByteBuffer, growsKeepingItsBytesAndRefusesASizeBeyond32Bits) {
    ByteBuffer buffer;
    EXPECT_EQ(nullptr, buffer.data());
    ASSERT_TRUE(buffer.append("\x12\x34", 2));
    ASSERT_TRUE(buffer.append(uint8_t{0x56}));
    ASSERT_TRUE(buffer.resize(5));
    buffer.data()[3] = 0x78;
    buffer.data()[4] = 0x9A;
    ASSERT_TRUE(buffer.append("\xBC", 1));
    EXPECT_TRUE(bytesEqual(hexBytes("12 34 56 78 9A BC"), toBytes(buffer)));

    ASSERT_TRUE(buffer.resize(2));
    EXPECT_TRUE(bytesEqual(hexBytes("12 34"), toBytes(buffer)));
    EXPECT_TRUE(buffer.append("", 0));
    EXPECT_FALSE(buffer.append("\xDE", UINT32_MAX - 1));
    EXPECT_TRUE(bytesEqual(hexBytes("12 34"), toBytes(buffer)));

    ASSERT_TRUE(buffer.resize(0));
    EXPECT_EQ(nullptr, buffer.data());
    EXPECT_TRUE(buffer.empty());
}

TEST(ByteBuffer, copiesOwnTheirBytes) {
    ByteBuffer original;
    ASSERT_TRUE(original.append("\x01\x02\x03", 3));
    ByteBuffer copy(original);
    ByteBuffer assigned;
    assigned = original;
    original.data()[0] = 0x7F;
    EXPECT_TRUE(bytesEqual(hexBytes("01 02 03"), toBytes(copy)));
    EXPECT_TRUE(bytesEqual(hexBytes("01 02 03"), toBytes(assigned)));
    ByteBuffer moved(std::move(original));
    EXPECT_EQ(0u, original.size());
    EXPECT_TRUE(bytesEqual(hexBytes("7F 02 03"), toBytes(moved)));
}

Bytes smf(TuningFormat format, uint32_t selection, int32_t division, int32_t delta) {
    ScaleOffsets offsets;
    offsets.fill(0);
    ScaleDataBytes data;
    uint8_t list[kSysexBufferSize];
    uint32_t length = 0;
    buildSysexList(format, offsets, selection, data, list, length);
    ByteBuffer out;
    const uint32_t count = buildSysexSmf(list, length, division, delta, out);
    EXPECT_EQ(out.size(), count);
    return toBytes(out);
}

uint32_t trackLengthField(const Bytes& file) {
    return uint32_t{file.at(18)} << 24 | uint32_t{file.at(19)} << 16 |
           uint32_t{file.at(20)} << 8 | file.at(21);
}

TEST(SysexSmf, reproducesTheExampleFiles) {
    const std::string header = "4D 54 68 64 00 00 00 06 00 00 00 01 ";
    const std::string gsPart1 = "F0 15 41 10 42 12 40 11 40 40*12 6F F7";
    const std::string gsPart2 = "F0 15 41 10 42 12 40 12 40 40*12 6E F7";
    const struct {
        const char* name;
        TuningFormat format;
        uint32_t selection;
        int32_t division, delta;
        std::string expected;
    } rows[] = {
        {"GS part 1", TuningFormat::GS, 1, 120, 0,
         header + "00 78 4D 54 72 6B 00 00 00 1C 00 " + gsPart1 + " 00 FF 2F 00"},
        {"GS parts 1 and 2, delta 10", TuningFormat::GS, 3, 120, 10,
         header + "00 78 4D 54 72 6B 00 00 00 34 00 " + gsPart1 + " 0A " + gsPart2 +
             " 00 FF 2F 00"},
        {"GM2 all channels", TuningFormat::GM2, 0xFFFF, 120, 0,
         header + "00 78 4D 54 72 6B 00 00 00 1B 00 F0 14 7E 7F 08 08 03 7F 7F 40*12 F7"
                  " 00 FF 2F 00"},
        {"empty list", TuningFormat::GS, 0, 120, 0,
         header + "00 78 4D 54 72 6B 00 00 00 04 00 FF 2F 00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(bytesEqual(hexBytes(row.expected),
                               smf(row.format, row.selection, row.division, row.delta)));
    }
}

TEST(SysexSmf, xgEventsAndDivision) {
    const Bytes file = smf(TuningFormat::XG, 1, 480, 0);
    ASSERT_EQ(158u, file.size());
    EXPECT_EQ(0x01, file[12]);
    EXPECT_EQ(0xE0, file[13]);
    EXPECT_EQ(0x88u, trackLengthField(file));
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(bytesEqual(hexBytes("00 F0 08 43 10 4C 08"), file.data() + 22 + 11 * k, 7));
    }
}

TEST(SysexSmf, largestDeltaAndLargestList) {
    const Bytes file = smf(TuningFormat::XG, 0xFFFF, 32767, 32767);
    // 14 + 8 + 11 + 191 * 13 + 4
    ASSERT_EQ(2520u, file.size());
    EXPECT_EQ(0x00, file[22]);  // the first event has delta 0
    EXPECT_TRUE(bytesEqual(hexBytes("81 FF 7F F0 08"), file.data() + 33, 5));
    EXPECT_TRUE(bytesEqual(hexBytes("00 FF 2F 00"), file.data() + file.size() - 4, 4));
    EXPECT_TRUE(bytesEqual(hexBytes("00 00 09 C2"), file.data() + 18, 4));  // 2520 - 22

    // A GS message is an event of 24 bytes after a delta of 0 (23 and its
    // delta after it), End of Track 4.
    const struct {
        uint32_t selection;
        int32_t delta;
        uint32_t trackLength;
    } rows[] = {
        {0, 0, 4},          {0, 16384, 4},        {1, 0, 28},           {1, 16384, 28},
        {0x8001, 0, 52},    {0x8001, 127, 52},    {0x8001, 128, 53},    {0x8001, 16384, 54},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.selection) + " delta " + std::to_string(row.delta));
        const Bytes other = smf(TuningFormat::GS, row.selection, 1, row.delta);
        EXPECT_EQ(row.trackLength, trackLengthField(other));
        EXPECT_EQ(22 + row.trackLength, other.size());
    }
}

// The header's division as given, when it counts ticks or names an SMPTE
// rate (bit 15 set, high byte -24, -25, -29 or -30); else 0.
TEST(SysexSmf, theDivisionIsWrittenWhenItIsTicksOrAnSmpteRate) {
    const struct {
        int32_t division;
        const char* written;
    } rows[] = {
        {120, "00 78"},     {1, "00 01"},       {0x7FFF, "7F FF"},  {0x10078, "00 78"},
        {0xE850, "E8 50"},  {0xE728, "E7 28"},  {0xE350, "E3 50"},  {0xE250, "E2 50"},
        {0xE650, "00 00"},  {0x8000, "00 00"},  {0xFF00, "00 00"},  {0xE150, "00 00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.division);
        const Bytes file = smf(TuningFormat::GS, 0, row.division, 0);
        EXPECT_TRUE(bytesEqual(hexBytes(row.written), file.data() + 12, 2));
    }
}

// Channel messages after the SysEx, a channel's messages at one tick and
// the next channel `delta` later: running status leaves out a repeated
// status byte, never the first after a SysEx.
TEST(SysexSmf, channelMessagesFollowTheSysexUnderRunningStatus) {
    const struct {
        const char* name;
        const char* sysex;
        const char* channel;
        const char* track;
    } rows[] = {
        {"two channels after a SysEx", "F0 01 F7", "B1 65 00 B1 64 03 B1 06 05 B2 65 00 B2 64 03 B2 06 05",
         "00 00 00 1D 00 F0 02 01 F7 05 B1 65 00 00 64 03 00 06 05 05 B2 65 00 00 64 03 00 06 05 00 FF 2F 00"},
        {"no SysEx: the first at tick 0", "", "B0 65 00 B0 64 03",
         "00 00 00 0B 00 B0 65 00 00 64 03 00 FF 2F 00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes sysex = hexBytes(row.sysex);
        const Bytes channel = hexBytes(row.channel);
        ByteBuffer out;
        ASSERT_NE(0u, buildTuningSmf(sysex.data(), static_cast<uint32_t>(sysex.size()), channel.data(),
                                     static_cast<uint32_t>(channel.size()), 96, 5, out));
        EXPECT_TRUE(bytesEqual(hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B " +
                                        std::string(row.track)),
                               toBytes(out)));
    }
}

TEST(SysexSmf, ignoresBytesAfterTheLastF7) {
    const uint8_t list[] = {0xF0, 0x01, 0xF7, 0xF0, 0x02};
    ByteBuffer out;
    ASSERT_EQ(31u, buildSysexSmf(list, sizeof list, 120, 5, out));
    EXPECT_TRUE(bytesEqual(hexBytes("00 F0 02 01 F7 00 FF 2F 00"), out.data() + 22, 8 + 1));
}

}  // namespace
