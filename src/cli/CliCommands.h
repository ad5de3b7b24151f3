// The commands of velmarin-cli: each reads its input through the core,
// writes its result to `out` and its messages to `err`, and returns the exit
// status. The MIDI output system is a parameter so that tests put a fake one
// behind `send` and `ports`.
#pragma once

#include <ostream>

#include "cli/CliArguments.h"
#include "midiout/MidiOutDevice.h"

// `out` must be binary: `build` writes the hex listing's CR LF as they are.
// Whether `out` was written is the caller's to check, once for every command.
int runCliCommand(const CliCommand& command, std::ostream& out, std::ostream& err,
                  MidiOutSystem& midiOut);
