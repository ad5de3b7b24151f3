#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "TestBytes.h"
#include "sysex/SysexBuilder.h"

namespace {

constexpr uint32_t part(int number) { return 1u << (number - 1); }

ScaleOffsets allZero() {
    ScaleOffsets offsets;
    offsets.fill(0);
    return offsets;
}

struct Build {
    bool ok = false;
    ScaleDataBytes data{};
    Bytes bytes;
};

Build build(TuningFormat format, const ScaleOffsets& offsets, uint32_t selection) {
    Build result;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    result.ok = buildSysexList(format, offsets, selection, result.data, buffer, length);
    result.bytes.assign(buffer, buffer + (result.ok ? length : 0));
    return result;
}

TEST(SysexBuilder, reproducesTheExampleMessages) {
    ScaleOffsets detuned = {0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12};
    ScaleOffsets cMinus17 = allZero();
    cMinus17[0] = -17;
    const struct {
        const char* name;
        TuningFormat format;
        ScaleOffsets offsets;
        uint32_t selection;
        const char* expected;
    } rows[] = {
        {"GS part 1", TuningFormat::GS, allZero(), part(1),
         "F0 41 10 42 12 40 11 40 40*12 6F F7"},
        {"GS part 10 detuned", TuningFormat::GS, detuned, part(10),
         "F0 41 10 42 12 40 10 40 40 36 44 3A 32 3E 34 42 38 30 3C 34 3E F7"},
        {"GS parts 1 and 2", TuningFormat::GS, allZero(), part(1) | part(2),
         "F0 41 10 42 12 40 11 40 40*12 6F F7 F0 41 10 42 12 40 12 40 40*12 6E F7"},
        {"GS checksum wraps to 00", TuningFormat::GS, cMinus17, part(1),
         "F0 41 10 42 12 40 11 40 2F 40*11 00 F7"},
        {"GS part 16", TuningFormat::GS, allZero(), part(16),
         "F0 41 10 42 12 40 1F 40 40*12 61 F7"},
        {"GM2 channel 1", TuningFormat::GM2, allZero(), part(1),
         "F0 7E 7F 08 08 00 00 01 40*12 F7"},
        {"GM2 all channels", TuningFormat::GM2, allZero(), 0xFFFF,
         "F0 7E 7F 08 08 03 7F 7F 40*12 F7"},
        {"GM2 channels 8 and 15", TuningFormat::GM2, allZero(), part(8) | part(15),
         "F0 7E 7F 08 08 01 01 00 40*12 F7"},
        {"GM2 ignores bits above 15", TuningFormat::GM2, allZero(), 0xFFFF0000u | part(16),
         "F0 7E 7F 08 08 02 00 00 40*12 F7"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Build result = build(row.format, row.offsets, row.selection);
        ASSERT_TRUE(result.ok);
        EXPECT_TRUE(bytesEqual(hexBytes(row.expected), result.bytes));
    }
}

TEST(SysexBuilder, xgSendsOneMessagePerPitchClassAndPart) {
    const Build one = build(TuningFormat::XG, allZero(), part(1));
    ASSERT_TRUE(one.ok);
    ASSERT_EQ(108u, one.bytes.size());
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        const Bytes expected = {0xF0, 0x43, 0x10, 0x4C, 0x08, 0x00,
                                static_cast<uint8_t>(0x41 + k), 0x40, 0xF7};
        EXPECT_TRUE(bytesEqual(expected, one.bytes.data() + 9 * k, 9));
    }

    const Build last = build(TuningFormat::XG, allZero(), part(16));
    EXPECT_EQ(0x0F, last.bytes.at(5));

    // All twelve messages of a part come before those of the next part.
    const Build two = build(TuningFormat::XG, allZero(), part(3) | part(10));
    ASSERT_EQ(216u, two.bytes.size());
    EXPECT_EQ(0x02, two.bytes[9 * 11 + 5]);
    EXPECT_EQ(0x4C, two.bytes[9 * 11 + 6]);
    EXPECT_EQ(0x09, two.bytes[9 * 12 + 5]);
    EXPECT_EQ(0x41, two.bytes[9 * 12 + 6]);

    const Build all = build(TuningFormat::XG, allZero(), 0xFFFF);
    EXPECT_EQ(kLargestSysexList, all.bytes.size());
}

TEST(SysexBuilder, gsOrdersByPartNumberNotByAddress) {
    const Build result = build(TuningFormat::GS, allZero(), part(9) | part(10) | part(11));
    ASSERT_EQ(66u, result.bytes.size());
    EXPECT_EQ(0x19, result.bytes[6]);
    EXPECT_EQ(0x10, result.bytes[22 + 6]);
    EXPECT_EQ(0x1A, result.bytes[44 + 6]);
}

TEST(SysexBuilder, gsPartBlocks) {
    const uint8_t expected[16] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                  0x19, 0x10, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F};
    for (int partNumber = 1; partNumber <= 16; ++partNumber)
        EXPECT_EQ(expected[partNumber - 1], gsPartBlock(partNumber)) << "part " << partNumber;
}

