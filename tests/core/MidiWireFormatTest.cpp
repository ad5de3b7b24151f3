#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "midi/ControlChanges.h"
#include "midi/MessageSplit.h"
#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"
#include "midi/StatusBytes.h"
#include "midi/SysexMessages.h"
#include "midi/VariableLength.h"
#include "song/SongTuning.h"
#include "tuning/TuningFileReader.h"

namespace {

TEST(StatusBytes, everyStatusHasItsClassAndDataBytes) {
    const struct {
        uint8_t byte;
        StatusClass kind;
        uint32_t dataBytes;
    } rows[] = {
        {0x00, StatusClass::Data, 0},          {0x7F, StatusClass::Data, 0},
        {0x80, StatusClass::Channel, 2},       {0x9F, StatusClass::Channel, 2},
        {0xA0, StatusClass::Channel, 2},       {0xB5, StatusClass::Channel, 2},
        {0xC0, StatusClass::Channel, 1},       {0xCF, StatusClass::Channel, 1},
        {0xD0, StatusClass::Channel, 1},       {0xDF, StatusClass::Channel, 1},
        {0xE0, StatusClass::Channel, 2},       {0xEF, StatusClass::Channel, 2},
        {0xF0, StatusClass::SysexStart, 0},    {0xF1, StatusClass::SystemCommon, 1},
        {0xF2, StatusClass::SystemCommon, 2},  {0xF3, StatusClass::SystemCommon, 1},
        {0xF4, StatusClass::SystemCommon, 0},  {0xF6, StatusClass::SystemCommon, 0},
        {0xF7, StatusClass::SysexEnd, 0},      {0xF8, StatusClass::RealTime, 0},
        {0xFE, StatusClass::RealTime, 0},      {0xFF, StatusClass::MetaOrReset, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(dumpBytes(&row.byte, 1));
        EXPECT_EQ(row.kind, classOf(row.byte));
        EXPECT_EQ(row.dataBytes, wireDataBytes(row.byte));
    }
}

// Program change and channel pressure under running status, and data bytes
// right after a meta event and a SysEx: the reader keeps the status before
// them, as lenient readers do.
TEST(StatusBytes, theReaderFollowsRunningStatusAcrossMetaAndSysex) {
    const Bytes file = testSmf(0, "00 60", {"00 C0 05 10 06 00 D0 40 10 41 00 FF 01 00 00 42 00 F0 01 F7 00 43 "
                                            "00 E1 00 40 00 00 41 00 FF 2F 00"});
    SmfLayout layout;
    ASSERT_TRUE(readSmfLayout(file.data(), file.size(), layout).ok());
    const struct {
        uint8_t status;
        bool running;
        uint8_t firstData;
    } expected[] = {
        {0xC0, false, 0x05}, {0xC0, true, 0x06}, {0xD0, false, 0x40}, {0xD0, true, 0x41}, {0xFF, false, 0x00},
        {0xD0, true, 0x42},  {0xF0, false, 0xF7}, {0xD0, true, 0x43}, {0xE1, false, 0x00}, {0xE1, true, 0x00},
        {0xFF, false, 0x00},
    };
    std::size_t n = 0;
    const SmfFault fault = forEachTrackEvent(file.data(), layout, [&](uint32_t, const TrackEvent& event) {
        SCOPED_TRACE("event " + std::to_string(n));
        ASSERT_LT(n, std::size(expected));
        EXPECT_EQ(expected[n].status, event.status);
        EXPECT_EQ(expected[n].running, event.runningStatus);
        if (event.status != 0xFF) {
            EXPECT_EQ(expected[n].firstData, file[event.dataOffset]);
        }
        ++n;
    });
    EXPECT_TRUE(fault.ok());
    EXPECT_EQ(std::size(expected), n);
}

TEST(VariableLength, readAndWrittenAtTheGroupBoundaries) {
    const struct {
        const char* bytes;
        VariableLengthStatus status;
        uint32_t value;
        bool minimal;  // encoding the value gives these bytes
    } rows[] = {
        {"00", VariableLengthStatus::Read, 0, true},
        {"7F", VariableLengthStatus::Read, 0x7F, true},
        {"81 00", VariableLengthStatus::Read, 0x80, true},
        {"FF 7F", VariableLengthStatus::Read, 0x3FFF, true},
        {"81 80 00", VariableLengthStatus::Read, 0x4000, true},
        {"FF FF 7F", VariableLengthStatus::Read, 0x1FFFFF, true},
        {"81 80 80 00", VariableLengthStatus::Read, 0x200000, true},
        {"FF FF FF 7F", VariableLengthStatus::Read, 0x0FFFFFFF, true},
        {"80 00", VariableLengthStatus::Read, 0, false},
        {"80 80 80 05", VariableLengthStatus::Read, 5, false},
        {"FF FF FF FF 7F", VariableLengthStatus::TooLong, 0, false},
        {"80 80 80 80 00", VariableLengthStatus::TooLong, 0, false},
        {"81", VariableLengthStatus::CutShort, 0, false},
        {"", VariableLengthStatus::CutShort, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        const Bytes bytes = hexBytes(row.bytes);
        const VariableLengthRead read = decodeVariableLength(bytes.data(), bytes.data() + bytes.size());
        EXPECT_EQ(row.status, read.status);
        if (read.status != VariableLengthStatus::Read) continue;
        EXPECT_EQ(row.value, read.value);
        EXPECT_EQ(bytes.size(), read.length);
        if (!row.minimal) continue;
        uint8_t written[kMaxVariableLengthBytes];
        const uint32_t length = encodeVariableLength(row.value, written);
        EXPECT_TRUE(bytesEqual(bytes, written, length));
    }
}

// The chunk headers' integers: every byte counts, big-endian in a Standard
// MIDI File, little-endian in its RIFF wrapper.
TEST(VariableLength, fixedSizeIntegersInBothByteOrders) {
    const struct {
        const char* bytes;
        uint32_t bigEndian;
        uint32_t littleEndian;
    } rows[] = {
        {"00 00 00 06", 0x00000006, 0x06000000},
        {"12 34 56 78", 0x12345678, 0x78563412},
        {"80 00 00 01", 0x80000001, 0x01000080},
        {"FF FF FF FE", 0xFFFFFFFE, 0xFEFFFFFF},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        const Bytes bytes = hexBytes(row.bytes);
        EXPECT_EQ(row.bigEndian, readBigEndian32(bytes.data()));
        EXPECT_EQ(row.littleEndian, readLittleEndian32(bytes.data()));
        EXPECT_EQ(row.bigEndian >> 16, readBigEndian16(bytes.data()));
        // Each write into bytes that none of the rows holds.
        uint8_t written[4] = {0xA5, 0xA5, 0xA5, 0xA5};
        writeBigEndian32(written, row.bigEndian);
        EXPECT_TRUE(bytesEqual(bytes, written, 4));
        std::fill(std::begin(written), std::end(written), uint8_t{0xA5});
        writeLittleEndian32(written, row.littleEndian);
        EXPECT_TRUE(bytesEqual(bytes, written, 4));
        std::fill(std::begin(written), std::end(written), uint8_t{0xA5});
        writeBigEndian16(written, static_cast<uint16_t>(row.bigEndian >> 16));
        EXPECT_TRUE(bytesEqual(Bytes(bytes.begin(), bytes.begin() + 2), written, 2));
    }
}

std::string spansOf(const Bytes& listing, CutMessages cut) {
    std::string text;
    for (const ListedMessage& message : splitListing(listing.data(), listing.size(), cut))
        text += std::to_string(message.offset) + "+" + std::to_string(message.size) + (message.complete ? " " : "! ");
    return text;
}

TEST(MessageSplit, aListingIsCutIntoWholeMessages) {
    const struct {
        const char* name;
        const char* listing;
        const char* whole;     // offset+size of each whole message
        const char* withCut;   // ... and those cut short, marked !
    } rows[] = {
        {"empty", "", "", ""},
        {"two SysEx", "F0 43 F7 F0 F7", "0+3 3+2 ", "0+3 3+2 "},
        {"stray data bytes between messages", "00 F0 01 F7 7F 7F F0 02 F7", "1+3 6+3 ", "1+3 6+3 "},
        {"a SysEx cut by the end", "F0 01 F7 F0 02 03", "0+3 ", "0+3 3+3! "},
        {"a SysEx cut by the next", "F0 F0 01 F7", "1+3 ", "0+1! 1+3 "},
        {"a SysEx cut by a channel message", "F0 01 B0 07 64 F7", "2+3 ", "0+2! 2+3 "},
        {"channel messages of one and two data bytes", "B1 65 00 C2 05 D3 40 E4 00 40 B5 65",
         "0+3 3+2 5+2 7+3 ", "0+3 3+2 5+2 7+3 10+2! "},
        {"a channel message cut by a status byte", "C0 80 3C 40", "1+3 ", "0+1! 1+3 "},
        {"system common and real-time bytes start nothing", "F8 F1 B0 07 64 FE F7", "2+3 ", "2+3 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes listing = hexBytes(row.listing);
        EXPECT_EQ(row.whole, spansOf(listing, CutMessages::Drop));
        EXPECT_EQ(row.withCut, spansOf(listing, CutMessages::Keep));
    }
}

TEST(SysexMessages, eachMessageIsRecognisedOnAnyDevice) {
    constexpr auto T = true;
    constexpr auto F = false;
    const struct {
        const char* message;
        SysexKind kind;
        bool terminated, whole, checksumOk;
    } rows[] = {
        {"F0 41 10 42 12 40 00 7F 00 41 F7", SysexKind::GsReset, T, T, T},
        {"F0 41 7F 42 12 40 00 7F 00 41 F7", SysexKind::GsReset, T, T, T},
        {"F0 41 10 42 12 40 00 7F 00 41", SysexKind::GsDataSet, F, F, T},  // without F7, no reset
        {"F0 41 10 42 12 00 00 7F 01 00 F7", SysexKind::GsSystemMode, T, T, T},
        {"F0 43 1F 4C 00 00 7E 00 F7", SysexKind::XgSystemOn, T, T, T},
        {"F0 43 10 4C 00 00 7F 00 F7", SysexKind::XgAllParameterReset, T, T, T},
        {"F0 43 20 4C 00 00 7E 00 F7", SysexKind::Other, T, T, T},  // a dump request
        {"F0 7E 7F 09 01 F7", SysexKind::GmSystemOn, T, T, T},
        {"F0 7E 10 09 02 F7", SysexKind::GmSystemOff, T, T, T},
        {"F0 7E 00 09 03 F7", SysexKind::Gm2SystemOn, T, T, T},
        {"F0 7F 7F 09 01 F7", SysexKind::Other, T, T, T},
        {"F0 41 10 42 12 40 11 40 40*12 6F F7", SysexKind::GsScaleTuning, T, T, T},
        {"F0 41 10 42 12 40 11 40 40*12 6E F7", SysexKind::GsScaleTuning, T, T, F},
        {"F0 41 10 42 12 40 1A 4B 40 1B F7", SysexKind::GsScaleTuning, T, T, T},  // part 16, B alone
        {"F0 41 10 42 12 40 1A 4B 40 40 5B F7", SysexKind::GsScaleTuning, T, F, T},  // past B
        {"F0 41 10 42 12 40 11 4C 40 23 F7", SysexKind::GsDataSet, T, T, T},
        {"F0 41 10 42 12 40 11 40 40*12", SysexKind::GsScaleTuning, F, F, T},
        {"F0 43 10 4C 08 0F 4C 40 F7", SysexKind::XgScaleTuning, T, T, T},
        {"F0 43 10 4C 08 00 41 40 40 F7", SysexKind::XgScaleTuning, T, F, T},
        {"F0 43 10 4C 08 00 4D 40 F7", SysexKind::XgParameterChange, T, T, T},
        {"F0 7E 7F 08 08 03 7F 7F 40*12 F7", SysexKind::MtsScaleOctave1Byte, T, T, T},
        {"F0 7F 00 08 08 00 00 01 40*12 F7", SysexKind::MtsScaleOctave1Byte, T, T, T},
        {"F0 7E 7F 08 08 00 00 01 40*11 F7", SysexKind::MtsScaleOctave1Byte, T, F, T},
        {"F0 7E 7F 08 08 00 00 01 40*12", SysexKind::MtsScaleOctave1Byte, F, F, T},
        {"F0 7E 10 08 09 00 00 01 40 00*23 F7", SysexKind::MtsScaleOctave2Byte, T, T, T},
        {"F0 7F 7F 08 09 00 00 01 40 00 F7", SysexKind::MtsScaleOctave2Byte, T, F, T},
        {"F0 7F 7F 08 02 00 01 3C 3C 00 00 F7", SysexKind::MtsSingleNote, T, T, T},
        {"F0 7E 7F 08 02 05 02 3C 3C 00 00 F7", SysexKind::MtsSingleNote, T, F, T},
        {"F0 7E 7F 08 07 00 00 01 3C 3C 00 00 F7", SysexKind::MtsSingleNoteBank, T, T, T},
        // 7E ^ 00 ^ 08 ^ 01 ^ program 00, a name of spaces, keys all 00: 77.
        {"F0 7E 00 08 01 00 20*16 00*384 77 F7", SysexKind::MtsBulkDump, T, T, T},
        {"F0 7E 00 08 01 00 20*16 00*384 76 F7", SysexKind::MtsBulkDump, T, T, F},
        // The last key byte counts too: 77 ^ 01.
        {"F0 7E 00 08 01 00 20*16 00*383 01 76 F7", SysexKind::MtsBulkDump, T, T, T},
        {"F0 7E 7F 08 01 00 41 F7", SysexKind::MtsBulkDump, T, F, T},
        {"F0 7E 7F 08 04 00 00 F7", SysexKind::MtsOtherDump, T, T, T},
        {"F0 7E 7F 08 00 00 F7", SysexKind::Other, T, T, T},  // a dump request
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const Bytes message = hexBytes(row.message);
        const SysexFacts facts = recogniseSysex(message.data(), message.size());
        EXPECT_EQ(row.kind, facts.kind);
        EXPECT_EQ(row.terminated, facts.terminated);
        EXPECT_EQ(row.whole, facts.wholeSize);
        EXPECT_EQ(row.checksumOk, facts.checksumOk);
        EXPECT_EQ(message[2], facts.deviceId);
        // A MIDI file's SysEx event holds the bytes after F0.
        const SysexFacts event = recogniseSysexEvent(message.data() + 1, message.size() - 1);
        EXPECT_EQ(facts.kind, event.kind);
        EXPECT_EQ(facts.wholeSize, event.wholeSize);
        EXPECT_EQ(facts.checksumOk, event.checksumOk);
    }
}

TEST(SysexMessages, channelMapsAndGsPartBlocks) {
    const struct {
        const char* bytes;
        uint16_t channels;
    } maps[] = {
        {"00 00 01", 0x0001}, {"00 00 7F", 0x007F}, {"00 01 00", 0x0080}, {"00 7F 00", 0x3F80},
        {"01 00 00", 0x4000}, {"02 00 00", 0x8000},  // channel 16
        {"03 7F 7F", 0xFFFF},
    };
    for (const auto& row : maps) {
        SCOPED_TRACE(row.bytes);
        const Bytes bytes = hexBytes(row.bytes);
        EXPECT_EQ(row.channels, mtsChannelMap(bytes.data()));
        const std::array<uint8_t, 3> back = mtsChannelMapBytes(row.channels);
        EXPECT_TRUE(bytesEqual(bytes, back.data(), back.size()));
    }
    const struct {
        int part;
        uint8_t block;
    } blocks[] = {{1, 0x11}, {9, 0x19}, {10, 0x10}, {11, 0x1A}, {16, 0x1F}};
    for (const auto& row : blocks) {
        SCOPED_TRACE(row.part);
        EXPECT_EQ(row.block, gsPartBlock(row.part));
        EXPECT_EQ(row.part, gsPartOfBlock(row.block));
    }
}

TEST(ControlChanges, dataEntryWritesTheRegisteredParameterChosenLast) {
    const struct {
        const char* name;
        std::vector<std::array<uint8_t, 2>> controls;  // controller, value on channel 1
        int parameter;                                 // of the last data entry; -1 for none
        int value;
        bool leastSignificant = false;                 // the last data entry was 38
    } rows[] = {
        {"nothing chosen yet", {{6, 5}}, -1, 0},
        {"tuning program", {{101, 0}, {100, 3}, {6, 5}}, 3, 5},
        {"tuning bank", {{100, 4}, {101, 0}, {6, 1}}, 4, 1},
        {"the null parameter", {{101, 0}, {100, 3}, {101, 127}, {100, 127}, {6, 5}}, -1, 0},
        {"a non-registered parameter after it", {{101, 0}, {100, 3}, {99, 1}, {98, 2}, {6, 5}}, -1, 0},
        {"registered again", {{99, 1}, {98, 2}, {101, 0}, {100, 2}, {6, 64}}, 2, 64},
        {"a non-registered MSB alone after it", {{101, 0}, {100, 3}, {99, 1}, {6, 5}}, -1, 0},
        {"a non-registered LSB alone after it", {{101, 0}, {100, 3}, {98, 2}, {6, 5}}, -1, 0},
        {"a non-registered one before it", {{99, 1}, {98, 2}, {101, 0}, {100, 3}, {6, 5}}, 3, 5},
        {"a registered LSB alone after a non-registered one: its MSB as chosen before",
         {{101, 0}, {100, 3}, {99, 1}, {98, 2}, {100, 4}, {6, 1}}, 4, 1},
        {"a registered MSB alone", {{101, 1}, {6, 9}}, 1 << 7 | 127, 9},
        {"data entry LSB", {{101, 0}, {100, 1}, {6, 64}, {38, 7}}, 1, 7, true},
        {"data entry LSB, then its MSB", {{101, 0}, {100, 1}, {38, 7}, {6, 64}}, 1, 64},
        {"data entry LSB to a non-registered one", {{101, 0}, {100, 1}, {99, 0}, {38, 7}}, -1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RegisteredParameters parameters;
        std::optional<ParameterWrite> last;
        for (const auto& control : row.controls) last = parameters.control(0, control[0], control[1]);
        EXPECT_EQ(row.parameter, last ? last->parameter : -1);
        if (last) {
            EXPECT_EQ(row.value, last->value);
            EXPECT_EQ(row.leastSignificant, last->leastSignificant);
        }
        EXPECT_FALSE(parameters.control(1, 6, 5));  // another channel chose nothing
    }
    TuningProgramSelects selects;
    for (int channel : {0, 15})
        for (const auto& control : {std::array<uint8_t, 2>{101, 0}, {100, 3}, {6, 2}}) selects.control(channel, control[0], control[1]);
    EXPECT_EQ(0x8001, selects.channelsSelecting(2, 0));
    EXPECT_EQ(0, selects.channelsSelecting(2, 1));
}

// Coarse tuning (registered parameter 2): its MSB, 64 + semitones. Fine
// tuning (1): 14 bits, 8192 none, 8192 steps per 100 cents. A data entry MSB
// sets the LSB the receiver holds to 0 (MIDI 1.0), so an LSB sent before
// its MSB is lost.
TEST(ControlChanges, channelTuningsFollowCoarseAndFineTuning) {
    const struct {
        const char* name;
        int channel;
        std::vector<std::array<uint8_t, 2>> controls;
        uint16_t tuned;
        double cents;
    } rows[] = {
        {"nothing", 0, {}, 0, 0},
        {"coarse -1", 0, {{101, 0}, {100, 2}, {6, 63}}, 0x0001, -100},
        {"coarse +2 on channel 16", 15, {{101, 0}, {100, 2}, {6, 66}}, 0x8000, 200},
        {"fine 00 00", 0, {{101, 0}, {100, 1}, {6, 0}, {38, 0}}, 0x0001, -100},
        {"fine 40 7F: 127 steps", 0, {{101, 0}, {100, 1}, {6, 0x40}, {38, 0x7F}}, 0x0001, 1.55029296875},
        {"fine 7F 7F: 8191 steps", 0, {{101, 0}, {100, 1}, {6, 0x7F}, {38, 0x7F}}, 0x0001, 99.98779296875},
        {"fine LSB 7F, then MSB 40: the LSB is 0", 0, {{101, 0}, {100, 1}, {38, 0x7F}, {6, 0x40}}, 0x0001, 0},
        {"fine MSB 3F alone: 8064 steps", 0, {{101, 0}, {100, 1}, {6, 0x3F}}, 0x0001, -1.5625},
        {"coarse LSB: unused", 0, {{101, 0}, {100, 2}, {38, 5}}, 0, 0},
        {"coarse after a non-registered LSB", 0, {{101, 0}, {100, 2}, {98, 0}, {6, 63}}, 0, 0},
        {"coarse and fine together", 0, {{101, 0}, {100, 2}, {6, 65}, {100, 1}, {6, 0x20}}, 0x0001, 50},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelTunings tunings;
        for (const auto& control : row.controls) tunings.control(row.channel, control[0], control[1]);
        EXPECT_EQ(row.tuned, tunings.tunedChannels());
        EXPECT_DOUBLE_EQ(row.cents, tunings.cents(row.channel));
    }
}

// RIFF chunks are padded to an even size; the pad byte is not counted in
// the chunk's own size but is in the RIFF chunk's, which holds it. A bare
// RMID file: RIFF size 4 ("RMID") + 8 + data (+ pad); the data chunk's
// body begins at byte 20.
TEST(SmfWriter, aRewrappedDataChunkIsPaddedToAnEvenSize) {
    const struct {
        const char* name;
        uint32_t riffSize;
        std::size_t oldData, oldDataEnd, newData;
        uint32_t dataSize, newRiffSize;
        bool pad;
        std::size_t oldPadded;
    } rows[] = {
        {"even, then odd: a pad byte", 356, 344, 364, 355, 355, 368, true, 344},
        {"even, then even", 356, 344, 364, 346, 346, 358, false, 344},
        {"odd with its pad, then even: the pad goes", 368, 355, 375, 366, 366, 378, false, 356},
        {"odd with its pad, then odd", 368, 355, 375, 357, 357, 370, true, 356},
        {"odd ending the RIFF chunk unpadded, then odd: still unpadded", 367, 355, 375, 357, 357, 369, false, 355},
        {"odd ending the RIFF chunk unpadded, then even", 367, 355, 375, 366, 366, 378, false, 355},
        {"even with a chunk of 12 after it, then odd", 368, 344, 364, 355, 355, 380, true, 344},
        {"over 65535 bytes, even, then odd", 0x10010, 0x10004, 0x10018, 0x1000F, 0x1000F, 0x1001C, true, 0x10004},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RiffRewrap rewrap = rewrapRiff(row.riffSize, row.oldData, row.oldDataEnd, row.newData);
        EXPECT_EQ(row.dataSize, rewrap.dataSize);
        EXPECT_EQ(row.newRiffSize, rewrap.riffSize);
        EXPECT_EQ(row.pad, rewrap.pad);
        EXPECT_EQ(row.oldPadded, rewrap.oldPadded);
    }
}

const char* const kTuning = "00 F0 15 41 10 42 12 40 11 40 40*12 6F F7";  // GS part 1, all 0
const char* const kNote = "00 90 3C 64 60 80 3C 00";
const char* const kEnd = "00 FF 2F 00";

std::string track(std::initializer_list<const char*> events) {
    std::string text;
    for (const char* event : events) text += std::string(" ") + event;
    return text;
}

// A RIFF RMID file around `smf`, after `before` (whole sub-chunks as hex),
// with the data chunk's pad byte when it is odd and `pad` asks for it.
Bytes riffWrap(const Bytes& smf, const char* before, bool pad) {
    const Bytes chunks = hexBytes(before);
    const bool padded = pad && (smf.size() & 1);
    const std::size_t riffSize = 4 + chunks.size() + 8 + smf.size() + (padded ? 1 : 0);
    Bytes file = hexBytes("52 49 46 46");
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(riffSize >> (8 * i)));
    for (const char c : std::string("RMID")) file.push_back(static_cast<uint8_t>(c));
    file.insert(file.end(), chunks.begin(), chunks.end());
    for (const char c : std::string("data")) file.push_back(static_cast<uint8_t>(c));
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(smf.size() >> (8 * i)));
    file.insert(file.end(), smf.begin(), smf.end());
    if (padded) file.push_back(0);
    return file;
}

// The verdict of `read` and of `apply` on odd and damaged files: both go
// through the one reader, so they take and refuse the same files, naming the
// same byte and the same trouble.
TEST(SmfReader, readAndApplyGiveOneVerdict) {
    const Bytes oneTrack = testSmf(0, "01 E0", {track({kTuning, kNote, kEnd})});
    const Bytes oddTrack = testSmf(0, "01 E0", {track({kTuning, kNote, "00 FF 01 01 41", kEnd})});
    ASSERT_EQ(1u, oddTrack.size() & 1);
    // A text of 300 bytes (length 82 2C): a track of 341 bytes, a file of 363.
    const Bytes longTrack = testSmf(0, "01 E0", {track({"00 FF 01 82 2C 41*300", kTuning, kNote, kEnd})});
    ASSERT_EQ(363u, longTrack.size());
    // A text of 70000 bytes (84 A2 70): a track of 70042 bytes, 00 01 11 9A.
    const Bytes longestTrack = hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 01 11 9A"
                                        " 00 FF 01 84 A2 70 41*70000" + track({kTuning, kNote, kEnd}));
    ASSERT_EQ(22u + 70042, longestTrack.size());
    const struct {
        const char* name;
        Bytes file;
        SmfError error;
        std::size_t offset;
    } rows[] = {
        {"one track", oneTrack, SmfError::None, 0},
        {"a foreign chunk before the track", testSmf(1, "01 E0", {track({kTuning, kNote, kEnd})}, "58 46 49 48 00 00 00 02 01 02"),
         SmfError::None, 0},
        {"bytes after the last chunk", [&] { Bytes b = oneTrack; b.insert(b.end(), {0, 0, 0}); return b; }(),
         SmfError::None, 0},
        {"program change and channel pressure under running status",
         testSmf(0, "01 E0", {track({"00 C0 05 00 06 00 D0 40 00 41", kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"running status across a SysEx", testSmf(0, "01 E0", {track({"00 90 3C 64", kTuning, "60 3C 00", kEnd})}),
         SmfError::None, 0},
        {"a four-byte delta time", testSmf(0, "01 E0", {track({kTuning, "FF FF FF 7F 90 3C 64", kEnd})}), SmfError::None, 0},
        {"SMPTE, 29.97 frames a second", testSmf(0, "E3 28", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"96 ticks a quarter note", testSmf(0, "00 60", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"1 tick a quarter note", testSmf(0, "00 01", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"32767 ticks a quarter note", testSmf(0, "7F FF", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"SMPTE 25 frames of 40 ticks", testSmf(0, "E7 28", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"SMPTE 30 frames of 80 ticks", testSmf(0, "E2 50", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"SMPTE 24 frames of 255 ticks", testSmf(0, "E8 FF", {track({kTuning, kNote, kEnd})}), SmfError::None, 0},
        {"a header chunk of eight bytes, its last two skipped",
         hexBytes("4D 54 68 64 00 00 00 08 00 00 00 01 01 E0 4D 54 4D 54 72 6B 00 00 00 24" +
                  track({kTuning, kNote, kEnd})),
         SmfError::None, 0},
        {"bytes after End of Track inside its chunk", testSmf(0, "01 E0", {track({kTuning, kNote, kEnd, "00 F8 01"})}),
         SmfError::None, 0},
        {"a track longer than 255 bytes", longTrack, SmfError::None, 0},
        {"a track longer than 65535 bytes", longestTrack, SmfError::None, 0},
        {"RIFF wrapper longer than 255 bytes", riffWrap(longTrack, "", true), SmfError::None, 0},
        {"RIFF wrapper, even data", riffWrap(oneTrack, "", true), SmfError::None, 0},
        {"RIFF wrapper, odd data with its pad", riffWrap(oddTrack, "", true), SmfError::None, 0},
        {"RIFF wrapper, odd data without a pad", riffWrap(oddTrack, "", false), SmfError::None, 0},
        {"RIFF wrapper, an odd chunk before data", riffWrap(oneTrack, "4C 49 53 54 03 00 00 00 61 62 63 00", true),
         SmfError::None, 0},
        {"truncated header", hexBytes("4D 54 68 64 00 00 00 06 00 00 00"), SmfError::NotMidiFile, 0},
        {"no MThd", hexBytes("4D 54 72 6B 00 00 00 04 00 FF 2F 00 00 00"), SmfError::NotMidiFile, 0},
        {"RIFF RMID without data", hexBytes("52 49 46 46 04 00 00 00 52 4D 49 44"), SmfError::NotMidiFile, 0},
        {"RIFF chunk past its end", hexBytes("52 49 46 46 10 00 00 00 52 4D 49 44"), SmfError::ChunkPastEnd, 0},
        {"format 2", testSmf(2, "01 E0", {kEnd}), SmfError::Format2, 8},
        {"0 ticks per quarter note", testSmf(0, "00 00", {kEnd}), SmfError::BadDivision, 12},
        {"SMPTE -26", testSmf(0, "E6 28", {kEnd}), SmfError::BadDivision, 12},
        {"SMPTE -24 with no tick a frame", testSmf(0, "E8 00", {kEnd}), SmfError::BadDivision, 12},
        {"SMPTE -30 with no tick a frame", testSmf(0, "E2 00", {kEnd}), SmfError::BadDivision, 12},
        {"a header chunk of five bytes", hexBytes("4D 54 68 64 00 00 00 05 00 00 00 01 01 E0 00 4D 54 72 6B 00 00 00 04" +
                                                  track({kEnd})),
         SmfError::NotMidiFile, 0},
        {"a chunk past the end", hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B 00 00 00 10 00 FF 2F 00"),
         SmfError::ChunkPastEnd, 14},
        {"a delta time of five bytes", testSmf(0, "01 E0", {"81 81 81 81 00 90 3C 64"}), SmfError::NumberTooLong, 22},
        {"a SysEx longer than its track", testSmf(0, "01 E0", {"00 F0 05 7E 7F F7"}), SmfError::EventPastTrack, 23},
        {"a channel message cut by its track", testSmf(0, "01 E0", {"00 93 3C"}), SmfError::EventPastTrack, 23},
        {"data without running status", testSmf(0, "01 E0", {"00 3C 64 00 FF 2F 00"}), SmfError::NoRunningStatus, 23},
        {"a real-time status in a track", testSmf(0, "01 E0", {"00 F8 00 FF 2F 00"}), SmfError::StrayStatus, 23},
        {"a status byte as data", testSmf(0, "01 E0", {"00 90 3C 90 00 FF 2F 00"}), SmfError::StrayStatus, 25},
        {"no track", testSmf(0, "01 E0", {}, "58 46 49 48 00 00 00 00"), SmfError::NoTrack, 22},
    };
    const Bytes listing = hexBytes("F0 43 10 4C 08 00 41 46 F7");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TuningReadResult read = readTuningFile(TuningFileKind::Mid, row.file.data(), row.file.size());
        const SongTuningResult applied = tuneSong(row.file.data(), row.file.size(), listing.data(), listing.size(), {});
        if (row.error == SmfError::None) {
            EXPECT_TRUE(read.ok()) << static_cast<int>(read.error);
            EXPECT_TRUE(applied.ok()) << static_cast<int>(applied.error.kind) << " at " << applied.error.byteOffset;
            continue;
        }
        EXPECT_EQ(TuningReadError::DamagedMidiFile, read.error);
        EXPECT_EQ(row.error, read.midiFault.kind);
        EXPECT_EQ(row.offset, read.midiFault.byteOffset);
        EXPECT_EQ(row.error, applied.error.kind);
        EXPECT_EQ(row.offset, applied.error.byteOffset);
        EXPECT_TRUE(applied.bytes.empty());
    }
}

}  // namespace
