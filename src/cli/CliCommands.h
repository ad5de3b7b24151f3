// The commands of velmarin-cli: each reads its input through the core,
// writes its result to `out` and its messages to `err`, and returns the exit
// status. The MIDI systems, and what tells `play` that the user stopped it,
// are parameters so that tests put fakes behind `send`, `ports` and `play`.
#pragma once

#include <ostream>

#include "cli/CliArguments.h"
#include "cli/PlayCommand.h"
#include "midiin/MidiInDevice.h"
#include "midiout/MidiOutDevice.h"

// `out` must be binary: `build` writes the hex listing's CR LF as they are.
// Whether `out` was written is the caller's to check, once for every command.
// `interrupted` empty: Ctrl+C (SIGINT, SIGTERM) stops `play`.
int runCliCommand(const CliCommand& command, std::ostream& out, std::ostream& err, MidiOutSystem& midiOut,
                  MidiInSystem& midiIn = platformMidiIn(), const InterruptCheck& interrupted = {});
