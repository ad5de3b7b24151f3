// velmarin-cli apply: the tuning written into each song named, one summary
// line per song on standard output; a song that cannot be done is reported
// on standard error and the others are still done.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "song/SongTuning.h"

// `listing`: the messages to write, as the builder made them. Returns
// kExitSuccess, or kExitBadInput when any song failed.
int applyToSongs(const CliCommand& command, const uint8_t* listing, uint32_t listingLength, std::ostream& out,
                 std::ostream& err);

// The line `apply` prints for a song written with the tuning: what the song
// is, where the tuning went and what else changed; times in whole
// milliseconds, halves rounded up.
std::string songSummaryLine(const SongSummary& summary);

// --pitch-bend: the tuning as pitch bends, `keyCents` from equal temperament
// of every key; `nearestKeys` for a keyboard tuning, each note played on the
// key nearest its pitch.
int applyBendsToSongs(const CliCommand& command, const std::array<double, 128>& keyCents, bool nearestKeys,
                      std::ostream& out, std::ostream& err);
