#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "song/TuningBends.h"
#include "tuning/ResolveTuning.h"
#include "tuning/TuningOutputs.h"

namespace {

using Whole = std::array<int32_t, 12>;

// n equal steps of `periodCents`.
ScalaScale equalScale(int notes, double periodCents, std::string description = "equal") {
    ScalaScale scale{std::move(description), {}};
    for (int k = 1; k <= notes; ++k) scale.pitches.push_back({periodCents * k / notes, false, 0, 1, 0});
    return scale;
}

TuningSource scalaSource(ScalaScale scale, std::optional<KeyboardMap> map = std::nullopt) {
    TuningSource source;
    source.kind = TuningSourceKind::Scala;
    source.scale = std::move(scale);
    source.keyboardMap = std::move(map);
    source.scaleFileName = "scale.scl";
    return source;
}

TuningSource laidOut(TuningSource source, ScaleLayout layout) {
    source.layout = layout;
    return source;
}

// Werckmeister III moved to D with A at zero and A4 = 415 Hz in GS. Its
// offsets from equal temperament (C 0, C# -9.775, D -7.82, D# -5.865,
// E -9.775, F -1.955, F# -11.73, G -3.91, G# -7.82, A -11.73, A# -3.91,
// B -7.82) moved up two pitch classes, less A's (G's: -3.91), make C 0,
// C# -3.91, D 3.91, D# -5.865, E -3.91, F -1.955, F# -5.865, G 1.955,
// G# -7.82, A 0, A# -3.91, B -7.82. A4 at 415 Hz is 1200 log2(415/440) =
// -101.2706 cents: with it every note would be held at -64, so -1 semitone
// goes as coarse tuning and each note takes -1.2706.
TuningSource werckmeisterOnD() {
    TuningSource source;
    source.temperamentId = "werckmeister3";
    source.fit = {2, ZeroNote::A, 415.0, TuningFormat::GS, MtsForm::ScaleOctave1Byte};
    return source;
}

TEST(ResolveTuning, aTemperamentIsFittedAndItsA4ShiftSplitIntoCoarseTuning) {
    const ResolvedTuning resolved = resolveTuning(werckmeisterOnD());
    ASSERT_TRUE(resolved.ok());
    const Tuning& tuning = resolved.tuning;
    EXPECT_FALSE(tuning.onKeys());
    EXPECT_EQ((Whole{-1, -5, 3, -7, -5, -3, -7, 1, -9, -1, -5, -9}), tuning.twelve.whole);
    EXPECT_EQ(-1, tuning.twelve.coarseSemitones);
    ASSERT_TRUE(tuning.fit);
    EXPECT_NEAR(-1.2706, tuning.fit->notes[0].exactCents, 1e-3);
    EXPECT_NEAR(2.6394, tuning.fit->notes[2].exactCents, 1e-3);
    ASSERT_EQ(1u, resolved.notices.size());
    EXPECT_EQ(TuningNoticeKind::CoarseTuning, resolved.notices[0].kind);
    EXPECT_EQ(-1, resolved.notices[0].count);
    EXPECT_EQ(TuningOriginKind::Temperament, tuning.origin.kind);
    EXPECT_EQ(2, tuning.origin.tonic);
    EXPECT_EQ("Werckmeister III", englishTuningName(tuning));

    // Every output takes the same value: A, the zero note, sounds at 415 Hz;
    // C sounds -1 - 100 cents from equal temperament as GS sends it.
    EXPECT_NEAR(415.0, *keyFrequencies(tuning)[69], 1e-9);
    const std::array<double, 12> sent = pitchClassCents(tuning, CentsKind::Sent, TuningFormat::GS, {});
    EXPECT_EQ(-101.0, sent[0]);
    EXPECT_EQ(-97.0, sent[2]);
    EXPECT_EQ(-101.0, tuningBendOptions(tuning, TuningFormat::GS, {}).keyCents[69]);
    // Played live by bends: the exact cents, not GS's whole ones.
    EXPECT_NEAR(-101.2706, liveRetuneTuning(tuning).keyCents[69], 1e-3);
    EXPECT_NEAR(-97.3606, liveRetuneTuning(tuning).keyCents[62], 1e-3);
    const std::optional<TuningListing> listing = tuningListing(tuning, TuningFormat::GS, {}, 1);
    ASSERT_TRUE(listing);
    EXPECT_EQ(0x3F, listing->bytes[8]);   // F0 41 10 42 12 40 11 40, then C: -1 + 64
    EXPECT_EQ(0x43, listing->bytes[10]);  // D: 3 + 64
}

TEST(ResolveTuning, aScaleOfTwelveNotesGoesOntoThePitchClasses) {
    // E a pure third (386.3137 cents, -13.69 from 400), G a pure fifth
    // (701.955, +1.955): -14 and 2, the rest 0.
    ScalaScale scale = equalScale(12, 1200.0, "pure third and fifth");
    scale.pitches[3].cents = 386.3137;
    scale.pitches[6].cents = 701.955;
    const ResolvedTuning resolved = resolveTuning(scalaSource(scale));
    ASSERT_TRUE(resolved.ok());
    EXPECT_FALSE(resolved.tuning.onKeys());
    EXPECT_FALSE(resolved.tuning.scaleOnKeys);
    EXPECT_EQ((Whole{0, 0, 0, 0, -14, 0, 0, 2, 0, 0, 0, 0}), resolved.tuning.twelve.whole);
    EXPECT_EQ("pure third and fifth", englishTuningName(resolved.tuning));
    const std::optional<std::string> scl =
        synthFileText(resolved.tuning, SynthFileKind::Scl, "t.scl", synthFileDescription(resolved.tuning));
    ASSERT_TRUE(scl);
    EXPECT_NE(std::string::npos, scl->find("!\r\npure third and fifth\r\n 12\r\n"));
}

TEST(ResolveTuning, aScaleOfNineteenNotesTunesTheKeysLinearlyFromTheTonic) {
    // Key 60 + n sounds n steps of 1200/19 cents above C4 (261.6256 Hz).
    const ResolvedTuning resolved = resolveTuning(scalaSource(equalScale(19, 1200.0)));
    ASSERT_TRUE(resolved.ok());
    const Tuning& tuning = resolved.tuning;
    ASSERT_TRUE(tuning.onKeys());
    EXPECT_TRUE(resolved.notices.empty());
    const std::array<std::optional<double>, kKeyboardKeyCount> hz = keyFrequencies(tuning);
    EXPECT_NEAR(261.6255653, *hz[60], 1e-6);
    EXPECT_NEAR(271.3462748, *hz[61], 1e-6);  // 261.6256 x 2^(1/19)
    EXPECT_NEAR(523.2511306, *hz[79], 1e-6);  // an octave up
    EXPECT_NEAR(130.8127827, *hz[41], 1e-6);
    EXPECT_EQ(-3684, tuning.keys->offsets[61]);  // 63.16 - 100 cents
    EXPECT_FALSE(formCarries(tuning, TuningFormat::GS, {}));
    EXPECT_FALSE(formCarries(tuning, TuningFormat::GM2, MtsForm::ScaleOctave2Byte));
    EXPECT_TRUE(formCarries(tuning, TuningFormat::GM2, MtsForm::BulkDump));
    EXPECT_FALSE(tuningListing(tuning, TuningFormat::GS, {}, 1));
    EXPECT_TRUE(tuningListing(tuning, TuningFormat::GM2, {MtsForm::SingleNote, 0, {}}, 1));
    const SongBendOptions bends = tuningBendOptions(tuning, TuningFormat::GS, {});
    EXPECT_TRUE(bends.nearestKeys);
    EXPECT_DOUBLE_EQ(-36.84, bends.keyCents[61]);
    EXPECT_TRUE(liveRetuneTuning(tuning).nearestKeys);
    EXPECT_DOUBLE_EQ(-36.84, liveRetuneTuning(tuning).keyCents[61]);
    const std::optional<std::string> kbm = synthFileText(tuning, SynthFileKind::Kbm, "t.kbm", "");
    ASSERT_TRUE(kbm);
    EXPECT_NE(std::string::npos, kbm->find("! Size of map:\r\n0\r\n"));
}

KeyboardMap testMap(int mapSize, std::vector<int> degrees, int formalOctave, double referenceHz) {
    KeyboardMap map;
    map.mapSize = mapSize;
    map.degrees = std::move(degrees);
    map.formalOctave = formalOctave;
    map.referenceKey = 60;
    map.referenceHz = referenceHz;
    return map;
}

TEST(ResolveTuning, aScaleWithAKeyboardMapTakesItsKeysAndItsFrequency) {
    // Every other key from C4 plays the next degree: 64 keys unmapped. Key
    // 62 plays degree 1, a 19th of an octave above C4.
    const ResolvedTuning everyOther =
        resolveTuning(scalaSource(equalScale(19, 1200.0), testMap(2, {0, kUnmappedDegree}, 1, 261.6255653)));
    ASSERT_TRUE(everyOther.ok());
    ASSERT_TRUE(everyOther.tuning.onKeys());
    EXPECT_NEAR(271.3462748, *keyFrequencies(everyOther.tuning)[62], 1e-6);
    EXPECT_FALSE(keyFrequencies(everyOther.tuning)[61]);
    ASSERT_EQ(1u, everyOther.notices.size());
    EXPECT_EQ(TuningNoticeKind::UnmappedKeys, everyOther.notices[0].kind);
    EXPECT_EQ(64, everyOther.notices[0].count);

    // Twelve equal notes on twelve keys with C4 at 432 x 2^(-9/12) Hz repeat
    // at 2/1: twelve pitch classes at A4 = 432 Hz, 1200 log2(432/440) =
    // -31.77 cents each, sent as -32; the scale and map kept for the files.
    const ResolvedTuning twelve = resolveTuning(scalaSource(
        equalScale(12, 1200.0), testMap(12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12, 256.8687)));
    ASSERT_TRUE(twelve.ok());
    EXPECT_FALSE(twelve.tuning.onKeys());
    EXPECT_TRUE(twelve.tuning.scaleOnKeys);
    EXPECT_NEAR(432.0, twelve.tuning.a4Hz, 1e-3);
    EXPECT_EQ((Whole{-32, -32, -32, -32, -32, -32, -32, -32, -32, -32, -32, -32}), twelve.tuning.twelve.whole);

    // One octave a step: key 60 + n sounds n octaves up, beyond key 127 from
    // key 66 (target 132) and below key 0 up to key 54 (target -12).
    const ResolvedTuning octaves = resolveTuning(scalaSource(equalScale(13, 13 * 1200.0)));
    ASSERT_TRUE(octaves.ok());
    ASSERT_EQ(1u, octaves.notices.size());
    const std::vector<int>& held = octaves.notices[0].items;
    EXPECT_EQ(TuningNoticeKind::HeldKeys, octaves.notices[0].kind);
    ASSERT_EQ(117u, held.size());
    EXPECT_EQ(54, held[54]);
    EXPECT_EQ(66, held[55]);
}

TEST(ResolveTuning, anOffsetListKeepsItsHundredthsWhereTheFormDoes) {
    // 0.5 -10.25 -2.5 1.5 -0.5: rounded halves away from zero in GS.
    TuningSource source;
    source.kind = TuningSourceKind::Offsets;
    source.offsetHundredths = {50, -1025, -250, 150, -50, 0, 0, 0, 0, 0, 0, 0};
    source.fit.zeroNote = ZeroNote::None;
    const ResolvedTuning gs = resolveTuning(source);
    ASSERT_TRUE(gs.ok());
    EXPECT_EQ((Whole{1, -10, -3, 2, -1, 0, 0, 0, 0, 0, 0, 0}), gs.tuning.twelve.whole);
    EXPECT_FALSE(gs.tuning.twelve.exactHundredths[0]);

    source.fit.format = TuningFormat::GM2;
    source.fit.form = MtsForm::ScaleOctave2Byte;
    const ResolvedTuning twoByte = resolveTuning(source);
    ASSERT_TRUE(twoByte.ok());
    EXPECT_EQ(gs.tuning.twelve.whole, twoByte.tuning.twelve.whole);
    EXPECT_EQ(std::optional<int32_t>(50), twoByte.tuning.twelve.exactHundredths[0]);
    EXPECT_EQ(std::optional<int32_t>(-1025), twoByte.tuning.twelve.exactHundredths[1]);
    EXPECT_FALSE(twoByte.tuning.twelve.exactHundredths[5]);
    EXPECT_EQ(-1025, twoByte.tuning.twelve.sentHundredths(1, TuningFormat::GM2, MtsForm::ScaleOctave2Byte));
    EXPECT_EQ(-1000, twoByte.tuning.twelve.sentHundredths(1, TuningFormat::XG, {}));
    EXPECT_EQ("Twelve offsets from equal temperament", englishTuningName(twoByte.tuning));
}

TEST(ResolveTuning, refusalsNameTheirKind) {
    TuningSource outOfRange = werckmeisterOnD();
    outOfRange.fit.a4Hz = 480.5;
    TuningSource unknown = werckmeisterOnD();
    unknown.temperamentId = "werckmeister9";
    ScalaScale collide = equalScale(7, 1200.0);  // fewer than twelve: each degree on its nearest pitch class
    collide.pitches[0].cents = 100.0;
    collide.pitches[1].cents = 130.0;  // degrees 1 and 2 both on C#
    const struct {
        const char* name;
        TuningSource source;
        TuningError error;
    } rows[] = {
        {"A4 beyond 480 Hz", outOfRange, TuningError::Fit},
        {"no such temperament", unknown, TuningError::UnknownTemperament},
        {"two degrees on C#, laid on the pitch classes", laidOut(scalaSource(collide), ScaleLayout::PitchClasses),
         TuningError::ScaleMap},
        {"nineteen notes, laid on the pitch classes", laidOut(scalaSource(equalScale(19, 1200.0)),
                                                               ScaleLayout::PitchClasses), TuningError::ScaleMap},
        {"formal octave 31 of 19 notes", scalaSource(equalScale(19, 1200.0), testMap(2, {0, 1}, 31, 440.0)),
         TuningError::KeyboardTuning},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error, resolveTuning(row.source).error);
    }
    EXPECT_EQ(FitError::A4OutOfRange, resolveTuning(outOfRange).fitError);
    EXPECT_EQ(ScaleMapError::DegreesCollide,
              resolveTuning(laidOut(scalaSource(collide), ScaleLayout::PitchClasses)).scaleMap.error);
}

