#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "TestBytes.h"
#include "output/SysexSmf.h"
#include "sysex/HexListing.h"
#include "sysex/MtsForms.h"
#include "tuning/TuningFileReader.h"

namespace {

using Offsets = std::array<int32_t, 12>;

const char kSelectChannel2Program5[] =
    "B1 65 00 B1 64 03 B1 06 05 B1 65 00 B1 64 04 B1 06 00 B1 65 7F B1 64 7F";

// Every GM2 form: the SysEx and the channel messages after it, checked at the
// given positions (hex typed from the MIDI Tuning Standard's layouts), then
// each saved kind read back to the same offsets, form and channels.
TEST(MtsForms, buildEveryFormAndReadItBack) {
    const struct {
        const char* name;
        MtsForm form;
        Offsets offsets;
        uint32_t channels;
        uint8_t program;
        const char* dumpName;
        std::size_t sysexSize;
        std::size_t channelSize;
        std::vector<std::pair<std::size_t, const char*>> spans;  // in SysEx + channel bytes
    } rows[] = {
        {"1-byte, today's message", MtsForm::ScaleOctave1Byte, Offsets{}, 1u, 0, "", 21, 0,
         {{0, "F0 7E 7F 08 08 00 00 01 40*12 F7"}}},
        {"2-byte at -64, 0, +63, +1, -1", MtsForm::ScaleOctave2Byte,
         Offsets{-64, 0, 63, 1, -1}, 1u | 1u << 15, 0, "", 33, 0,
         {{0, "F0 7E 7F 08 09 02 00 01 17 05 40 00 68 29 40 52 3F 2E"},
          {18, "40 00 40 00 40 00 40 00 40 00 40 00 40 00 F7"}}},
        {"single note, keys at both ends", MtsForm::SingleNote,
         Offsets{-64, 63, 0, 0, 0, 0, 0, 50, 0, 0, 0, -10}, 1u << 1 | 1u << 2, 5, "", 528, 48,
         {{0, "F0 7F 7F 08 02 05 40 00 00 00 00 01 01 50 52"},
          {7 + 60 * 4, "3C 3B 2E 0B 3D 3D 50 52"},
          {263, "F7 F0 7F 7F 08 02 05 40 40"},
          {264 + 7 + 3 * 4, "43 43 40 00"},
          {264 + 7 + 7 * 4, "47 46 73 1A"},
          {264 + 7 + 63 * 4, "7F 7F 40 00 F7"},  // G9 +50 cents: 127 + 8192/16384
          {528, kSelectChannel2Program5},
          {552, "B2 65 00 B2 64 03 B2 06 05"}}},
        {"bulk dump, a 16-letter name", MtsForm::BulkDump, Offsets{}, 1u << 9, 0,
         "Werckmeister III", 408, 24,
         {{0, "F0 7E 7F 08 01 00 57 65 72 63 6B 6D 65 69 73 74 65 72 20 49 49 49 00 00 00 01 00 00"},
          {22 + 127 * 3, "7F 00 00 58 F7 B9 65 00 B9 64 03 B9 06 00"}}},
        {"bulk dump, a name that is not ASCII", MtsForm::BulkDump,
         Offsets{0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12}, 0xFFFFu, 3, "\x89\xb9\x8a\x4b",
         408, 384,
         {{0, "F0 7E 7F 08 01 03 56 65 6C 6D 61 72 69 6E 20*8 00 00 00 00 73 1A"},
          // G9 +2 cents: ceil(327.68) = 328 = 02 48; the checksum 56 of 7F 00 00 XOR 02 XOR 48.
          {22 + 127 * 3, "7F 02 48 1C F7"},
          {408 + 15 * 24 + 18, "BF 65 7F BF 64 7F"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScaleOffsets offsets;
        for (int k = 0; k < 12; ++k) offsets[k] = row.offsets[k];
        ScaleDataBytes data;
        uint8_t sysex[kLargestSysexList];
        uint32_t length = 0;
        ChannelMessageList channel;
        channel.length = 99;
        const MtsOptions mts{row.form, row.program, row.dumpName};
        ASSERT_TRUE(buildTuningMessages(TuningFormat::GM2, mts, offsets, row.channels, data, sysex,
                                        length, channel));
        ASSERT_EQ(row.sysexSize, length);
        ASSERT_EQ(row.channelSize, channel.length);
        Bytes all(sysex, sysex + length);
        all.insert(all.end(), channel.bytes, channel.bytes + channel.length);
        for (const auto& [position, hex] : row.spans) {
            const Bytes expected = hexBytes(hex);
            ASSERT_LE(position + expected.size(), all.size()) << hex;
            EXPECT_TRUE(bytesEqual(expected, all.data() + position, expected.size())) << "at " << position;
        }

        const std::string text = formatHexListing(sysex, length, channel.bytes, channel.length);
        ByteBuffer mid;
        ASSERT_NE(0u, buildTuningSmf(sysex, length, channel.bytes, channel.length, 96, 5, mid));
        const bool keyBased = isKeyBasedForm(row.form);
        const struct {
            TuningFileKind kind;
            const uint8_t* bytes;
            std::size_t size;
            uint32_t channels;  // a .syx carries no program select
        } files[] = {
            {TuningFileKind::Syx, sysex, length, keyBased ? 0u : row.channels},
            {TuningFileKind::Txt, reinterpret_cast<const uint8_t*>(text.data()), text.size(), row.channels},
            {TuningFileKind::Mid, mid.data(), mid.size(), row.channels},
        };
        for (const auto& file : files) {
            SCOPED_TRACE("kind " + std::to_string(static_cast<int>(file.kind)));
            const TuningReadResult read = readTuningFile(file.kind, file.bytes, file.size);
            ASSERT_TRUE(read.ok()) << "error " << static_cast<int>(read.error);
            EXPECT_EQ(TuningFormat::GM2, read.format);
            EXPECT_EQ(row.form, read.mtsForm);
            EXPECT_EQ(row.offsets, read.offsets);
            EXPECT_EQ(file.channels, read.parts);
            EXPECT_EQ(row.program, read.program);
            EXPECT_TRUE(read.warnings.empty()) << "warning " << static_cast<int>(read.warnings.front().kind);
        }
    }

    // One line per message in the listing, the channel's after the SysEx:
    // program 5, 64 keys each, every key kk at kk 00 00.
    ScaleDataBytes data;
    uint8_t sysex[kLargestSysexList];
    uint32_t length = 0;
    ChannelMessageList channel;
    ASSERT_TRUE(buildTuningMessages(TuningFormat::GM2, {MtsForm::SingleNote, 5, ""}, ScaleOffsets{},
                                    1u << 1, data, sysex, length, channel));
    const auto singleNoteLine = [](int firstKey) {
        std::string line = "F0 7F 7F 08 02 05 40";
        char key[16];
        for (int k = firstKey; k < firstKey + 64; ++k) {
            std::snprintf(key, sizeof key, " %02X %02X 00 00", k, k);
            line += key;
        }
        return line + " F7";
    };
    const std::string text = formatHexListing(sysex, length, channel.bytes, channel.length);
    EXPECT_EQ(singleNoteLine(0) + "\r\n" + singleNoteLine(64) + "\r\n" + kSelectChannel2Program5, text);
    // An unknown form builds nothing, as an unknown format does.
    length = 7;
    EXPECT_FALSE(buildTuningMessages(TuningFormat::GM2, {static_cast<MtsForm>(4), 0, ""},
                                     ScaleOffsets{}, 1u, data, sysex, length, channel));
    EXPECT_EQ(7u, length);
}

}  // namespace
