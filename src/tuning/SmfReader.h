// The System Exclusive messages and control changes of a Standard MIDI File,
// read from its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SmfError {
    None,
    NotMidiFile,    // does not start with an MThd chunk of at least six bytes
    Malformed,      // a track's events do not parse (bad status, length past the chunk)
};

struct SmfSysexResult {
    SmfError error = SmfError::None;
    std::size_t byteOffset = 0;  // where the error was found
    std::string message;         // English
    // Every F0 event as the message it carries (F0, then the event's bytes,
    // normally ending with F7), and every control change as its three bytes
    // (Bn, controller, value; running status resolved), ordered by time, then
    // by track, then by position in the track.
    std::vector<std::vector<uint8_t>> messages;
    bool ok() const { return error == SmfError::None; }
};

// Reads any format (0, 1 or 2) and any number of tracks. Chunks other than
// MTrk are skipped, as is anything after the last whole chunk header. Meta
// events (FF) and F7 escape events are skipped by their lengths; channel
// messages by their status, running status included. Running status survives
// meta and SysEx events, which a reader that only wants SysEx can afford to
// allow. A chunk whose length runs past the end of the file is read up to the
// end. Delta times and lengths are variable-length quantities of at most four
// bytes.
SmfSysexResult readSmfSysex(const uint8_t* bytes, std::size_t size);
