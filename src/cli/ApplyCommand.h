// velmarin-cli apply: the tuning written into each song named, one summary
// line per song on standard output; a song that cannot be done is reported
// on standard error and the others are still done.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "song/SongBends.h"
#include "song/SongTuning.h"

// `listing`: the messages to write, as the builder made them. Returns
// kExitSuccess, or kExitBadInput when any song failed.
int applyToSongs(const CliCommand& command, const uint8_t* listing, uint32_t listingLength, std::ostream& out,
                 std::ostream& err);

// The line `apply` prints for a song written with the tuning: what the song
// is, where the tuning went and what else changed; times in whole
// milliseconds, halves rounded up.
std::string songSummaryLine(const SongSummary& summary);

// --pitch-bend: the tuning as pitch bends, `options` holding its key cents
// and how notes find their key (tuningBendOptions); the command sets the rest.
int applyBendsToSongs(const CliCommand& command, SongBendOptions options, std::ostream& out, std::ostream& err);
