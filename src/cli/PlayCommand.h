// velmarin-cli play: a MIDI keyboard played through the retuning engine to
// a synthesizer until the user stops it, with a line on standard output as
// it starts and one as it ends.
#pragma once

#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "cli/InterruptWait.h"
#include "midiin/MidiInDevice.h"
#include "midiout/MidiOutDevice.h"
#include "sysex/SysexBuilder.h"
#include "tuning/Tuning.h"

// `tuning` as resolved; `listing` the tuning messages method's (null for
// the other methods); `besides` what else goes on meanwhile, for the end of
// the line saying what it plays ("; MTS-ESP master: ..."). Opens the devices --in and --port name, plays until
// `interrupted` or a device fails, and ends every note before it closes
// them. kExitSuccess once stopped by the user; kExitBadInput, with the
// system's reason on `err`, when a device is missing, will not open or
// fails while playing.
int playThrough(const CliCommand& command, const Tuning& tuning, const TuningListing* listing, MidiInSystem& midiIn,
                MidiOutSystem& midiOut, const InterruptCheck& interrupted, const std::string& besides, std::ostream& out,
                std::ostream& err);
