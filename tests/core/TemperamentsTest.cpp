#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tuning/Temperaments.h"

namespace {

// Cents above C, C..B, as printed in published tables of each temperament
// (three decimals), typed here as an independent check of the constructions.
struct PublishedTable {
    const char* id;
    double cents[12];
};

const PublishedTable kPublished[] = {
    {"equal", {0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100}},
    {"pythagorean",
     {0, 113.685, 203.910, 294.135, 407.820, 498.045, 611.730, 701.955, 815.640, 905.865,
      996.090, 1109.775}},
    {"meantone-1/4",
     {0, 76.049, 193.157, 310.265, 386.314, 503.422, 579.471, 696.578, 772.627, 889.735,
      1006.843, 1082.892}},
    {"meantone-1/6",
     {0, 88.594, 196.741, 304.888, 393.482, 501.629, 590.224, 698.371, 786.965, 895.112,
      1003.259, 1091.853}},
    {"werckmeister3",
     {0, 90.225, 192.180, 294.135, 390.225, 498.045, 588.270, 696.090, 792.180, 888.270,
      996.090, 1092.180}},
    {"kirnberger3",
     {0, 90.225, 193.157, 294.135, 386.314, 498.045, 590.224, 696.578, 792.180, 889.735,
      996.090, 1088.269}},
    {"vallotti",
     {0, 94.135, 196.090, 298.045, 392.180, 501.955, 592.180, 698.045, 796.090, 894.135,
      1000.000, 1090.225}},
    {"young2",
     {0, 90.225, 196.090, 294.135, 392.180, 498.045, 588.270, 698.045, 792.180, 894.135,
      996.090, 1090.225}},
    {"just-major",
     {0, 111.731, 203.910, 315.641, 386.314, 498.045, 590.224, 701.955, 813.686, 884.359,
      1017.596, 1088.269}},
};

TEST(Temperaments, listsTheBuiltInsInTheirOrderWithIdsAndNames) {
    const auto& temperaments = builtInTemperaments();
    ASSERT_EQ(std::size(kPublished), temperaments.size());
    for (std::size_t i = 0; i < temperaments.size(); ++i) {
        SCOPED_TRACE(kPublished[i].id);
        EXPECT_STREQ(kPublished[i].id, temperaments[i].id);
        EXPECT_NE(std::string(), temperaments[i].englishName);
        EXPECT_EQ(&temperaments[i], findTemperament(kPublished[i].id));
    }
    EXPECT_STREQ("Werckmeister III", findTemperament("werckmeister3")->englishName);
    EXPECT_STREQ("Pythagorean", findTemperament("pythagorean")->englishName);
    EXPECT_EQ(nullptr, findTemperament("Werckmeister3"));
    EXPECT_EQ(nullptr, findTemperament(""));
}

TEST(Temperaments, matchPublishedCentsWithinOneHundredthOfACent) {
    for (const PublishedTable& table : kPublished) {
        const Temperament* temperament = findTemperament(table.id);
        ASSERT_NE(nullptr, temperament) << table.id;
        for (int k = 0; k < 12; ++k) {
            SCOPED_TRACE(std::string(table.id) + " pitch class " + std::to_string(k));
            EXPECT_NEAR(table.cents[k], temperament->centsAboveC[k], 0.01);
        }
    }
}

// The circle closes: the twelve fifths of a well temperament add up to seven
// octaves, so the G#-Eb fifth takes what the construction left over.
TEST(Temperaments, wellTemperamentsCloseTheCircleWithAPureOrNearlyPureFifth) {
    const double pureFifth = 1200 * std::log2(1.5);
    for (const char* id : {"werckmeister3", "kirnberger3", "vallotti", "young2"}) {
        SCOPED_TRACE(id);
        const auto& cents = findTemperament(id)->centsAboveC;
        const double gSharpToEFlat = cents[3] + 1200 - cents[8];
        EXPECT_NEAR(pureFifth, gSharpToEFlat, 1e-9);
    }
}

}  // namespace
