#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "WholeListing.h"
#include "sysex/ListingDiff.h"

namespace {

using Inputs = ListingInputs;

// The edits applied one after the other, as the window applies them; any
// edit that reaches outside the text, or comes before the one it follows,
// fails.
::testing::AssertionResult appliesTo(const std::string& shown, const std::vector<TextEdit>& edits,
                                     const std::string& wanted) {
    std::string text = shown;
    std::size_t earliest = 0;
    for (std::size_t k = 0; k < edits.size(); ++k) {
        const TextEdit& edit = edits[k];
        if (edit.start < earliest || edit.start + edit.removed > text.size())
            return ::testing::AssertionFailure() << "edit " << k << " at " << edit.start << " removing "
                                                 << edit.removed << " is out of order or outside "
                                                 << text.size() << " characters";
        text.replace(edit.start, edit.removed, edit.inserted);
        earliest = edit.start + edit.inserted.size();
    }
    if (text == wanted) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < text.size() && at < wanted.size() && text[at] == wanted[at]) ++at;
    return ::testing::AssertionFailure() << "the edited text first differs from a whole rebuild at " << at
                                         << " of " << wanted.size() << ": \"" << text.substr(at, 40)
                                         << "\" instead of \"" << wanted.substr(at, 40) << "\"";
}

// Each edit of an equal-length change begins and ends on a changed character,
// so no unchanged line around a change is laid out again.
::testing::AssertionResult tight(const std::string& shown, const std::vector<TextEdit>& edits) {
    for (const TextEdit& edit : edits) {
        const std::size_t last = edit.removed - 1;
        if (edit.removed == 0 || shown[edit.start] == edit.inserted[0] ||
            shown[edit.start + last] == edit.inserted[last])
            return ::testing::AssertionFailure() << "edit at " << edit.start << " of " << edit.removed
                                                 << " characters is not bounded by changes";
    }
    return ::testing::AssertionSuccess();
}

const ScaleOffsets kTuning = {0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12};

TEST(ListingDiff, turnsEveryListingIntoAWholeRebuildOfTheNextWithFewEdits) {
    const struct {
        const char* name;
        std::function<void(Inputs&)> change;
        std::size_t maxEdits16;  // at most, with sixteen parts before the change
    } changes[] = {
        {"nothing", [](Inputs&) {}, 0},
        {"a keystroke in E", [](Inputs& in) { in.offsets[4] = 17; }, 24},
        {"C becomes no number", [](Inputs& in) { in.offsets[0] = std::nullopt; }, 24},
        {"C out of range", [](Inputs& in) { in.offsets[0] = 999; }, 24},
        {"a preset of all twelve", [](Inputs& in) { in.offsets = {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}; }, 16},
        {"a preset of two", [](Inputs& in) { in.offsets[3] = 20, in.offsets[9] = -30; }, 24},
        {"part 5 ticked or unticked", [](Inputs& in) { in.parts ^= 1u << 4; }, 1},
        {"part 1 unticked or ticked", [](Inputs& in) { in.parts ^= 1u; }, 1},
        {"check all", [](Inputs& in) { in.parts = 0xFFFF; }, 0},
        {"uncheck all", [](Inputs& in) { in.parts = 0; }, 1},
        {"GS", [](Inputs& in) { in.format = TuningFormat::GS; }, 1},
        {"XG", [](Inputs& in) { in.format = TuningFormat::XG; }, 1},
        {"GM2", [](Inputs& in) { in.format = TuningFormat::GM2; }, 1},
    };
    for (TuningFormat format : {TuningFormat::GS, TuningFormat::XG, TuningFormat::GM2}) {
        for (uint32_t parts : {0x0001u, 0x0004u, 0xFFFFu}) {
            for (const auto& change : changes) {
                SCOPED_TRACE(::testing::Message() << "format " << static_cast<int>(format) << ", parts "
                                                  << std::hex << parts << ", " << change.name);
                Inputs inputs{format, kTuning, parts};
                const std::string shown = wholeListing(inputs);
                change.change(inputs);
                const std::string wanted = wholeListing(inputs);

                const std::vector<TextEdit> edits = diffListing(shown, wanted);
                EXPECT_TRUE(appliesTo(shown, edits, wanted));
                EXPECT_EQ(shown == wanted, edits.empty());
                EXPECT_LE(edits.size(), parts == 0xFFFF ? change.maxEdits16 : 24u);
                if (shown.size() == wanted.size()) {
                    EXPECT_TRUE(tight(shown, edits));
                }
            }
        }
    }
}

// One keystroke with XG and sixteen parts changes one data byte in each part:
// sixteen two-character edits, nothing else of the 192 lines.
TEST(ListingDiff, aKeystrokeWithXgAndSixteenPartsReplacesOneByteInEachPart) {
    Inputs inputs{TuningFormat::XG, kTuning, 0xFFFF};
    const std::string shown = wholeListing(inputs);
    inputs.offsets[7] = 40;
    const std::vector<TextEdit> edits = diffListing(shown, wholeListing(inputs));
    ASSERT_EQ(16u, edits.size());
    for (const TextEdit& edit : edits) {
        EXPECT_EQ(2u, edit.removed);
        EXPECT_EQ("68", edit.inserted);
    }
}