TEST(SysexBuilder, offsetsAreClampedAndNonNumbersCountAsZero) {
    const struct {
        std::optional<int32_t> offset;
        uint8_t expected;
    } rows[] = {
        {63, 0x7F},      {-64, 0x00},     {100, 0x7F},     {-100, 0x00},
        {std::nullopt, 0x40}, {0, 0x40},  {-65, 0x00},     {64, 0x7F},
        {9999, 0x7F},    {-999, 0x00},    {INT_MAX, 0x7F}, {INT_MIN, 0x00},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset ? std::to_string(*row.offset) : "not a number");
        EXPECT_EQ(row.expected, offsetToDataByte(row.offset));
    }

    ScaleOffsets offsets = {63, -64, 100, -100, std::nullopt, std::nullopt, 0, 0, 0, 0, 0, 0};
    const Build result = build(TuningFormat::GM2, offsets, part(1));
    EXPECT_TRUE(bytesEqual(hexBytes("7F 00 7F 00 40 40 40 40 40 40 40 40"),
                           result.data.data(), 12));
}

TEST(SysexBuilder, nothingSelectedGivesAnEmptyList) {
    for (TuningFormat format : {TuningFormat::GS, TuningFormat::XG, TuningFormat::GM2}) {
        SCOPED_TRACE(static_cast<int>(format));
        const Build result = build(format, allZero(), 0xFFFF0000u);
        EXPECT_TRUE(result.ok);
        EXPECT_TRUE(result.bytes.empty());
    }
}

TEST(SysexBuilder, unknownFormatLeavesBufferAndLengthAlone) {
    for (int32_t value : {3, -1, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        uint8_t buffer[kSysexBufferSize];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        uint32_t length = 1234;
        ScaleDataBytes data{};
        ScaleOffsets offsets = allZero();
        offsets[0] = 5;
        EXPECT_FALSE(buildSysexList(static_cast<TuningFormat>(value), offsets, 0xFFFF, data,
                                    buffer, length));
        EXPECT_EQ(1234u, length);
        EXPECT_EQ(0xAA, buffer[0]);
        EXPECT_EQ(0x45, data[0]);  // the data bytes are still taken
    }
}

// Any input gives well-formed messages: F0 ... F7 with 7-bit bytes between,
// and a GS checksum that makes the address and data sum a multiple of 128.
TEST(SysexBuilder, randomInputsGiveWellFormedMessages) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int32_t> offset(-200, 200);
    for (int round = 0; round < 2000; ++round) {
        ScaleOffsets offsets;
        for (auto& entry : offsets)
            entry = random() % 10 == 0 ? std::nullopt : std::optional<int32_t>(offset(random));
        const auto format = static_cast<TuningFormat>(random() % 3);
        const uint32_t selection = static_cast<uint32_t>(random());
        const Build result = build(format, offsets, selection);
        ASSERT_TRUE(result.ok);
        std::size_t start = 0;
        for (std::size_t i = 0; i < result.bytes.size(); ++i) {
            if (i == start) {
                ASSERT_EQ(0xF0, result.bytes[i]) << dumpBytes(result.bytes);
            } else if (result.bytes[i] == 0xF7) {
                if (format == TuningFormat::GS) {
                    unsigned sum = 0;
                    for (std::size_t j = start + 5; j < i; ++j) sum += result.bytes[j];
                    ASSERT_EQ(0u, sum % 128) << dumpBytes(result.bytes);
                }
                start = i + 1;
            } else {
                ASSERT_LT(result.bytes[i], 0x80) << dumpBytes(result.bytes);
            }
        }
        ASSERT_EQ(start, result.bytes.size());
    }
}

}  // namespace
