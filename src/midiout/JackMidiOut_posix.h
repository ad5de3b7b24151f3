// JACK's MIDI output ports, opened on libjack itself rather than through
// RtMidi: RtMidi 5 frees its JACK output's ring buffer before it closes the
// client, so that a process cycle that began before the port closed reads
// freed memory (a crash, now and then, when a device closes on a loaded
// machine). Included by MidiOutDevice_posix.cpp only; the ports are listed
// through RtMidi as before, and numbered as it numbers them.
#pragma once

#include <memory>
#include <string>

#include "midiout/MidiBackendOut.h"

// Opens JACK MIDI input port number `port` (of those JACK lists now) to
// send to, from a client and an output port of the names RtMidi gives
// theirs; null with RtMidi's text for the same failure. A message is handed
// to the port in the next process cycle. close() waits for that cycle (a
// second at most, as RtMidi waits), then stops the client's process thread
// before it frees what that thread reads.
std::unique_ptr<MidiBackendPort> openJackMidiOut(unsigned port, std::string& error);