// A long session: every listing is reached from the last one by its edits
// alone, as the window never sets the whole text again.
TEST(ListingDiff, staysExactOverAManyChangeSession) {
    std::mt19937 random(11);
    Inputs inputs{TuningFormat::XG, kTuning, 0xFFFF};
    std::string text = wholeListing(inputs);
    for (int step = 0; step < 2000; ++step) {
        const unsigned what = random() % 10;
        if (what < 7)
            inputs.offsets[random() % 12] = static_cast<int32_t>(random() % 140) - 70;
        else if (what < 9)
            inputs.parts ^= 1u << (random() % 16);
        else
            inputs.format = static_cast<TuningFormat>(random() % 3);
        const std::string wanted = wholeListing(inputs);
        const std::vector<TextEdit> edits = diffListing(text, wanted, 1 + random() % 64, 1 + random() % 32);
        ASSERT_TRUE(appliesTo(text, edits, wanted)) << "step " << step;
        for (const TextEdit& edit : edits) text.replace(edit.start, edit.removed, edit.inserted);
    }
}

// The window shows the runs in view at once, each group of runs as one edit,
// and the others later: whatever part was shown first, diffing again gives
// exactly the runs still missing, and joining them reaches the rebuild.
TEST(ListingDiff, runsShownAFewAtATimeLeaveExactlyTheRestToDo) {
    Inputs inputs{TuningFormat::XG, kTuning, 0xFFFF};
    const std::string shown = wholeListing(inputs);
    inputs.offsets = {3, -7, 9, 0, 12, -1, 5, 6, -30, 2, 1, 63};
    const std::string wanted = wholeListing(inputs);
    const std::vector<TextEdit> runs = diffListing(shown, wanted, 1, SIZE_MAX);
    ASSERT_TRUE(keepsPositions(runs));
    ASSERT_GT(runs.size(), 100u);
    for (const std::size_t first : {std::size_t{0}, std::size_t{40}, runs.size() - 3}) {
        SCOPED_TRACE(first);
        const std::size_t last = first + 3;
        std::string text = shown;
        const TextEdit inView = joinRuns(runs, first, last, wanted);
        text.replace(inView.start, inView.removed, inView.inserted);

        const std::vector<TextEdit> rest = diffListing(text, wanted, 1, SIZE_MAX);
        ASSERT_EQ(runs.size() - 3, rest.size());
        for (std::size_t k = 0, r = 0; k < runs.size(); ++k) {
            if (k >= first && k < last) continue;
            EXPECT_EQ(runs[k].start, rest[r].start);
            EXPECT_EQ(runs[k].inserted, rest[r++].inserted);
        }
        std::vector<TextEdit> restJoined;
        if (first > 0) restJoined.push_back(joinRuns(rest, 0, first, wanted));
        if (first < rest.size()) restJoined.push_back(joinRuns(rest, first, rest.size(), wanted));
        EXPECT_TRUE(appliesTo(text, restJoined, wanted));
    }
    EXPECT_FALSE(keepsPositions(diffListing(shown, wholeListing({TuningFormat::GS, kTuning, 0xFFFF}))));
}

TEST(ListingDiff, joinsNearRunsAndCollapsesBeyondTheLimit) {
    const struct {
        const char* shown;
        const char* wanted;
        std::size_t joinGap;
        std::size_t maxEdits;
        std::vector<std::size_t> starts;
        std::vector<std::size_t> lengths;
    } rows[] = {
        {"abcdefghij", "aXcdefghYj", 2, 8, {1, 8}, {1, 1}},
        {"abcdefghij", "aXcdefghYj", 6, 8, {1, 8}, {1, 1}},
        {"abcdefghij", "aXcdefghYj", 7, 8, {1}, {8}},
        {"abcdefghij", "XbXdXfghij", 1, 2, {0}, {5}},
        {"abcdefghij", "XbXdXfghij", 1, 3, {0, 2, 4}, {1, 1, 1}},
        {"abc", "abXYc", 1, 8, {2}, {0}},
        {"abXYc", "abc", 1, 8, {2}, {2}},
        {"", "F0 F7", 1, 8, {0}, {0}},
        {"aaaa", "aa", 1, 8, {2}, {2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.shown) + " -> " + row.wanted);
        const std::vector<TextEdit> edits = diffListing(row.shown, row.wanted, row.joinGap, row.maxEdits);
        std::vector<std::size_t> starts, lengths;
        for (const TextEdit& edit : edits) {
            starts.push_back(edit.start);
            lengths.push_back(edit.removed);
        }
        EXPECT_EQ(row.starts, starts);
        EXPECT_EQ(row.lengths, lengths);
        EXPECT_TRUE(appliesTo(row.shown, edits, row.wanted));
    }
}

TEST(ListingDiff, mapsASelectionAcrossTheEdits) {
    const std::vector<TextEdit> sameLength = {{4, 2, "XY"}, {20, 2, "ZW"}};
    const std::vector<TextEdit> growAndShrink = {{4, 2, "XYZ"}, {21, 5, ""}};
    const struct {
        const char* name;
        const std::vector<TextEdit>* edits;
        std::size_t position;
        std::size_t expected;
    } rows[] = {
        {"before every edit", &sameLength, 3, 3},
        {"at the start of an edit", &sameLength, 4, 4},
        {"inside an equal-length replacement", &sameLength, 5, 5},
        {"between edits of equal length", &sameLength, 10, 10},
        {"after a longer replacement", &growAndShrink, 10, 11},
        {"inside a removal", &growAndShrink, 9 + 14, 21},
        {"after a removal", &growAndShrink, 40, 36},
        {"inside a growing replacement", &growAndShrink, 5, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, mapPosition(row.position, *row.edits));
    }
}

}  // namespace
