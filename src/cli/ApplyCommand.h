// velmarin-cli apply: the tuning written into each song named, one summary
// line per song on standard output; a song that cannot be done is reported
// on standard error and the others are still done.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>

#include "cli/CliArguments.h"

// `listing`: the messages to write, as the builder made them. Returns
// kExitSuccess, or kExitBadInput when any song failed.
int applyToSongs(const CliCommand& command, const uint8_t* listing, uint32_t listingLength, std::ostream& out,
                 std::ostream& err);

// --pitch-bend: the tuning as pitch bends, `cents` from equal temperament of
// C..B as the fit gives them.
int applyBendsToSongs(const CliCommand& command, const std::array<double, 12>& cents, std::ostream& out,
                      std::ostream& err);
