#include <gtest/gtest.h>

#include <string>

#include "tuning/KeyPitch.h"

namespace {

TEST(KeyPitch, isTheEqualTemperedKeyboardAtItsA4) {
    // 440 x 2^((key - 69) / 12 + cents / 1200), by hand.
    const struct { int key; double a4Hz, cents, hz; } rows[] = {
        {69, 440.0, 0, 440.0},         {60, 440.0, 0, 261.6255653},   {0, 440.0, 0, 8.1757989156},
        {127, 440.0, 0, 12543.853951}, {60, 440.0, 100, 277.1826310}, {69, 415.0, 0, 415.0},
        {60, 415.0, 0, 246.7604764},   {68, 440.0, -100, 391.9954360},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("key " + std::to_string(row.key) + " at " + std::to_string(row.a4Hz));
        EXPECT_NEAR(row.hz, keyHz(row.key, row.a4Hz, row.cents), row.hz * 1e-9);
        EXPECT_NEAR(row.cents, centsAboveKey(row.key, row.hz, row.a4Hz), 1e-6);
    }
    EXPECT_EQ(440.0, keyHz(kA4Key));
    EXPECT_NEAR(-101.2706247, centsAboveKey(kA4Key, 415.0), 1e-6);
    EXPECT_NEAR(880.0, raisedHz(440.0, 1200.0), 1e-9);
}

}  // namespace
