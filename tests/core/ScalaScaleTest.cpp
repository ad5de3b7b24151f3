#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "TestBytes.h"
#include "tuning/ScalaScale.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningExport.h"

namespace {

using namespace std::string_literals;

ScalaReadResult readFixture(const std::string& name) {
    return parseScala(readFile(fixturePath("scl/" + name)));
}

// Ratios are compared with their cents as published, to three decimals.
::testing::AssertionResult centsAre(const std::vector<double>& expected, const ScalaScale& scale) {
    if (expected.size() != scale.pitches.size())
        return ::testing::AssertionFailure()
               << expected.size() << " pitches expected, " << scale.pitches.size() << " read";
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (std::fabs(expected[i] - scale.pitches[i].cents) > 5e-4)
            return ::testing::AssertionFailure() << "pitch " << i + 1 << ": expected "
                                                 << expected[i] << ", read "
                                                 << scale.pitches[i].cents;
    return ::testing::AssertionSuccess();
}

TEST(ScalaScale, readsTheFormsThatTheFormatAllows) {
    const struct {
        const char* file;
        std::string description;
        std::vector<double> cents;
    } rows[] = {
        {"comments.scl", "Meantone from Scala's own comments",
         {76.049, 193.157, 310.265, 386.314, 503.422, 579.471, 696.578, 772.627, 889.735,
          1006.843, 1082.892, 1200}},
        {"blank_description.scl", "", {203.910, 386.314, 701.955, 884.359, 1200}},
        {"integer_pitch.scl", "Octave written as an integer", {386.314, 701.955, 1200}},
        {"cents_forms.scl", "Cents in every form", {100, 200, 300.5, -5, 700.25, 1200}},
        {"crlf.scl", "CR LF line ends", {701.955, 1200}},
        {"bom.scl", "Saved with a UTF-8 byte-order mark", {701.955, 1200}},
        {"raw_description.scl", "\x95\xbd\x8b\xcf\x97\xa5 \xff\0end"s, {1200}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const ScalaReadResult result = readFixture(row.file);
        ASSERT_TRUE(result.ok()) << static_cast<int>(result.detail);
        EXPECT_EQ(row.description, result.scale.description);
        EXPECT_TRUE(centsAre(row.cents, result.scale));
    }
    const ScalaReadResult integer = readFixture("integer_pitch.scl");
    EXPECT_TRUE(integer.scale.pitches.back().isRatio);
    EXPECT_EQ(2, integer.scale.pitches.back().numerator);
    EXPECT_EQ(1, integer.scale.pitches.back().denominator);
    EXPECT_EQ(6u, integer.scale.pitches.back().line);
}

TEST(ScalaScale, refusesBadFilesNamingTheLine) {
    const struct {
        const char* file;
        ScalaError error;
        ScalaDetail detail;
        std::size_t line;
    } rows[] = {
        {"bad_not_a_number.scl", ScalaError::NotANumber, ScalaDetail::NoPitchValue, 5},
        {"bad_zero_ratio.scl", ScalaError::NonPositiveRatio, ScalaDetail::RatioNotPositive, 4},
        {"bad_negative_ratio.scl", ScalaError::NonPositiveRatio, ScalaDetail::RatioNotPositive, 4},
        {"bad_zero_denominator.scl", ScalaError::NonPositiveRatio, ScalaDetail::ZeroDenominator, 4},
        {"bad_negative_count.scl", ScalaError::BadCount, ScalaDetail::NegativeCount, 3},
        {"bad_count_not_a_number.scl", ScalaError::BadCount, ScalaDetail::CountNotANumber, 3},
        {"bad_missing_count.scl", ScalaError::MissingCount, ScalaDetail::NoCount, 4},
        {"bad_count_too_large.scl", ScalaError::CountTooLarge, ScalaDetail::CountTooLarge, 3},
        {"bad_too_few_pitches.scl", ScalaError::MissingPitches, ScalaDetail::TooFewPitches, 6},
        {"bad_too_large_number.scl", ScalaError::NumberTooLarge, ScalaDetail::NumberTooLarge, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const ScalaReadResult result = readFixture(row.file);
        EXPECT_EQ(row.error, result.error);
        EXPECT_EQ(row.detail, result.detail);
        EXPECT_EQ(row.line, result.line);
    }
}

// Cents by exact arithmetic, 60 digits:
//   python3 -c "from decimal import *; getcontext().prec = 60;
//     print((Decimal(P) / Decimal(Q)).ln() / Decimal(2).ln() * 1200)"
TEST(ScalaScale, readsRatiosOfAnyLengthAndWritesThemBackAsTheyCame) {
    const struct {
        const char* line;
        double cents;
        const char* written;  // as scalaScaleText writes the pitch back
    } rows[] = {
        // The schisma, 3^35 5^5 / 2^67: 21 digits over 21.
        {"156348578434374084375/147573952589676412928", 99.993599612733708,
         "156348578434374084375/147573952589676412928"},
        // 3^200 / 2^316, 96 digits over 96: 1191.000173077483549.
        {"265613988875874769338781322035779626829233452653394495974574961739092490901302182994384699044001/"
         "133499189745056880149688856635597007162669032647290798121690100488888732861290034376435130433536",
         1191.000173077483549,
         "265613988875874769338781322035779626829233452653394495974574961739092490901302182994384699044001/"
         "133499189745056880149688856635597007162669032647290798121690100488888732861290034376435130433536"},
        // 2^100 as an integer: 120000 cents.
        {"1267650600228229401496703205376", 120000, "1267650600228229401496703205376/1"},
        // 41 digits over 41: exactly 2/1.
        {"20000000000000000000000000000000000000000/10000000000000000000000000000000000000000", 1200,
         "20000000000000000000000000000000000000000/10000000000000000000000000000000000000000"},
        // The largest 64-bit term and one past it: 1200 log2(2^64 - 1) and 76800.
        {"18446744073709551615", 76799.999999999999999, "18446744073709551615/1"},
        {"18446744073709551616/1 ! 2^64", 76800, "18446744073709551616/1"},
        // Leading zeros are not written back; a comment after the ratio is ignored.
        {"0003/02 ! a fifth", 701.955000865387, "3/2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const ScalaReadResult read = parseScala("!\nLong ratios\n1\n"s + row.line + "\n");
        ASSERT_TRUE(read.ok()) << static_cast<int>(read.detail);
        EXPECT_NEAR(row.cents, read.scale.pitches[0].cents, 1e-6);
        EXPECT_NE(std::string::npos, scalaScaleText(read.scale, "long.scl").find(" "s + row.written + "\r\n"));
    }
    // A period of 2/1 in forty-odd digits is an octave: one degree on C.
    const ScalaReadResult octave =
        parseScala("!\nOctave\n1\n20000000000000000000000000000000000000000/10000000000000000000000000000000000000000\n");
    EXPECT_TRUE(mapScaleToPitchClasses(octave.scale).ok());
    const ScalaReadResult nearOctave =
        parseScala("!\nNot an octave\n1\n20000000000000000000000000000000000000001/10000000000000000000000000000000000000000\n");
    EXPECT_EQ(ScaleMapError::PeriodNotOctave, mapScaleToPitchClasses(nearOctave.scale).error);
}

// Each limit of the reader is accepted itself and refused one beyond.
TEST(ScalaScale, acceptsEachLimitItselfAndRefusesOneBeyond) {
    std::string thousand = "!\nA thousand notes\n1000\n";
    for (int k = 1; k <= 1000; ++k) thousand += std::to_string(k * 1.2) + "\n";
    std::string thousandAndOne = thousand;
    thousandAndOne.replace(thousandAndOne.find("1000\n"), 5, "1001\n");
    thousandAndOne += "1201.2\n";
    const struct {
        const char* name;
        std::string text;
        ScalaError error;
        std::size_t pitches;
    } rows[] = {
        {"no notes", "!\nEmpty\n0\n", ScalaError::None, 0},
        {"1000 notes", thousand, ScalaError::None, 1000},
        {"1001 notes", thousandAndOne, ScalaError::CountTooLarge, 0},
        {"cents of 2^64 - 1", "!\nHuge\n1\n18446744073709551615.0\n", ScalaError::None, 1},
        {"cents of 2^64", "!\nHuge\n1\n18446744073709551616.0\n", ScalaError::NumberTooLarge, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ScalaReadResult read = parseScala(row.text);
        EXPECT_EQ(row.error, read.error);
        EXPECT_EQ(row.pitches, read.scale.pitches.size());
    }
}

TEST(ScalaScale, refusesMoreThanOneMebibyte) {
    std::string bytes = "!\nBig\n1\n2/1\n";
    bytes.resize(kMaxScalaFileBytes, '\n');
    EXPECT_TRUE(parseScala(bytes).ok());
    bytes += '\n';
    EXPECT_EQ(ScalaError::FileTooLarge, parseScala(bytes).error);
}

TEST(ScalaScale, mapsOctaveScalesOntoPitchClasses) {
    const ScalaReadResult meantone = readFixture("comments.scl");
    const ScaleMapResult twelve = mapScaleToPitchClasses(meantone.scale);
    ASSERT_TRUE(twelve.ok());
    EXPECT_EQ(0, twelve.offsets.unmapped);
    EXPECT_NEAR(-23.951, twelve.offsets.cents[1], 1e-9);
    EXPECT_NEAR(-17.108, twelve.offsets.cents[11], 1e-9);

    // Degrees C D E F G A B of the just major scale; the black keys unmapped.
    const ScaleMapResult seven = mapScaleToPitchClasses(readFixture("seven_note.scl").scale);
    ASSERT_TRUE(seven.ok());
    EXPECT_EQ(1u << 1 | 1u << 3 | 1u << 6 | 1u << 8 | 1u << 10, seven.offsets.unmapped);
    const double expected[12] = {0, 0, 3.910, 0, -13.686, -1.955, 0, 1.955, 0, -15.641, 0, -11.731};
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(expected[k], seven.offsets.cents[k], 0.001);
    }

    // 1180 cents lies nearest to C of the next octave and collides with 1/1.
    ScalaScale nearOctave;
    nearOctave.pitches = {{1180.0, false, 0, 1, 4}, {1200.0, false, 0, 1, 5}};
    const ScaleMapResult collision = mapScaleToPitchClasses(nearOctave);
    EXPECT_EQ(ScaleMapError::DegreesCollide, collision.error);
    EXPECT_EQ(0, collision.firstDegree);
    EXPECT_EQ(1, collision.secondDegree);
}

TEST(ScalaScale, refusesScalesThatDoNotFitTwelvePitchClasses) {
    const struct {
        const char* file;
        ScaleMapError error;
        std::size_t number;  // the period's line, the note count, or the colliding degrees' lines
        std::size_t second;
    } rows[] = {
        {"non_octave_period.scl", ScaleMapError::PeriodNotOctave, 0, 0},
        {"thirteen_notes.scl", ScaleMapError::TooManyNotes, 13, 0},
        {"degrees_collide.scl", ScaleMapError::DegreesCollide, 4, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const ScalaReadResult read = readFixture(row.file);
        ASSERT_TRUE(read.ok());
        const ScaleMapResult result = mapScaleToPitchClasses(read.scale);
        EXPECT_EQ(row.error, result.error);
        if (row.error == ScaleMapError::PeriodNotOctave) {
            EXPECT_EQ(read.scale.pitches.back().line, result.periodLine);
        }
        if (row.error == ScaleMapError::TooManyNotes) {
            EXPECT_EQ(row.number, result.noteCount);
        }
        if (row.error == ScaleMapError::DegreesCollide) {
            EXPECT_EQ(row.number, result.firstDegreeLine);
            EXPECT_EQ(row.second, result.secondDegreeLine);
        }
    }
    EXPECT_EQ(ScaleMapError::NoPitches, mapScaleToPitchClasses(ScalaScale{}).error);
}

std::string exportAsScala(const Temperament& temperament) {
    std::string text = "! " + std::string(temperament.id) + ".scl\n" +
                       temperament.englishName + "\n 12\n!\n";
    char line[32];
    for (int k = 1; k < 12; ++k) {
        std::snprintf(line, sizeof line, " %.6f\n", temperament.centsAboveC[k]);
        text += line;
    }
    return text + " 2/1\n";
}

TEST(ScalaScale, everyBuiltInTemperamentReadsBackFromItsExport) {
    for (const Temperament& temperament : builtInTemperaments()) {
        for (const FitOptions& options :
             {FitOptions{}, FitOptions{4, ZeroNote::A, 442}, FitOptions{9, ZeroNote::Tonic, 415}}) {
            SCOPED_TRACE(std::string(temperament.id) + " tonic " + std::to_string(options.tonic));
            const ScalaReadResult read = parseScala(exportAsScala(temperament));
            ASSERT_TRUE(read.ok());
            EXPECT_EQ(temperament.englishName, read.scale.description);
            const ScaleMapResult mapped = mapScaleToPitchClasses(read.scale);
            ASSERT_TRUE(mapped.ok());
            const FitResult fromScala = fitOffsets(mapped.offsets, options);
            const FitResult builtIn = fitOffsets(temperamentOffsets(temperament), options);
            EXPECT_EQ(builtIn.fit.sentOffsets(), fromScala.fit.sentOffsets());
            EXPECT_EQ(builtIn.fit.heldNotes, fromScala.fit.heldNotes);
        }
    }
}

}  // namespace
