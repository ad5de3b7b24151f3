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
        // Exact: python3 -c "from decimal import *; getcontext().prec = 60;
        //   print((Decimal(P) / Decimal(Q)).ln() / Decimal(2).ln() * 1200)"
        {"long_numbers.scl", "Ratios past 64 bits", {99.993600, 120000, 76800, 701.955, 18446744073709551615.0}},
        {"empty.scl", "No notes", {}},
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
    std::string thousand = "!\nA thousand notes\n1000\n";
    for (int note = 1; note <= 1000; ++note) thousand += std::to_string(note) + ".9\n";
    EXPECT_EQ(1000u, parseScala(thousand).scale.pitches.size());  // the largest count
    const std::string written = scalaScaleText(readFixture("long_numbers.scl").scale, "l.scl");  // no leading 0s
    EXPECT_NE(std::string::npos, written.find(" 156348578434374084375/147573952589676412928\r\n 1267650600228229401496703205376/1"
                                              "\r\n 18446744073709551616/1\r\n 3/2\r\n"));
    const std::string forty(40, '0');
    EXPECT_TRUE(mapScaleToPitchClasses(parseScala("!\n2/1\n1\n1" + forty + "/5" + forty.substr(1) + "\n").scale).ok());
    EXPECT_FALSE(mapScaleToPitchClasses(parseScala("!\nNot 2/1\n1\n1" + forty + "1/5" + forty + "\n").scale).ok());
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
