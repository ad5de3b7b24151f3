#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestBytes.h"
#include "retune/RetuneEngine.h"

namespace {

// Werckmeister III in cents from equal temperament, C..B. At the range the
// engine takes for it, 3 semitones (2 for the wheel and 11.73 cents), a cent
// is 8192 / 300 of a bend: E -9.775 -> 7925 (75 3D), G -3.91 -> 8085 (15 3F).
RetuneTuning werckmeister3() {
    return {keyCentsOfPitchClasses({0, -9.775, -7.82, -5.865, -9.775, -1.955, -11.73, -3.91, -7.82, -11.73, -3.91, -7.82}),
            false};
}
RetuneTuning equalTemperament() { return {}; }
// 19 equal steps to the octave from C4, a keyboard tuning: key 60 + n sounds
// n * 1200 / 19 cents above C4, played on the key nearest that pitch.
RetuneTuning edo19() {
    RetuneTuning tuning;
    for (int key = 0; key < 128; ++key) tuning.keyCents[key] = (key - 60) * (1200.0 / 19 - 100);
    tuning.nearestKeys = true;
    return tuning;
}

std::string hex2(int value) {
    const char* digits = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 15]};
}
// Registered parameter 0 (MIDI 1.0: 101 and 100 choose it, 6 and 38 write
// semitones and cents), then the parameter `choice` chosen: the null one
// by default.
std::string range(int channel, int semitones, const char* choice = "7F 7F") {
    const std::string b = "B" + std::string(1, "0123456789ABCDEF"[channel]);
    const std::string c(choice);
    return " " + b + " 65 00 " + b + " 64 00 " + b + " 06 " + hex2(semitones) + " " + b + " 26 00 " + b + " 65 " +
           c.substr(0, 2) + " " + b + " 64 " + c.substr(3, 2);
}
// The range on every channel but `skipped` (channel 10 unless told).
std::string everyRange(int semitones, int skipped = 9) {
    std::string text;
    for (int c = 0; c < 16; ++c)
        if (c != skipped) text += range(c, semitones);
    return text;
}

const char* const kGsReset = "F0 41 10 42 12 40 00 7F 00 41 F7";
const char* const kXgSystemOn = "F0 43 10 4C 00 00 7E 00 F7";
const char* const kGm2SystemOn = "F0 7E 7F 09 03 F7";
// XG part 1's C, then the channel messages of a tuning program select:
// opaque to the engine, sent as they are.
const char* const kListing = "F0 43 10 4C 08 00 41 46 F7 B0 65 00 B0 64 03 B0 06 01";

struct Step {
    enum Kind { Message, Start, Stop, SetUp, Tuning, Listing } kind;
    std::string hex;                   // the message, or the listing
    std::optional<std::string> sends;  // all the step sends, as hex; none: not judged
    RetuneTuning tuning{};
};
Step play(std::string message, std::optional<std::string> sends = std::nullopt) {
    return {Step::Message, std::move(message), std::move(sends)};
}
Step start(std::optional<std::string> sends = std::nullopt) { return {Step::Start, "", std::move(sends)}; }
Step stop(std::string sends) { return {Step::Stop, "", std::move(sends)}; }
Step setUp(std::string sends) { return {Step::SetUp, "", std::move(sends)}; }
Step retune(RetuneTuning tuning, std::string sends) { return {Step::Tuning, "", std::move(sends), tuning}; }
Step list(std::string listing, std::string sends) { return {Step::Listing, std::move(listing), std::move(sends)}; }

struct Held {
    uint32_t notes, channels;
    uint32_t offPitch;
    double largestMiss;
    int64_t played = -1;  // notes played since the start; -1: not judged
};

struct Row {
    const char* name;
    RetuneOptions options;
    RetuneTuning tuning;
    std::vector<Step> steps;
    std::optional<Held> after = std::nullopt;
};

template <class Set>
RetuneOptions optionsWith(Set set) {
    RetuneOptions options;
    set(options);
    return options;
}
RetuneOptions method(RetuneMethod m) {
    return optionsWith([m](RetuneOptions& o) { o.method = m; });
}

