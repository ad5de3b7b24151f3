#include <gtest/gtest.h>

#include <vector>

#include "TestBytes.h"
#include "retune/ChannelMirror.h"

namespace {

TEST(ChannelMirror, followsWhatSoundsMessageByMessage) {
    const struct {
        const char* name;
        std::vector<const char*> messages;  // one a step, at times 1, 2, ...
        uint32_t notes, channels;           // sounding after them
        uint64_t silentSince;               // channel 1's
    } rows[] = {
        {"a key struck twice needs two note-offs", {"90 3C 64", "90 3C 64", "80 3C 40"}, 1, 1, 0},
        {"... and is silent after both", {"90 3C 64", "90 3C 64", "80 3C 40", "90 3C 00"}, 0, 0, 4},
        {"the sustain pedal holds released keys", {"B0 40 7F", "90 3C 64", "80 3C 40"}, 1, 1, 0},
        {"... until it is up", {"B0 40 7F", "90 3C 64", "80 3C 40", "B0 40 3F"}, 0, 0, 4},
        {"the sostenuto pedal holds the keys down when it went down, no later one",
         {"90 3C 64", "B0 42 7F", "90 40 64", "80 3C 40", "80 40 40"}, 1, 1, 0},
        {"... until it is up", {"90 3C 64", "B0 42 7F", "80 3C 40", "B0 42 00"}, 0, 0, 4},
        {"All Notes Off under the sustain pedal: held on", {"B0 40 7F", "90 3C 64", "91 3C 64", "B0 7B 00"}, 2, 2, 0},
        {"All Sound Off silences even those", {"B0 40 7F", "90 3C 64", "B0 78 00"}, 0, 0, 3},
        {"Reset All Controllers lifts the pedals", {"B0 40 7F", "90 3C 64", "80 3C 40", "B0 79 00"}, 0, 0, 4},
        {"a note-off for a key not down changes nothing", {"90 3C 64", "80 3D 40", "81 3C 40"}, 1, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ChannelMirror mirror;
        uint64_t time = 0;
        for (const char* hex : row.messages) {
            const Bytes message = hexBytes(hex);
            mirror.follow(message.data(), message.size(), ++time);
        }
        EXPECT_EQ(row.notes, mirror.notesSounding());
        EXPECT_EQ(row.channels, mirror.channelsSounding());
        EXPECT_EQ(row.silentSince, mirror[0].silentSince);
    }
}

TEST(ChannelMirror, aZonesManagerPedalHoldsItsMembersAndAResetLiftsIt) {
    ChannelMirror mirror;
    mirror.setZone(0, 0b111);
    for (const char* hex : {"B0 40 7F", "91 3C 64", "81 3C 40", "E2 00 60"}) {
        const Bytes message = hexBytes(hex);
        mirror.follow(message.data(), message.size(), 1);
    }
    EXPECT_EQ(1u, mirror.notesSounding());
    EXPECT_TRUE(mirror[1].sustain);
    EXPECT_EQ(0x3000, mirror[2].bend);
    mirror.reset();
    EXPECT_FALSE(mirror[0].sustain);
    EXPECT_EQ(0x2000, mirror[2].bend);
    const Bytes pedalUp = hexBytes("B0 40 00");
    mirror.follow(pedalUp.data(), pedalUp.size(), 2);
    EXPECT_EQ(0u, mirror.notesSounding());
    // Keys the sostenuto pedal caught before a reset go when it is up.
    for (const char* hex : {"93 3C 64", "B3 42 7F", "83 3C 40"}) {
        const Bytes message = hexBytes(hex);
        mirror.follow(message.data(), message.size(), 3);
    }
    mirror.reset();
    EXPECT_EQ(1u, mirror.notesSounding());
    const Bytes sostenutoUp = hexBytes("B3 42 00");
    mirror.follow(sostenutoUp.data(), sostenutoUp.size(), 4);
    EXPECT_EQ(0u, mirror.notesSounding());
}

}  // namespace
