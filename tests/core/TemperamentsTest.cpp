#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tuning/Temperaments.h"

namespace {

// Cents above C, C..B, as printed in published tables of each temperament
// (three decimals unless the row says otherwise), typed here as an
// independent check of the constructions. A table printed relative to
// another note or to equal temperament is typed as cents above C.
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
    // meantone-1/3, -2/7, -1/5, lehman, barnes: the Scala scale archive's
    // meanthird, mean2sev, meanfifth, lehman-bach and barnes.scl as reprinted in
    // Tune.js (github.com/abbernie/tune, tunings/*/*.mtx, Hz to 11 digits).
    {"meantone-1/3",
     {0, 63.504, 189.572, 315.641, 379.145, 505.214, 568.717, 694.786, 758.290, 884.359,
      1010.428, 1073.931}},
    {"meantone-2/7",
     {0, 70.672, 191.621, 312.569, 383.241, 504.190, 574.862, 695.810, 766.483, 887.431,
      1008.379, 1079.052}},
    {"meantone-1/5",
     {0, 83.576, 195.307, 307.039, 390.615, 502.346, 585.922, 697.654, 781.230, 892.961,
      1004.693, 1088.269}},
    {"lehman",
     {0, 98.045, 196.090, 298.045, 392.180, 501.955, 596.090, 698.045, 798.045, 894.135,
      998.045, 1094.135}},
    {"barnes",
     {0, 94.135, 196.090, 298.045, 392.180, 501.955, 592.180, 698.045, 796.090, 894.135,
      1000.000, 1094.135}},
    // werckmeister4, werckmeister5, kellner: the Scala scale archive's
    // werck4.scl, werck5.scl and kellner.scl, as reprinted in the Mx44
    // synthesizer's temperament list; that reprint gives D of Werckmeister V
    // as 203.09, a misprint of the 203.91 its fifths make.
    {"werckmeister4",
     {0, 82.405, 196.090, 294.135, 392.180, 498.045, 588.270, 694.135, 784.360, 890.225,
      1003.910, 1086.315}},
    {"werckmeister5",
     {0, 96.090, 203.910, 300.000, 396.090, 503.910, 600.000, 701.955, 792.180, 900.000,
      1001.955, 1098.045}},
    {"kellner",
     {0, 90.225, 194.526, 294.135, 389.052, 498.045, 588.270, 697.263, 792.180, 891.789,
      996.090, 1091.007}},
    // ratioscore's "Kirnberger I, in cents" (github.com/craigsapp/ratioscore,
    // doc/kirnberger), above D. It narrows C#-G# by the schisma (C# 92.18); the
    // construction here narrows F#-C#, as its Kirnberger II and III do: C# 90.225.
    {"kirnberger1",
     {0, 90.225, 203.910, 294.135, 386.314, 498.045, 590.224, 701.955, 792.180, 884.359,
      996.090, 1088.269}},
    // German Wikipedia, "Kirnberger-Stimmung": deviations from equal
    // temperament to three decimals.
    {"kirnberger2",
     {0, 90.224, 203.910, 294.135, 386.314, 498.045, 590.223, 701.955, 792.178, 895.111,
      996.090, 1088.268}},
};

TEST(Temperaments, listsTheBuiltInsInTheirOrderWithIdsAndNames) {
    const auto& temperaments = builtInTemperaments();
    ASSERT_EQ(19u, temperaments.size());  // the ten later ones after the first nine, as the window lists them
    EXPECT_STREQ("meantone-1/3", temperaments[9].id);
    EXPECT_STREQ("barnes", temperaments[18].id);
    for (std::size_t i = 0; i < 9; ++i) {
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
    for (const char* id : {"werckmeister3", "kirnberger3", "vallotti", "young2", "kellner", "barnes"}) {
        SCOPED_TRACE(id);
        const auto& cents = findTemperament(id)->centsAboveC;
        const double gSharpToEFlat = cents[3] + 1200 - cents[8];
        EXPECT_NEAR(pureFifth, gSharpToEFlat, 1e-9);
    }
}

}  // namespace
