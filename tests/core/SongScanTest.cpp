#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "TestBytes.h"
#include "midi/ChannelSettings.h"
#include "midi/MessageSplit.h"
#include "midi/SongScan.h"
#include "midi/TrackMerge.h"

namespace {

// Three tracks. Track 0: a tempo of 500000 us and a GS Reset at tick 0, a
// note on channel 1 at 96. Track 1: a text, registered parameter 0 set to
// 12 semitones on channel 2 and a note there at 0, the range's cents (50)
// at 480. Track 2: a GS scale tuning, a data entry with no parameter chosen
// in this track, XG System On.
const Bytes kSong = testSmf(1, "01 E0",
                            {"00 FF 51 03 07 A1 20 00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 60 90 3C 64 00 FF 2F 00",
                             "00 FF 03 01 41 00 B1 65 00 00 B1 64 00 00 B1 06 0C 00 91 28 64 83 60 B1 26 32 00 FF 2F 00",
                             "00 F0 15 41 10 42 12 40 11 40 40*12 6F F7 00 B1 06 05 00 F0 08 43 10 4C 00 00 7E 00 F7 "
                             "00 FF 2F 00"});

std::vector<std::pair<uint32_t, uint32_t>> positions(const std::vector<SongMark>& marks) {
    std::vector<std::pair<uint32_t, uint32_t>> list;
    for (const SongMark& mark : marks) list.push_back({mark.at.track, mark.at.index});
    return list;
}

TEST(SongScan, findsTheResetsTuningsTemposAndWhatEachTrackAndChannelPlays) {
    SmfLayout layout;
    ASSERT_TRUE(readSmfLayout(kSong.data(), kSong.size(), layout).ok());
    SongScan scan;
    ASSERT_TRUE(scanSong(kSong.data(), layout, scan).ok());
    using Places = std::vector<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ((Places{{0, 1}, {2, 2}}), positions(scan.resets));
    EXPECT_EQ((Places{{2, 0}}), positions(scan.tunings));
    ASSERT_EQ(1u, scan.tempos.size());
    EXPECT_EQ(500000u, scan.tempos[0].value);
    ASSERT_EQ(3u, scan.tracks.size());
    EXPECT_EQ(2u, scan.tracks[0].firstNote);
    EXPECT_EQ(96u, scan.tracks[0].firstNoteTick);
    EXPECT_EQ(0u, scan.tracks[0].lastTickZeroMeta);
    EXPECT_EQ(4u, scan.tracks[1].firstNote);
    EXPECT_EQ(0u, scan.tracks[1].lastTickZeroMeta);
    EXPECT_EQ(kNoEvent, scan.tracks[2].firstNote);
    EXPECT_EQ(kNoEvent, scan.tracks[2].lastTickZeroMeta);  // End of Track does not count
    EXPECT_EQ(0b11, scan.usedChannels());
    EXPECT_EQ(1u, scan.channels[0].events);
    EXPECT_EQ(96u, scan.channels[0].firstNoteTick);
    EXPECT_TRUE(scan.channels[0].keysPlayed[60]);
    EXPECT_DOUBLE_EQ(200, scan.channels[0].widestBendRangeCents);
    EXPECT_EQ(6u, scan.channels[1].events);
    EXPECT_EQ(0u, scan.channels[1].firstNoteTick);
    EXPECT_TRUE(scan.channels[1].keysPlayed[40]);
    EXPECT_DOUBLE_EQ(1250, scan.channels[1].widestBendRangeCents);
    EXPECT_EQ(kNoTick, scan.channels[2].firstNoteTick);
}

TEST(TrackMerge, givesTheEventsByTickThenTrackThenPlace) {
    SmfLayout layout;
    ASSERT_TRUE(readSmfLayout(kSong.data(), kSong.size(), layout).ok());
    TrackMerge merge(kSong.data(), layout);
    std::vector<std::pair<uint32_t, uint32_t>> order;
    uint32_t track;
    TrackEvent event;
    while (merge.next(track, event)) order.push_back({track, event.index});
    EXPECT_TRUE(merge.fault().ok());
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 0},
                                                         {2, 1}, {2, 2}, {2, 3}, {0, 2}, {0, 3}, {1, 5}, {1, 6}}),
              order);
}