class Captured : public MidiSink {
public:
    void send(const uint8_t* message, std::size_t size) override { bytes.insert(bytes.end(), message, message + size); }
    Bytes take() { return std::exchange(bytes, Bytes{}); }
    Bytes bytes;
};

void run(const Row& row) {
    SCOPED_TRACE(row.name);
    RetuneEngine engine(row.options, row.tuning);
    Captured out;
    uint64_t time = 0;
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
        const Step& step = row.steps[i];
        SCOPED_TRACE("step " + std::to_string(i + 1) + " " + step.hex);
        const Bytes bytes = hexBytes(step.hex);
        switch (step.kind) {
        case Step::Message: engine.process(bytes.data(), bytes.size(), ++time, out); break;
        case Step::Start: engine.start(out); break;
        case Step::Stop: engine.stop(out); break;
        case Step::SetUp: engine.setUp(out); break;
        case Step::Tuning: engine.setTuning(step.tuning, out); break;
        case Step::Listing: EXPECT_TRUE(engine.setListing(bytes.data(), bytes.size(), out)); break;
        }
        const Bytes sent = out.take();
        if (step.sends) {
            EXPECT_TRUE(bytesEqual(hexBytes(*step.sends), sent));
        }
    }
    if (row.after) {
        const RetuneStatistics statistics = engine.statistics();
        EXPECT_EQ(row.after->notes, statistics.notesHeld);
        EXPECT_EQ(row.after->channels, statistics.channelsInUse);
        EXPECT_EQ(row.after->offPitch, statistics.offPitchNotes);
        EXPECT_NEAR(row.after->largestMiss, statistics.largestMissCents, 0.001);
        if (row.after->played >= 0) {
            EXPECT_EQ(uint64_t(row.after->played), statistics.notesPlayed);
        }
    }
}

