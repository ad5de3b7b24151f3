#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestBytes.h"
#include "output/SysexSmf.h"
#include "sysex/HexListing.h"
#include "sysex/SysexBuilder.h"
#include "tuning/OpenedFiles.h"
#include "tuning/TuningFileReader.h"

namespace {

using namespace std::string_literals;
using Offsets = std::array<int32_t, 12>;

constexpr uint32_t part(int number) { return 1u << (number - 1); }

const Offsets kDetuned = {0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12};
const Offsets kExtremes = {-64, 63, 0, 1, -1, 62, -63, 10, -10, 33, -33, 5};

Bytes sysexList(TuningFormat format, const Offsets& offsets, uint32_t parts) {
    ScaleOffsets scale;
    for (int k = 0; k < 12; ++k) scale[k] = offsets[k];
    ScaleDataBytes data;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    buildSysexList(format, scale, parts, data, buffer, length);
    return Bytes(buffer, buffer + length);
}

TuningReadResult read(TuningFileKind kind, const Bytes& bytes) {
    return readTuningFile(kind, bytes.data(), bytes.size());
}
TuningReadResult read(TuningFileKind kind, const std::string& bytes) {
    return readTuningFile(kind, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string warningsOf(const TuningReadResult& result) {
    std::string text;
    for (const TuningReadWarning& warning : result.warnings) text += std::to_string(static_cast<int>(warning.kind)) + "\n";
    return text;
}

::testing::AssertionResult readsAs(const TuningReadResult& result, TuningFormat format,
                                   const Offsets& offsets, uint32_t parts) {
    if (!result.ok()) return ::testing::AssertionFailure() << "error " << static_cast<int>(result.error);
    if (result.format != format)
        return ::testing::AssertionFailure() << "format " << static_cast<int>(result.format);
    if (result.offsets != offsets) {
        auto failure = ::testing::AssertionFailure() << "offsets";
        for (int32_t value : result.offsets) failure << ' ' << value;
        return failure;
    }
    if (result.parts != parts)
        return ::testing::AssertionFailure() << "parts " << std::hex << result.parts;
    return ::testing::AssertionSuccess();
}

// The writers' files read back. The reader and the writers share the wire
// format's rules, so the files of parts 9, 10, 11 and 16 at the extremes are
// first held to bytes typed from each dialect's layout: GS blocks 19 10 1A
// 1F with their Roland checksums, XG parts 08 09 0A 0F, the MTS channel map
// 02 0E 00; data bytes 40 + cents.
TEST(TuningFileReader, readsBackEverySavedKindFormatAndPartSet) {
    const uint32_t anchorParts = part(9) | part(10) | part(11) | part(16);
    const std::string data = "00 7F 40 41 3F 7E 01 4A 36 61 1F 45";
    const struct {
        TuningFormat format;
        std::size_t size;
        std::vector<std::pair<std::size_t, std::string>> spans;
    } anchors[] = {
        {TuningFormat::GS, 88,
         {{0, "F0 41 10 42 12 40 19 40 " + data + " 64 F7 F0 41 10 42 12 40 10 40 " + data + " 6D F7"},
          {44, "F0 41 10 42 12 40 1A 40 " + data + " 63 F7 F0 41 10 42 12 40 1F 40 " + data + " 5E F7"}}},
        {TuningFormat::XG, 432,
         {{0, "F0 43 10 4C 08 08 41 00 F7"}, {13 * 9, "F0 43 10 4C 08 09 42 7F F7"},
          {26 * 9, "F0 43 10 4C 08 0A 43 40 F7"}, {47 * 9, "F0 43 10 4C 08 0F 4C 45 F7"}}},
        {TuningFormat::GM2, 21, {{0, "F0 7E 7F 08 08 02 0E 00 " + data + " F7"}}},
    };
    for (const auto& anchor : anchors) {
        SCOPED_TRACE("anchor, format " + std::to_string(static_cast<int>(anchor.format)));
        const Bytes syx = sysexList(anchor.format, kExtremes, anchorParts);
        ASSERT_EQ(anchor.size, syx.size());
        for (const auto& [position, hex] : anchor.spans) {
            const Bytes expected = hexBytes(hex);
            EXPECT_TRUE(bytesEqual(expected, syx.data() + position, expected.size())) << "at " << position;
        }
    }

    for (TuningFormat format : {TuningFormat::GS, TuningFormat::XG, TuningFormat::GM2}) {
        for (uint32_t parts : {part(1), part(10), part(1) | part(2) | part(3), anchorParts, 0xFFFFu}) {
            for (const Offsets& offsets : {kDetuned, kExtremes}) {
                SCOPED_TRACE("format " + std::to_string(static_cast<int>(format)) + " parts " +
                             std::to_string(parts) + " offsets from " + std::to_string(offsets[0]));
                const Bytes syx = sysexList(format, offsets, parts);
                const std::string txt = formatHexListing(syx.data(), syx.size());
                ByteBuffer mid;
                ASSERT_NE(0u, buildSysexSmf(syx.data(), static_cast<uint32_t>(syx.size()), 480,
                                            10, mid));
                const struct {
                    TuningFileKind kind;
                    TuningReadResult result;
                } files[] = {
                    {TuningFileKind::Syx, read(TuningFileKind::Syx, syx)},
                    {TuningFileKind::Txt, read(TuningFileKind::Txt, txt)},
                    {TuningFileKind::Mid,
                     readTuningFile(TuningFileKind::Mid, mid.data(), mid.size())},
                };
                for (const auto& file : files) {
                    SCOPED_TRACE("kind " + std::to_string(static_cast<int>(file.kind)));
                    EXPECT_TRUE(readsAs(file.result, format, offsets, parts));
                    EXPECT_EQ("", warningsOf(file.result));
                }
            }
        }
    }
}

// Two-byte MTS value for a step count from the centre (8192 steps per 100 cents).
std::string mts2Pair(int steps) {
    const int value = 0x2000 + steps;
    char text[8];
    std::snprintf(text, sizeof text, "%02X %02X ", value >> 7, value & 0x7F);
    return text;
}

TEST(TuningFileReader, readsHandMadeFilesInTheOtherForms) {
    std::string mts2Limits = "F0 7E 7F 08 09 00 00 01 " + mts2Pair(-5243) + mts2Pair(5161);
    for (int k = 2; k < 12; ++k) mts2Limits += mts2Pair(0);
    std::string mts2 = "F0 7E 7F 08 09 00 00 03 ";
    // 0, +819 steps (9.997 cents), +-1024 (+-12.5 exactly), the limits, then zeros.
    for (int steps : {0, 819, 1024, -1024, -8192, 8191, 0, 0, 0, 0, 0, 0}) mts2 += mts2Pair(steps);
    mts2 += "F7";

    const struct {
        const char* name;
        TuningFileKind kind;
        std::string bytes;
        TuningFormat format;
        Offsets offsets;
        uint32_t parts;
    } rows[] = {
        {"lower-case hex, tabs and blank lines", TuningFileKind::Txt,
         "\xEF\xBB\xBF\tf0 41 10 42 12 40 11 40\n\n 40 40 40 40 40 40\r\n40 40 40 40 40 40 6f f7",
         TuningFormat::GS, Offsets{}, part(1)},
        {"MTS 2-byte, rounded and held", TuningFileKind::Txt, mts2, TuningFormat::GM2,
         Offsets{0, 10, 13, -13, -64, 63, 0, 0, 0, 0, 0, 0}, part(1) | part(2)},
        {"MTS real-time, device 5", TuningFileKind::Txt,
         "F0 7F 05 08 08 02 00 01 41 40 40 40 40 40 40 40 40 40 40 3F F7", TuningFormat::GM2,
         Offsets{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1}, part(1) | part(16)},
        {"XG device 5, part 3", TuningFileKind::Txt,
         [] {
             std::string text;
             char line[32];
             for (int k = 0; k < 12; ++k) {
                 std::snprintf(line, sizeof line, "F0 43 15 4C 08 02 %02X 30 F7\n", 0x41 + k);
                 text += line;
             }
             return text;
         }(),
         TuningFormat::XG, Offsets{-16, -16, -16, -16, -16, -16, -16, -16, -16, -16, -16, -16},
         part(3)},
        // The limits themselves: -5243 and 5161 steps are -64 and +63; XG part 16 read, 17 skipped.
        {"MTS 2-byte at -64 and +63", TuningFileKind::Txt, mts2Limits + "F7",
         TuningFormat::GM2, Offsets{-64, 63}, part(1)},
        {"XG parts 16 and 17", TuningFileKind::Txt, "F0 43 10 4C 08 0F 41 50 F7 F0 43 10 4C 08 10 41 30 F7",
         TuningFormat::XG, Offsets{16}, part(16)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(readsAs(read(row.kind, row.bytes), row.format, row.offsets, row.parts));
    }
    const TuningReadResult held = read(TuningFileKind::Txt, mts2);
    ASSERT_EQ(1u, held.warnings.size());
    EXPECT_EQ(TuningWarningKind::OffsetsHeld, held.warnings[0].kind);
    EXPECT_EQ(1u << 4 | 1u << 5, held.warnings[0].pitchClasses);

    // Keys 60 (+6.25 cents) and 72 (0) of program 2, then a program select
    // on channel 4 and another program's message.
    const TuningReadResult keys = read(TuningFileKind::Txt,
        "F0 7F 7F 08 02 02 02 3C 3C 08 00 48 48 00 00 F7 B3 65 00 B3 64 03 B3 06 02 "
        "F0 7F 7F 08 02 01 01 3C 3C 00 00 F7");
    EXPECT_TRUE(readsAs(keys, TuningFormat::GM2, Offsets{6}, part(4)));
    ASSERT_EQ(3u, keys.warnings.size()) << warningsOf(keys);
    EXPECT_EQ(TuningWarningKind::OtherProgramIgnored, keys.warnings[0].kind);
    EXPECT_EQ(TuningWarningKind::IncompleteKeys, keys.warnings[1].kind);
    EXPECT_EQ(0x0FFE, keys.warnings[1].pitchClasses);
    EXPECT_EQ(TuningWarningKind::OtherOctavesDiffer, keys.warnings[2].kind);
    EXPECT_EQ(1u, keys.warnings[2].pitchClasses);
}

// The channels of a key-based file are those that select its tuning program
// (registered parameter 3, bank 0 through parameter 4) with the data entry
// MSB, as a receiver follows the controllers.
TEST(TuningFileReader, theChannelsAreThoseThatSelectTheProgram) {
    const std::string program2 = "F0 7F 7F 08 02 02 01 3C 3C 00 00 F7 ";
    const struct {
        const char* name;
        const char* controls;
        uint32_t parts;
    } rows[] = {
        {"channel 4", "B3 65 00 B3 64 03 B3 06 02", part(4)},
        {"channel 16", "BF 65 00 BF 64 03 BF 06 02", part(16)},
        {"channels 1 and 16", "B0 65 00 B0 64 03 B0 06 02 BF 65 00 BF 64 03 BF 06 02", part(1) | part(16)},
        {"the last program chosen", "B3 65 00 B3 64 03 B3 06 05 B3 06 02", part(4)},
        {"the null parameter after it", "B3 65 00 B3 64 03 B3 06 02 B3 65 7F B3 64 7F B3 06 05", part(4)},
        {"registered after a non-registered one", "B3 63 00 B3 62 03 B3 65 00 B3 64 03 B3 06 02", part(4)},
        {"a non-registered MSB after it", "B3 65 00 B3 64 03 B3 63 00 B3 06 02", 0},
        {"a non-registered LSB after it", "B3 65 00 B3 64 03 B3 62 03 B3 06 02", 0},
        {"data entry before the choice", "B3 06 02 B3 65 00 B3 64 03", 0},
        {"data entry LSB only", "B3 65 00 B3 64 03 B3 26 02", 0},
        {"bank 1", "B3 65 00 B3 64 03 B3 06 02 B3 64 04 B3 06 01", 0},
        {"the program of another channel", "B3 65 00 B3 64 03 B2 06 02", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TuningReadResult result = read(TuningFileKind::Txt, program2 + row.controls);
        ASSERT_TRUE(result.ok()) << static_cast<int>(result.error);
        EXPECT_EQ(2, result.program);
        EXPECT_EQ(row.parts, result.parts);
    }
}

// Hand-made files: a .syx with stray bytes before and between its messages,
// lower-case hex with CR LF, MTS 2-byte real-time, and a format 1 MIDI file
// whose second track holds running status, a meta event and an F7 escape
// event before its SysEx.
TEST(TuningFileReader, readsTheHandMadeFixtures) {
    const struct {
        const char* file;
        TuningFormat format;
        uint32_t parts;
    } rows[] = {
        {"gs_stray_bytes.syx", TuningFormat::GS, part(1) | part(2)},
        {"xg_lowercase.txt", TuningFormat::XG, part(1)},
        {"mts2_realtime.syx", TuningFormat::GM2, part(1) | part(2)},
        {"format1_running_status.mid", TuningFormat::GS, part(10)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string bytes = readFile(fixturePath(std::string("tuning/") + row.file));
        const TuningReadResult result = read(tuningFileKindFromName(row.file), bytes);
        EXPECT_TRUE(readsAs(result, row.format, kDetuned, row.parts));
        EXPECT_EQ("", warningsOf(result));
    }
}

TEST(TuningFileReader, resolvesPartsThatDisagree) {
    const Bytes a1 = sysexList(TuningFormat::GS, kDetuned, part(2) | part(7));
    const Bytes b = sysexList(TuningFormat::GS, kExtremes, part(5) | part(12));
    Bytes badChecksum = sysexList(TuningFormat::GS, kExtremes, part(1));
    badChecksum[20] ^= 0x01;
    Bytes file = badChecksum;
    file.insert(file.end(), b.begin(), b.end());
    file.insert(file.end(), a1.begin(), a1.end());
    // Parts 5 and 12 were sent first, but part 2 is the lowest.
    const TuningReadResult result = read(TuningFileKind::Syx, file);
    EXPECT_TRUE(readsAs(result, TuningFormat::GS, kDetuned, part(2) | part(7)));
    ASSERT_EQ(2u, result.warnings.size()) << warningsOf(result);
    EXPECT_EQ(TuningWarningKind::BadChecksum, result.warnings[0].kind);
    EXPECT_EQ(1u, result.warnings[0].messageNumber);
    EXPECT_EQ(TuningWarningKind::OtherPartsDiffer, result.warnings[1].kind);
    EXPECT_EQ(part(5) | part(12), result.warnings[1].parts);

    // A later message for a part replaces the earlier one.
    Bytes resent = sysexList(TuningFormat::XG, kExtremes, part(1));
    const Bytes again = sysexList(TuningFormat::XG, kDetuned, part(1));
    resent.insert(resent.end(), again.begin(), again.end());
    EXPECT_TRUE(readsAs(read(TuningFileKind::Syx, resent), TuningFormat::XG, kDetuned, part(1)));
}

TEST(TuningFileReader, readsAPartialXgPartWithZerosAndAWarning) {
    const Bytes all = sysexList(TuningFormat::XG, kDetuned, part(4));
    const Bytes firstFive(all.begin(), all.begin() + 5 * kXgMessageSize);
    const TuningReadResult result = read(TuningFileKind::Syx, firstFive);
    EXPECT_TRUE(readsAs(result, TuningFormat::XG, Offsets{0, -10, 4, -6, -14}, part(4)));
    ASSERT_EQ(1u, result.warnings.size());
    EXPECT_EQ(TuningWarningKind::IncompletePart, result.warnings[0].kind);
    EXPECT_EQ(0x0FE0, result.warnings[0].pitchClasses);
    EXPECT_EQ(part(4), result.warnings[0].parts);
}

TEST(TuningFileReader, skipsOtherDialectsAfterTheFirst) {
    Bytes file = sysexList(TuningFormat::XG, kDetuned, part(1));
    const Bytes gs = sysexList(TuningFormat::GS, kExtremes, part(1));
    file.insert(file.begin(), gs.begin(), gs.end());
    const TuningReadResult result = read(TuningFileKind::Syx, file);
    EXPECT_TRUE(readsAs(result, TuningFormat::GS, kExtremes, part(1)));
    ASSERT_EQ(1u, result.warnings.size());
    EXPECT_EQ(TuningWarningKind::OtherFormatIgnored, result.warnings[0].kind);
}

TEST(TuningFileReader, reportsFilesWithoutAUsableMessage) {
    const Bytes gs = sysexList(TuningFormat::GS, kDetuned, part(1));
    const std::string cut(gs.begin(), gs.begin() + 15);
    const Bytes mid = hexBytes("4D 54 72 6B 00 00 00 00");
    const std::string midiHeader = "MThd\0\0\0\x06\0\0\0\x01\0\x78MTrk\0\0\0\x04\0\x93\x3C"s;
    const struct {
        const char* name;
        TuningFileKind kind;
        std::string bytes;
        TuningReadError error;
        std::size_t position;  // line, byte offset or message number, as the error names it
    } rows[] = {
        {"empty syx", TuningFileKind::Syx, "", TuningReadError::NoTuningMessage, 0},
        {"empty txt", TuningFileKind::Txt, "", TuningReadError::NoTuningMessage, 0},
        {"empty mid", TuningFileKind::Mid, "", TuningReadError::DamagedMidiFile, 0},
        {"mid without MThd", TuningFileKind::Mid, std::string(mid.begin(), mid.end()),
         TuningReadError::DamagedMidiFile, 0},
        {"mid whose track runs past the end", TuningFileKind::Mid, midiHeader,
         TuningReadError::DamagedMidiFile, 14},
        {"GM system on only", TuningFileKind::Txt, "F0 7E 7F 09 01 F7",
         TuningReadError::NoTuningMessage, 0},
        {"cut short at the end", TuningFileKind::Syx, cut, TuningReadError::Truncated, 1},
        {"cut short by the next message", TuningFileKind::Syx,
         "\xF0\x7E\x7F\x08\x08\x00\x00\x01\x40\xF0\x7E\x7F\x09\x01\xF7",
         TuningReadError::Truncated, 1},
        {"not hex", TuningFileKind::Txt, "F0 41\n10 4G", TuningReadError::BadHexText, 2},
        {"three digits", TuningFileKind::Txt, "F0 410", TuningReadError::BadHexText, 1},
        {"scala file", TuningFileKind::Scl, "", TuningReadError::UnsupportedKind, 0},
        {"too large", TuningFileKind::Syx, std::string(kMaxTuningFileBytes + 1, '\0'),
         TuningReadError::FileTooLarge, 0},
        {"the largest size", TuningFileKind::Syx, std::string(kMaxTuningFileBytes, '\0'), TuningReadError::NoTuningMessage, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TuningReadResult result = read(row.kind, row.bytes);
        EXPECT_EQ(row.error, result.error);
        const std::size_t position = row.error == TuningReadError::BadHexText ? result.line
                                     : row.error == TuningReadError::Truncated
                                         ? result.messageNumber
                                         : result.midiFault.byteOffset;
        EXPECT_EQ(row.position, position);
    }

    // A complete message with a cut one after it reads, with a warning.
    Bytes withCut = gs;
    withCut.insert(withCut.end(), gs.begin(), gs.begin() + 10);
    const TuningReadResult result = read(TuningFileKind::Syx, withCut);
    EXPECT_TRUE(readsAs(result, TuningFormat::GS, kDetuned, part(1)));
    ASSERT_EQ(1u, result.warnings.size());
    EXPECT_EQ(TuningWarningKind::IncompleteMessage, result.warnings[0].kind);
}

TEST(TuningFileReader, picksTheKindFromTheExtensionInAnyCase) {
    const struct {
        const char* name;
        TuningFileKind kind;
        TuningFileKind saved;  // a listing is saved as .mid, .syx or .txt only
    } rows[] = {
        {"a.syx", TuningFileKind::Syx, TuningFileKind::Syx},
        {"B.SYX", TuningFileKind::Syx, TuningFileKind::Syx},
        {"dir.x/c.Mid", TuningFileKind::Mid, TuningFileKind::Mid},
        {"tune.TXT", TuningFileKind::Txt, TuningFileKind::Txt},
        {"w.scl", TuningFileKind::Scl, TuningFileKind::Unknown},
        {"mid", TuningFileKind::Unknown, TuningFileKind::Unknown},
        {"a.midi", TuningFileKind::Mid, TuningFileKind::Unknown},
        {"song.RMI", TuningFileKind::Mid, TuningFileKind::Unknown},
        {"", TuningFileKind::Unknown, TuningFileKind::Unknown},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.kind, tuningFileKindFromName(row.name));
        EXPECT_EQ(row.saved, savedFileKindFromName(row.name));
    }
}

// A file handed to the window is what its name and, for a MIDI file, its
// notes say.
TEST(OpenedFiles, aHandedFileIsForWhatItsNameAndNotesSay) {
    const Bytes tuningOnly = testSmf(0, "01 E0", {"00 F0 05 7E 7F 09 01 F7 00 90 3C 00 00 FF 2F 00"});  // velocity 0
    const struct {
        const char* name;
        std::string bytes;
        FileRole role;
    } rows[] = {
        {"scale.SCL", "", FileRole::ScalaScale},
        {"tuning.syx", "", FileRole::TuningFile},
        {"tuning.txt", "", FileRole::TuningFile},
        {"song.mid", readFile(fixturePath("song/gs_reset_notes_at_0.mid")), FileRole::Song},
        {"song.rmi", readFile(fixturePath("song/wrapped.rmi")), FileRole::Song},
        {"tuning.midi", std::string(tuningOnly.begin(), tuningOnly.end()), FileRole::TuningFile},
        {"damaged.mid", readFile(fixturePath("song/damaged_chunk.mid")), FileRole::TuningFile},  // its reader says why
        {"readme.doc", "", FileRole::Unsupported},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(!row.bytes.empty(), roleNeedsBytes(row.name));
        EXPECT_EQ(row.role, fileRoleOf(row.name, reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size()));
    }
}

}  // namespace

namespace {

// Listings typed from the layouts: the shortest offset of each 2-byte value
// or key, and A4 as coarse and fine tuning move it (440 x 2^(cents / 1200),
// A's offset included).
TEST(TuningFileReader, readsHundredthsAndTheA4OfTheChannelTuning) {
    const char k2ByteHead[] = "F0 7E 7F 08 09 00 00 01 ";
    const std::string kFlat = "F0 7E 7F 08 08 00 00 01 40 40 40 40 40 40 40 40 40 40 40 40 F7 ";  // channel 1
    const struct {
        const char* name;
        std::string listing;
        int pitchClass;
        int32_t hundredths;
        double a4Hz;
    } rows[] = {
        // 7700 = 8192 - 492: -6 encodes to it, so -6 rather than -6.01.
        {"2-byte -6", k2ByteHead + "3C 14"s, 0, -600, 0},
        // 7751: -5.38 (-440.73 -> -441) and -5.39 (-441.55 -> -442 no): -5.38.
        {"2-byte -5.38", k2ByteHead + "3C 47"s, 0, -538, 0},
        // 16383: +99.99, and 0 00: -100.
        {"2-byte +99.99", k2ByteHead + "7F 7F"s, 0, 9999, 0},
        // Key 60 at 59 + 16383/16384: -0.01 (rounded up -1.64 -> -1 step).
        {"key -0.01", "F0 7F 7F 08 02 00 01 3C 3B 7F 7F F7", 0, -1, 0},
        // Key 69 (A4) at 68 + 14574/16384: -11.05 cents.
        {"key A -11.05", "F0 7F 7F 08 02 00 01 45 44 71 6E F7", 9, -1105, 0},
        // Coarse tuning -1 on channel 1, A at 0: 440 x 2^(-100/1200) = 415.30.
        {"coarse -1", kFlat + "B0 65 00 B0 64 02 B0 06 3F B0 65 7F B0 64 7F", 9, 0, 415.305},
        // Fine tuning 00 00 (-100 cents) and coarse +1 cancel: 440.
        {"fine -100, coarse +1", kFlat + "B0 65 00 B0 64 01 B0 06 00 B0 26 00 B0 64 02 B0 06 41", 9, 0, 440.0},
        // Fine tuning 40 7F: 127 steps, +1.55 cents: 440.394.
        {"fine MSB, then LSB", kFlat + "B0 65 00 B0 64 01 B0 06 40 B0 26 7F", 9, 0, 440.394},
        // The MSB after the LSB sets it to 0: no change.
        {"fine LSB, then MSB", kFlat + "B0 65 00 B0 64 01 B0 26 7F B0 06 40", 9, 0, 440.0},
        // Data entry after a non-registered parameter is chosen (99, or 98
        // alone) is not the coarse tuning: no A4 from the channel.
        {"coarse -1 to a non-registered MSB", kFlat + "B0 65 00 B0 64 02 B0 63 00 B0 06 3F", 9, 0, 0},
        {"coarse -1 to a non-registered LSB", kFlat + "B0 65 00 B0 64 02 B0 62 05 B0 06 3F", 9, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string listing = row.listing;
        if (listing.rfind(k2ByteHead, 0) == 0) {
            // The other eleven pairs 40 00, then F7.
            for (int k = 1; k < 12; ++k) listing += " 40 00";
            listing += " F7";
        }
        const TuningReadResult result = read(TuningFileKind::Txt, listing);
        ASSERT_TRUE(result.ok()) << static_cast<int>(result.error);
        EXPECT_EQ(row.hundredths, result.hundredths[row.pitchClass]);
        EXPECT_NEAR(row.a4Hz, result.impliedA4Hz, 0.01);
    }
}

}  // namespace

namespace {

// Single-note changes of program 0 for keys first..last, key k tuned to
// the three bytes tuning(k) names, 64 keys a message.
template <typename Tuning>
std::string singleNotes(int first, int last, Tuning tuning) {
    std::string listing;
    char text[32];
    for (int from = first; from <= last; from += 64) {
        const int to = std::min(last, from + 63);
        std::snprintf(text, sizeof text, "F0 7F 7F 08 02 00 %02X", to - from + 1);
        listing += text;
        for (int key = from; key <= to; ++key) {
            std::snprintf(text, sizeof text, " %02X ", key);
            listing += text + tuning(key);
        }
        listing += " F7 ";
    }
    return listing;
}

std::string keyBytes(int key, const char* rest) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %s", key, rest);
    return text;
}

TEST(TuningFileReader, holdsAsAKeyboardTuningKeysThatAreNotTwelvePitchClasses) {
    const auto own = [](int key) { return keyBytes(key, "00 00"); };
    const auto gHigh = [](const char* top) {
        return singleNotes(0, 127, [top](int key) { return key == 127 ? top : keyBytes(key, key % 12 == 7 ? "40 00" : "00 00"); });
    };
    const struct {
        const char* name;
        std::string listing;
        bool keyboard;
        int key;  // then its expected offset, and key 0's
        std::optional<int32_t> offset;
        std::optional<int32_t> key0;
    } rows[] = {
        {"every key at its own pitch", singleNotes(0, 127, own), false, 72, {}, {}},
        // C 50 cents low: key 0 held at 00 00 00 agrees.
        {"C -50, key 0 held", singleNotes(0, 127, [](int key) {
             return key % 12 ? keyBytes(key, "00 00") : key ? keyBytes(key - 1, "40 00") : "00 00 00"s;
         }), false, 72, {}, {}},
        // Key 72 one step (0.0061 cents) high: within half a step of C.
        {"key 72 one step high", singleNotes(0, 127, [](int key) {
             return key == 72 ? "48 00 01"s : keyBytes(key, "00 00");
         }), false, 72, {}, {}},
        // Key 72 128 steps high: 0.78125 cents, of which 0.78 sends 127.8 -> 128.
        {"key 72 0.78 cents high", singleNotes(0, 127, [](int key) {
             return key == 72 ? "48 01 00"s : keyBytes(key, "00 00");
         }), true, 72, 78, 0},
        // Keys 60-71 only, key 61 at 60 + 8192 steps: 50 cents low.
        {"keys 60-71 only", singleNotes(60, 71, [](int key) {
             return key == 61 ? "3C 40 00"s : keyBytes(key, "00 00");
         }), true, 61, -5000, {}},
        {"a scale/octave file", "F0 7E 7F 08 08 00 00 01 40 40 40 40 40 40 40 40 40 40 40 40 F7", false, 0, {}, {}},
        // G +50: key 127 at 7F 40 00 agrees, as does 7F 00 00 (earlier versions held it there); 7F 20 00 not.
        {"G +50, key 127 at 7F 40 00", gHigh("7F 40 00"), false, 72, {}, {}},
        {"G +50, key 127 at 7F 00 00", gHigh("7F 00 00"), false, 72, {}, {}},
        {"G +50, key 127 at 7F 20 00", gHigh("7F 20 00"), true, 127, 2500, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TuningReadResult result = read(TuningFileKind::Txt, row.listing);
        ASSERT_TRUE(result.ok()) << static_cast<int>(result.error);
        const std::optional<KeyOffsets> keys = keyboardKeysRead(result);
        ASSERT_EQ(row.keyboard, keys.has_value());
        if (!keys) continue;
        EXPECT_EQ(row.offset, (*keys)[row.key]);
        EXPECT_EQ(row.key0, (*keys)[0]);
        EXPECT_EQ(std::optional<int32_t>(0), (*keys)[row.key == 72 ? 71 : 60]);
    }
}

}  // namespace
