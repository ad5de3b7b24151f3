#include <gtest/gtest.h>

#include "TestBytes.h"
#include "output/MidiFile.h"
#include "output/SysexSmf.h"
#include "sysex/SysexBuilder.h"

namespace {

Bytes toBytes(const ByteBuffer& buffer) {
    return Bytes(buffer.data(), buffer.data() + buffer.size());
}

TEST(ByteBuffer, growsToExactlyTheSizeAskedFor) {
    ByteBuffer buffer;
    EXPECT_EQ(nullptr, buffer.data());
    ASSERT_TRUE(buffer.resize(5));
    EXPECT_EQ(5u, buffer.size());
    EXPECT_EQ(5u, buffer.capacity());
    buffer.data()[0] = 0x12;
    buffer.data()[4] = 0x34;

    ASSERT_TRUE(buffer.resize(7));  // exact, no headroom; the bytes in use move along
    EXPECT_EQ(7u, buffer.capacity());
    EXPECT_EQ(0x12, buffer[0]);
    EXPECT_EQ(0x34, buffer[4]);

    uint8_t* const storage = buffer.data();
    ASSERT_TRUE(buffer.resize(2));  // shrinking keeps the storage
    EXPECT_EQ(storage, buffer.data());
    EXPECT_EQ(2u, buffer.size());
    EXPECT_EQ(7u, buffer.capacity());

    ASSERT_TRUE(buffer.resize(0));  // 0 releases it
    EXPECT_EQ(nullptr, buffer.data());
    EXPECT_EQ(0u, buffer.capacity());
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

TEST(MidiFile, variableLengthQuantitiesAtTheGroupBoundaries) {
    const struct {
        uint32_t value;
        const char* expected;
    } rows[] = {
        {0, "00"},           {0x7F, "7F"},          {0x80, "81 00"},
        {0x3FFF, "FF 7F"},   {0x4000, "81 80 00"},  {16384, "81 80 00"},
        {32767, "81 FF 7F"}, {0x1FFFFF, "FF FF 7F"}, {0x200000, "81 80 80 00"},
        {0x0FFFFFFF, "FF FF FF 7F"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        ByteBuffer out;
        ASSERT_TRUE(out.append("\xAA\xAA\xAA\xAA\xAA", 5));  // replaced, not appended to
        ASSERT_TRUE(encodeVlq(row.value, out));
        EXPECT_TRUE(bytesEqual(hexBytes(row.expected), toBytes(out)));
        EXPECT_EQ(out.size(), vlqLength(row.value));
    }
}

TEST(MidiFile, setDivisionAcceptsTicksAndSmpteRatesOnly) {
    const struct {
        uint16_t word;
        uint16_t stored;
    } rows[] = {
        {120, 120},       {1, 1},           {0x7FFF, 0x7FFF}, {0xE850, 0xE850},  // -24
        {0xE728, 0xE728}, {0xE350, 0xE350}, {0xE250, 0xE250},                    // -25 -29 -30
        {0xE650, 0},      {0x8000, 0},      {0xFF00, 0},      {0xE150, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.word);
        MidiFile file;
        setDivision(file, row.word);
        EXPECT_EQ(row.stored, file.division);
    }
}

TEST(MidiFile, runningStatusLeavesOutRepeatedChannelStatusOnly) {
    MidiFile file;
    file.format = 1;
    file.division = 96;
    file.tracks.emplace_back();
    MidiTrack& track = file.tracks.back();
    const uint8_t noteOn[] = {0x3C, 0x64};
    ASSERT_TRUE(addEvent(track, 0, 0x90, noteOn, 2));
    ASSERT_TRUE(addEvent(track, 200, 0x90, noteOn, 2));
    const uint8_t sysex[] = {0x01, 0xF7};
    ASSERT_TRUE(addEvent(track, 0, 0xF0, sysex, 2));
    ASSERT_TRUE(addEvent(track, 1, 0x90, noteOn, 2));  // SysEx ended the running status
    const uint8_t endOfTrack[] = {0x2F, 0x00};
    ASSERT_TRUE(addEvent(track, 0, 0xFF, endOfTrack, 2));
    EXPECT_EQ(201u, track.back().time);

    ByteBuffer with, without;
    EXPECT_EQ(8u + 0x14, trackChunkSize(track, true));
    EXPECT_EQ(8u + 0x15, trackChunkSize(track, false));
    EXPECT_EQ(14u + 8 + 0x14, serializeMidiFile(file, true, with));
    EXPECT_EQ(14u + 8 + 0x15, serializeMidiFile(file, false, without));
    const char* header = "4D 54 68 64 00 00 00 06 00 01 00 01 00 60 4D 54 72 6B";
    EXPECT_TRUE(bytesEqual(hexBytes(std::string(header) +
                                    " 00 00 00 14 00 90 3C 64 81 48 3C 64 00 F0 01 F7"
                                    " 01 90 3C 64 00 FF 2F 00"),
                           toBytes(with)));
    EXPECT_TRUE(bytesEqual(hexBytes(std::string(header) +
                                    " 00 00 00 15 00 90 3C 64 81 48 90 3C 64 00 F0 01 F7"
                                    " 01 90 3C 64 00 FF 2F 00"),
                           toBytes(without)));
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
    EXPECT_EQ(file.size(), 14 + 8 + trackLengthField(file));

    for (uint32_t selection : {0u, 1u, 0x8001u}) {
        for (int32_t delta : {0, 127, 128, 16384}) {
            const Bytes other = smf(TuningFormat::GS, selection, 1, delta);
            EXPECT_EQ(other.size(), 14 + 8 + trackLengthField(other));
        }
    }
}

TEST(SysexSmf, ignoresBytesAfterTheLastF7) {
    const uint8_t list[] = {0xF0, 0x01, 0xF7, 0xF0, 0x02};
    ByteBuffer out;
    ASSERT_EQ(31u, buildSysexSmf(list, sizeof list, 120, 5, out));
    EXPECT_TRUE(bytesEqual(hexBytes("00 F0 02 01 F7 00 FF 2F 00"), out.data() + 22, 8 + 1));
}

}  // namespace
