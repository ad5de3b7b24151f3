#include <gtest/gtest.h>

#include "TestBytes.h"
#include "WholeListing.h"
#include "sysex/HexListing.h"
#include "sysex/SysexBuilder.h"

namespace {

std::string listing(TuningFormat format, uint32_t selection) {
    ScaleOffsets offsets;
    offsets.fill(0);
    return wholeListing({format, offsets, selection});
}

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(HexListing, oneLinePerMessageWithoutTrailingSpaceOrFinalLineEnd) {
    EXPECT_EQ("F0 41 10 42 12 40 11 40 40 40 40 40 40 40 40 40 40 40 40 40 6F F7",
              listing(TuningFormat::GS, 1));

    const std::string twoParts = listing(TuningFormat::GS, 3);
    EXPECT_EQ(132u, twoParts.size());
    EXPECT_EQ(twoParts.substr(0, 65) + "\r\n", twoParts.substr(0, 67));

    EXPECT_EQ(62u, listing(TuningFormat::GM2, 0xFFFF).size());
    EXPECT_EQ(0u, countOf(listing(TuningFormat::GM2, 0xFFFF), "\n"));
}

TEST(HexListing, xgWithAllPartsIsTheLongestListing) {
    const std::string text = listing(TuningFormat::XG, 0xFFFF);
    EXPECT_EQ(5374u, text.size());
    EXPECT_EQ(191u, countOf(text, "\r\n"));
    EXPECT_EQ(0u, countOf(text, " \r"));
    EXPECT_EQ("F0 43 10 4C 08 0F 4C 40 F7", text.substr(text.size() - 26));

    EXPECT_EQ(12u * 26 + 11 * 2, listing(TuningFormat::XG, 1).size());
}

TEST(HexListing, edgesOfTheByteStream) {
    EXPECT_EQ("", formatHexListing(nullptr, 0));
    EXPECT_EQ("", listing(TuningFormat::GS, 0));
    // Bytes after the last F7 keep their spaces; an F7 at the end adds nothing.
    const uint8_t odd[] = {0x00, 0xF7, 0xF7, 0x0A, 0xFF};
    EXPECT_EQ("00 F7\r\nF7\r\n0A FF ", formatHexListing(odd, sizeof odd));
}

}  // namespace