// Seven notes a period from C4 = 440 x 2^(-9/12) = 261.6255653 Hz on key 60:
// key 67 the period, 523.2511306 Hz. Degrees 2 (360 cents) and 3 (400) of
// `neutral` both round to E; its key 59, the last degree a period down, is
// 1050 - 1200 = -150 cents: 261.6255653 x 2^(-150/1200) = 239.9117012 Hz.
// Key 62 of `major`, 400 cents: E4 = 329.6275569 Hz.
TEST(ResolveTuning, aScaleGoesOnTheKeysByItsLayoutOrWhereTwoDegreesCollide) {
    ScalaScale neutral = equalScale(7, 1200.0), major = equalScale(7, 1200.0);
    const double neutralCents[] = {200, 360, 400, 700, 900, 1050}, majorCents[] = {200, 400, 500, 700, 900, 1100};
    for (int d = 0; d < 6; ++d) {
        neutral.pitches[d] = {neutralCents[d], false, 0, 1, d + 4u};  // degree d + 1 on line d + 4
        major.pitches[d].cents = majorCents[d];
    }
    const struct {
        const char* name;
        ScalaScale scale;
        ScaleLayout layout;
        bool collide;
        std::pair<int, double> key;
    } rows[] = {
        {"two degrees on E", neutral, ScaleLayout::Automatic, true, {59, 239.9117012}},
        {"two degrees on E, on the keys", neutral, ScaleLayout::Keys, false, {59, 239.9117012}},
        {"a major scale on the keys", major, ScaleLayout::Keys, false, {62, 329.6275569}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ResolvedTuning resolved = resolveTuning(laidOut(scalaSource(row.scale), row.layout));
        ASSERT_TRUE(resolved.ok() && resolved.tuning.onKeys() && !resolved.notices.empty());
        const auto hz = keyFrequencies(resolved.tuning);
        EXPECT_NEAR(261.6255653, *hz[60], 1e-6);
        EXPECT_NEAR(523.2511306, *hz[67], 1e-6);
        EXPECT_NEAR(row.key.second, *hz[row.key.first], 1e-6);
        EXPECT_EQ(row.collide, resolved.notices[0].kind == TuningNoticeKind::DegreesCollide);
    }
    const TuningNotice notice = resolveTuning(scalaSource(neutral)).notices[0];
    EXPECT_EQ((std::vector<int>{2, 3}), notice.items);
    EXPECT_EQ((std::vector<std::size_t>{5, 6}), notice.lines);
    EXPECT_EQ(4, notice.pitchClass);
    const ScaleMapResult refused = resolveTuning(laidOut(scalaSource(neutral), ScaleLayout::PitchClasses)).scaleMap;
    EXPECT_EQ(ScaleMapError::DegreesCollide, refused.error);
    EXPECT_EQ(std::make_pair(2, 3), std::make_pair(refused.firstDegree, refused.secondDegree));
}

// Laid one degree a key, twelve notes repeat every twelve keys at 2/1 and so
// sound where the fit onto the pitch classes puts them.
TEST(ResolveTuning, twelveNotesOnTheKeysSoundAsTheirFit) {
    TuningSource source = scalaSource(equalScale(12, 1200.0));
    source.scale.pitches[3].cents = 386.3137;
    source.fit = {2, ZeroNote::A, 415.0, TuningFormat::GS, MtsForm::ScaleOctave1Byte};
    const auto fitted = keyFrequencies(resolveTuning(source).tuning);
    const auto onKeys = keyFrequencies(resolveTuning(laidOut(source, ScaleLayout::Keys)).tuning);
    for (int key = 0; key < kKeyboardKeyCount; ++key)
        ASSERT_NEAR(0.0, 1200.0 * std::log2(*onKeys[key] / *fitted[key]), 1e-4) << "key " << key;
}

TEST(ResolveTuning, theEditsAndAFileReadBackAreTuningsToo) {
    ScaleOffsets edits{5, std::nullopt, 70, -70};
    std::array<std::optional<int32_t>, 12> exact{};
    exact[0] = 512;
    const Tuning fromEdits = tuningOfEdits(edits, exact, -1);
    EXPECT_EQ((Whole{5, 0, 63, -64, 0, 0, 0, 0, 0, 0, 0, 0}), fromEdits.twelve.whole);
    EXPECT_EQ(512, fromEdits.twelve.exactOffsets().hundredths[0]);
    EXPECT_EQ(6300, fromEdits.twelve.exactOffsets().hundredths[2]);
    EXPECT_EQ(500, fromEdits.twelve.sentHundredths(0, TuningFormat::GS, {}));
    const MtsForm twoByte = MtsForm::ScaleOctave2Byte;
    EXPECT_DOUBLE_EQ(-94.88, pitchClassCents(fromEdits, CentsKind::Sent, TuningFormat::GM2, twoByte)[0]);

    // Key 60 half a semitone up (8192 of 16384 steps), key 61 never set.
    TuningReadResult read;
    read.format = TuningFormat::GM2;
    read.mtsForm = MtsForm::SingleNote;
    read.keySteps[60] = 60 * kMtsStepsPerSemitone + 8192;
    const Tuning fromFile = tuningOfFile(read, "keys.mid");
    ASSERT_TRUE(fromFile.onKeys());
    EXPECT_EQ(5000, fromFile.keys->offsets[60]);
    EXPECT_NEAR(269.2917795, *keyFrequencies(fromFile)[60], 1e-6);  // 261.6256 x 2^(50/1200)
    EXPECT_FALSE(keyFrequencies(fromFile)[61]);
    EXPECT_EQ("keys.mid", englishTuningName(fromFile));
    EXPECT_FALSE(synthFileText(fromFile, SynthFileKind::Tun, "t.tun", "t"));
}

TEST(ResolveTuning, typingIntoAnEditMakesItsNoteWholeAndTheTuningTheEdits) {
    // C 0.5 and C# -10.25 kept in the 2-byte form, with a coarse tuning.
    TuningSource source;
    source.kind = TuningSourceKind::Offsets;
    source.offsetHundredths = {50, -1025, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    source.fit = {0, ZeroNote::None, 440.0, TuningFormat::GM2, MtsForm::ScaleOctave2Byte};
    Tuning tuning = resolveTuning(source).tuning;
    tuning.twelve.coarseSemitones = -1;
    typeIntoEdit(tuning, 1, -7);
    EXPECT_EQ(-7, tuning.twelve.whole[1]);
    EXPECT_FALSE(tuning.twelve.exactHundredths[1]);
    EXPECT_EQ(std::optional<int32_t>(50), tuning.twelve.exactHundredths[0]);
    EXPECT_EQ(-1, tuning.twelve.coarseSemitones);
    EXPECT_FALSE(tuning.fit);
    EXPECT_EQ(TuningOriginKind::Edits, tuning.origin.kind);

    const struct {
        std::optional<int32_t> edit;
        int32_t whole;
    } rows[] = {{std::nullopt, 0}, {63, 63}, {64, 63}, {-64, -64}, {-65, -64}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.edit ? std::to_string(*row.edit) : "no number");
        typeIntoEdit(tuning, 2, row.edit);
        EXPECT_EQ(row.whole, tuning.twelve.whole[2]);
    }

    // The greyed edits of a keyboard tuning change what they show, not the keys.
    Tuning keys = resolveTuning(scalaSource(equalScale(19, 1200.0))).tuning;
    typeIntoEdit(keys, 0, 5);
    EXPECT_EQ(5, keys.twelve.whole[0]);
    ASSERT_TRUE(keys.onKeys());
    EXPECT_EQ(TuningOriginKind::Scala, keys.origin.kind);
}

}  // namespace