TEST(ChannelSettings, followsWhatASenderSets) {
    ChannelSettings channel;
    for (const auto& [controller, value] : {std::pair<uint8_t, uint8_t>{101, 0}, {100, 0}}) channel.control(controller, value);
    EXPECT_TRUE(channel.control(6, 12));
    EXPECT_TRUE(channel.control(38, 50));
    EXPECT_DOUBLE_EQ(1250, channel.rangeCents);
    EXPECT_TRUE(channel.control(6, 3));  // MIDI 1.0: an MSB sets the cents (its LSB) to 0
    EXPECT_DOUBLE_EQ(300, channel.rangeCents);
    // Non-registered 1/8 and registered 1 written, their numbers kept.
    for (const auto& [controller, value] : {std::pair<uint8_t, uint8_t>{99, 1}, {98, 8}, {6, 64}, {101, 0}, {100, 1},
                                            {6, 70}, {38, 3}})
        EXPECT_FALSE(channel.control(controller, value));
    ASSERT_EQ(2u, channel.parameterCount);
    EXPECT_EQ(1 << 14 | 1 << 7 | 8, channel.parameters[0].number);
    EXPECT_EQ(64, channel.parameters[0].msb);
    EXPECT_EQ(ChannelSettings::kUnset, channel.parameters[0].lsb);
    EXPECT_EQ(1, channel.parameters[1].number);
    EXPECT_EQ(70, channel.parameters[1].msb);
    EXPECT_EQ(3, channel.parameters[1].lsb);
    EXPECT_FALSE(channel.control(6, 71));  // MIDI 1.0: a new MSB sets the LSB to 0, which it alone gives
    EXPECT_EQ(71, channel.parameters[1].msb);
    EXPECT_EQ(ChannelSettings::kUnset, channel.parameters[1].lsb);
    // Reset All Controllers: volume, pan and bank select stay.
    for (const auto& [controller, value] : {std::pair<uint8_t, uint8_t>{0, 1}, {32, 2}, {7, 80}, {10, 30}, {1, 64},
                                            {64, 127}, {121, 0}})
        channel.control(controller, value);
    EXPECT_EQ(1, channel.controllers[0]);
    EXPECT_EQ(2, channel.controllers[32]);
    EXPECT_EQ(80, channel.controllers[7]);
    EXPECT_EQ(30, channel.controllers[10]);
    EXPECT_EQ(ChannelSettings::kUnset, channel.controllers[1]);
    EXPECT_EQ(ChannelSettings::kUnset, channel.controllers[64]);
    EXPECT_EQ(-1, channel.choice.chosen());
    // Past the slots a parameter is not remembered.
    for (uint8_t n = 0; n < ChannelSettings::kParameterSlots; ++n) {
        channel.control(99, 2);
        channel.control(98, n);
        channel.control(6, 1);
    }
    EXPECT_EQ(ChannelSettings::kParameterSlots, channel.parameterCount);
}

TEST(MessageSplit, aWholeMessageHasItsStatusAndExactlyItsDataBytes) {
    const struct {
        const char* hex;
        bool whole;
    } rows[] = {
        {"90 3C 64", true}, {"90 3C", false}, {"90 3C 64 00", false}, {"90 3C 80", false}, {"C0 05", true},
        {"C0 05 06", false}, {"F0 7E 7F 09 01 F7", true}, {"F0 F7", true}, {"F0 7E F7 01 F7", false},
        {"F0 43 10", false}, {"F8", true}, {"F2 01 02", true}, {"F3 01", true}, {"F7", false}, {"3C", false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hex);
        const Bytes bytes = hexBytes(row.hex);
        EXPECT_EQ(row.whole, isWholeMessage(bytes.data(), bytes.size()));
    }
}

}  // namespace