const Row kPitchBendRows[] = {
    {"the start: the range and the null parameter on every channel but 10", {}, werckmeister3(),
     {start(everyRange(3))}},
    {"three pitch classes: three channels, one bend each, no bend before the second chord", {}, werckmeister3(),
     {start(), play("90 3C 64", "90 3C 64"), play("90 40 64", "E1 75 3D 91 40 64"),
      play("90 43 64", "E2 15 3F 92 43 64"), play("80 3C 40", "80 3C 40"), play("80 40 40", "81 40 40"),
      play("80 43 40", "82 43 40"), play("90 3C 64", "90 3C 64"), play("90 40 64", "91 40 64"),
      play("90 43 64", "92 43 64")},
     Held{3, 3, 0, 0}},
    {"a released note held by the sustain pedal keeps its channel from a note of another bend", {}, werckmeister3(),
     {start(), play("B0 40 7F", ""), play("90 3C 64", "B0 40 7F 90 3C 64"), play("80 3C 40", "80 3C 40"),
      play("90 40 64", "B1 40 7F E1 75 3D 91 40 64"), play("B0 40 00", "B0 40 00 B1 40 00")},
     Held{1, 1, 0, 0}},
    {"a released note caught by the sostenuto pedal keeps its channel", {}, werckmeister3(),
     {start(), play("90 3C 64", "90 3C 64"), play("B0 42 7F", "B0 42 7F"), play("80 3C 40", "80 3C 40"),
      play("90 40 64", "B1 42 7F E1 75 3D 91 40 64"), play("90 3D 64", "91 3D 64")},
     Held{3, 2, 0, 0}},
    {"the player's wheel at +1 semitone is added on every channel carrying its notes", {}, werckmeister3(),
     {start(), play("90 3C 64"), play("90 40 64"), play("E0 00 60", "E0 2B 55 E1 20 53"),
      play("E0 00 40", "E0 00 40 E1 75 3D")}},
    {"the player sets a range of 12 semitones: 13 everywhere, bends again, its choice kept", {}, werckmeister3(),
     {start(), play("90 3C 64"), play("90 40 64"), play("B0 65 00", "B0 65 00 B1 65 00"),
      play("B0 64 00", "B0 64 00 B1 64 00"),
      play("B0 06 0C", range(0, 13, "00 00") + range(1, 13, "00 00") + " E1 42 3F" + range(2, 13) + range(3, 13) +
                           range(4, 13) + range(5, 13) + range(6, 13) + range(7, 13) + range(8, 13) + range(10, 13) +
                           range(11, 13) + range(12, 13) + range(13, 13) + range(14, 13) + range(15, 13)),
      play("90 43 64", range(2, 13, "00 00") + " E2 67 3F 92 43 64")}},
    {"a GS Reset from the keyboard: the range again at once, the bend again with the next note", {}, werckmeister3(),
     {start(), play("90 40 64", "E0 75 3D 90 40 64"), play("80 40 40", "80 40 40"),
      play(kGsReset, kGsReset + everyRange(3)), play("90 40 64", "E1 75 3D 91 40 64")}},
    {"XG System On from the keyboard", {}, werckmeister3(),
     {start(), play(kXgSystemOn, kXgSystemOn + everyRange(3))}},
    {"GM2 System On from the keyboard", {}, werckmeister3(),
     {start(), play(kGm2SystemOn, kGm2SystemOn + everyRange(3))}},
    {"another SysEx from the keyboard passes alone", {}, werckmeister3(),
     {start(), play("F0 43 10 4C 08 00 41 46 F7", "F0 43 10 4C 08 00 41 46 F7")}},
    {"asked for: the set-up after a reset waits for setUp()", optionsWith([](RetuneOptions& o) { o.setUpWhenAsked = true; }), werckmeister3(),
     {start(), play(kGsReset, kGsReset), setUp(everyRange(3))}},
    {"channel 10 passes untouched", {}, werckmeister3(),
     {start(), play("99 24 64", "99 24 64"), play("B9 07 50", "B9 07 50"), play("E9 00 60", "E9 00 60"),
      play("89 24 40", "89 24 40")}},
    {"drums named on 16: channel 10 retuned on itself, 16 untouched", optionsWith([](RetuneOptions& o) { o.untouchedChannels = 1u << 15; }), werckmeister3(),
     {start(everyRange(3, 15)), play("99 40 64", "E9 75 3D 99 40 64"), play("9F 24 64", "9F 24 64")}},
    // 19-EDO keys 60..75 sound on keys 60 61 61 62 63 63 64 64 65 66 66 67 68
    // 68 69 69, bent 0 -36.84 +26.32 -10.53 -47.37 +15.79 -21.05 +42.11 +5.26
    // -31.58 +31.58 -5.26 -42.11 +21.05 -15.79 +47.37 cents: sixteen bends.
    // The fifteenth takes channel 16; the sixteenth shares channel 8 with
    // key 67 (+42.11), 5.26 cents off.
    {"sixteen 19-EDO notes on fifteen channels: one shares the channel bent nearest, counted", {}, edo19(),
     {start(), play("90 3C 64"), play("90 3D 64"), play("90 3E 64"), play("90 3F 64"), play("90 40 64"),
      play("90 41 64"), play("90 42 64"), play("90 43 64", "E7 7E 48 97 40 64"), play("90 44 64"), play("90 45 64"),
      play("90 46 64"), play("90 47 64"), play("90 48 64"), play("90 49 64"), play("90 4A 64", "EF 51 3C 9F 45 64"),
      play("90 4B 64", "97 45 64")},
     Held{16, 15, 1, 5.263}},
    {"a tuning change while a note is held: it keeps its bend, new notes take the new tuning", optionsWith([](RetuneOptions& o) { o.bendRange = 2; }),
     werckmeister3(),
     {start(everyRange(2)), play("90 3D 64", "E0 70 3C 90 3D 64"), retune(equalTemperament(), ""),
      play("90 49 64", "91 49 64"), play("80 3D 40", "80 3D 40"), play("90 3D 64", "91 3D 64")}},
    {"a tuning that needs a wider range: the range at once, the held note's bend again at it", {}, werckmeister3(),
     {start(), play("90 40 64", "E0 75 3D 90 40 64"),
      retune({keyCentsOfPitchClasses({150, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), false},
             range(0, 4) + " E0 38 3E" + everyRange(4).substr(range(0, 4).size())),
      play("90 3C 64", "E1 00 58 91 3C 64")}},
    {"All Notes Off from the player reaches every channel carrying its notes", {}, werckmeister3(),
     {start(), play("90 3C 64"), play("90 40 64"), play("B0 7B 00", "B0 7B 00 B1 7B 00")},
     Held{0, 0, 0, 0}},
    {"All Notes Off under the sustain pedal: the notes hold their channels until it is up", {}, werckmeister3(),
     {start(), play("B0 40 7F"), play("90 3C 64"), play("90 40 64"), play("B0 7B 00", "B0 7B 00 B1 7B 00"),
      play("90 43 64", "B2 40 7F E2 15 3F 92 43 64")},
     Held{3, 3, 0, 0}},
    {"All Sound Off too", {}, werckmeister3(),
     {start(), play("90 3C 64"), play("90 40 64"), play("B0 78 00", "B0 78 00 B1 78 00")},
     Held{0, 0, 0, 0}},
    {"Reset All Controllers: the wheel centred, each channel's tuning bend again", {}, werckmeister3(),
     {start(), play("90 3C 64"), play("90 40 64"), play("E0 00 60"), play("B0 79 00", "B0 79 00 B1 79 00 E1 75 3D")}},
    {"a channel gets the player's bank, program and controllers before its first note; they follow", {},
     werckmeister3(),
     {start(), play("B0 00 01", ""), play("C0 05", ""), play("B0 07 50", ""),
      play("90 3C 64", "B0 00 01 C0 05 B0 07 50 90 3C 64"),
      play("90 40 64", "B1 00 01 C1 05 B1 07 50 E1 75 3D 91 40 64"), play("B0 0B 60", "B0 0B 60 B1 0B 60"),
      play("D0 30", "D0 30 D1 30"), play("A0 40 30", "A1 40 30"), play("80 40 40", "81 40 40")}},
    {"stop: each key down off, the pedal up, All Notes Off where notes were, the bends centred", {},
     werckmeister3(),
     {start(), play("B0 40 7F"), play("90 3C 64"), play("90 40 64", "B1 40 7F E1 75 3D 91 40 64"),
      play("80 3C 40"), stop("B0 40 00 B0 42 00 B0 7B 00 81 40 40 B1 40 00 B1 42 00 B1 7B 00 E1 00 40")},
     Held{0, 0, 0, 0}},
    {"a message cut short or with a status byte for data is passed over", {}, werckmeister3(),
     {start(), play("90 3C", ""), play("90 3C 90", ""), play("F0 43 10", ""), play("3C 64", "")}},
};

TEST(RetuneEngine, pitchBendRulesRowByRow) {
    for (const Row& row : kPitchBendRows) run(row);
}

// MIDI Polyphonic Expression 1.0: the configuration (registered parameter 6
// on the manager, channel 1: 15 members), then 48 semitones on each member
// and the player's 2 on the manager. Each note takes a member of its own,
// bent at 48 semitones (8192 / 4800 of a bend a cent): E -9.775 -> 8175 (6F
// 3F), G -3.91 -> 8185 (79 3F).
const std::string kMpeStart = "B0 64 06 B0 65 00 B0 06 0F B0 65 7F B0 64 7F" + range(1, 48) + range(2, 48) +
                              range(3, 48) + range(4, 48) + range(5, 48) + range(6, 48) + range(7, 48) +
                              range(8, 48) + range(9, 48) + range(10, 48) + range(11, 48) + range(12, 48) +
                              range(13, 48) + range(14, 48) + range(15, 48) + range(0, 2);

const Row kMpeRows[] = {
    {"the zone's configuration and ranges", method(RetuneMethod::Mpe), werckmeister3(), {start(kMpeStart)}},
    {"a member for each note; wheel, pedal and pressure of the zone on the manager", method(RetuneMethod::Mpe),
     werckmeister3(),
     {start(), play("90 3C 64", "91 3C 64"), play("90 40 64", "E2 6F 3F 92 40 64"),
      play("90 43 64", "E3 79 3F 93 43 64"), play("E0 00 60", "E0 00 60"), play("A0 40 30", "D2 30"),
      play("D0 20", "D0 20"), play("B0 40 7F", "B0 40 7F"), play("80 40 40", "82 40 40"),
      play("90 3D 64", "E4 6F 3F 94 3D 64")},
     Held{4, 4, 0, 0}},
    {"All Notes Off: on each member sounding a note, then the manager", method(RetuneMethod::Mpe), werckmeister3(),
     {start(), play("90 3C 64"), play("90 40 64"), play("B0 7B 00", "B1 7B 00 B2 7B 00 B0 7B 00")},
     Held{0, 0, 0, 0}},
    {"a reset: the configuration again", method(RetuneMethod::Mpe), werckmeister3(),
     {start(), play(kGsReset, std::string(kGsReset) + " " + kMpeStart)}},
};

TEST(RetuneEngine, mpeRowByRow) {
    for (const Row& row : kMpeRows) run(row);
}

const Row kTuningMessageRows[] = {
    {"the listing first, the music as it is, the listing again after a GS Reset",
     method(RetuneMethod::TuningMessages), {},
     {list(kListing, ""), start(kListing), play("90 3C 64", "90 3C 64"), play("E0 00 60", "E0 00 60"),
      play(kGsReset, std::string(kGsReset) + " " + kListing), play("F0 43 10 4C 08 00 41 46 F7", "F0 43 10 4C 08 00 41 46 F7")}},
    {"a changed listing goes out at once, and after the next reset", method(RetuneMethod::TuningMessages), {},
     {list(kListing, ""), start(), list("F0 7E 7F 09 01 F7 B1 07 64", "F0 7E 7F 09 01 F7 B1 07 64"),
      play(kXgSystemOn, std::string(kXgSystemOn) + " F0 7E 7F 09 01 F7 B1 07 64")}},
    // Of the same messages with other values, only those that changed: a
    // run of channel messages whole, as its data entry needs its select.
    {"a listing of the same form and parts: the changed messages alone", method(RetuneMethod::TuningMessages), {},
     {list(kListing, ""), start(), list("F0 43 10 4C 08 00 41 40 F7 B0 65 00 B0 64 03 B0 06 01", "F0 43 10 4C 08 00 41 40 F7"),
      list("F0 43 10 4C 08 00 41 40 F7 B0 65 00 B0 64 03 B0 06 02", "B0 65 00 B0 64 03 B0 06 02"),
      list("F0 43 10 4C 08 00 41 40 F7 B0 65 00 B0 64 03 B0 06 02", ""),
      list("F0 43 10 4C 08 01 41 40 F7 F0 43 10 4C 08 00 41 40 F7",
           "F0 43 10 4C 08 01 41 40 F7 F0 43 10 4C 08 00 41 40 F7")}},
    {"notes played are counted, but for the drums' and a note-on of velocity 0", method(RetuneMethod::TuningMessages),
     {},
     {list(kListing, ""), start(), play("90 3C 64"), play("99 24 64"), play("90 3E 00"), play("91 40 64")},
     Held{3, 3, 0, 0, 2}},
    {"stop: the notes passed go off", method(RetuneMethod::TuningMessages), {},
     {list(kListing, ""), start(), play("91 3C 64"), play("B1 40 7F"), stop("81 3C 40 B1 40 00 B1 42 00 B1 7B 00")},
     Held{0, 0, 0, 0}},
};

TEST(RetuneEngine, tuningMessagesRowByRow) {
    for (const Row& row : kTuningMessageRows) run(row);
}

TEST(RetuneEngine, aListingTooLongIsRefusedAndTheOldOneKept) {
    RetuneEngine engine(method(RetuneMethod::TuningMessages), {});
    Captured out;
    const Bytes listing = hexBytes(kListing);
    ASSERT_TRUE(engine.setListing(listing.data(), listing.size(), out));
    const Bytes tooLong(kMaxRetuneListingBytes + 1, 0x40);
    EXPECT_FALSE(engine.setListing(tooLong.data(), tooLong.size(), out));
    engine.start(out);
    EXPECT_TRUE(bytesEqual(listing, out.take()));
}

}  // namespace
