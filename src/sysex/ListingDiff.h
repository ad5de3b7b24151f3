// The few replacements that turn the listing on screen into a new one, so the
// window redraws only what changed. Pure text in, edits out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Replace `removed` characters at `start` by `inserted`. `start` counts in the
// text as it stands once the edits before this one have been applied.
struct TextEdit {
    std::size_t start = 0;
    std::size_t removed = 0;
    std::string inserted;
};

// Edits in ascending order, none overlapping, that turn `shown` into `wanted`;
// none when the two are equal. The common head and tail are never touched.
// When what lies between them has the same length in both texts (offsets
// changed; same dialect and number of parts), each run of differing
// characters is one edit, runs fewer than `joinGap` characters apart being
// joined; should that give more than `maxEdits` runs, one edit spans them all.
// Otherwise one edit replaces what lies between head and tail.
std::vector<TextEdit> diffListing(const std::string& shown, const std::string& wanted,
                                  std::size_t joinGap = 32, std::size_t maxEdits = 24);

// True when every edit replaces as many characters as it inserts: positions
// outside the edits stay where they are, and the edits may be applied in any
// order or a few at a time.
bool keepsPositions(const std::vector<TextEdit>& edits);

// One edit covering the position-keeping runs [first, last) of `runs` and the
// unchanged text between them, its text taken from `wanted`.
TextEdit joinRuns(const std::vector<TextEdit>& runs, std::size_t first, std::size_t last,
                  const std::string& wanted);

// Where a position in the text before `edits` stands after them: moved by the
// edits before it; inside a replaced range, kept at its distance from the
// range's start as far as the inserted text reaches. A position at the start
// of an edit stays where it is.
std::size_t mapPosition(std::size_t position, const std::vector<TextEdit>& edits);
