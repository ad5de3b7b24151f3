// Files as both front ends take them: what a file handed over is for, and a
// file opened for its tuning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/FileSystem.h"
#include "base/LoadFileBytes.h"
#include "tuning/TuningFileReader.h"

enum class FileRole { ScalaScale, TuningFile, Song, Unsupported };

// A MIDI file that the one reader takes and that holds a note-on.
bool midiFileHasNotes(const uint8_t* bytes, std::size_t size);

// By the name: a .scl is a scale; a .syx or .txt a tuning file; a MIDI file
// (.mid, .midi, .rmi) by its bytes: with notes it is a song to write the
// tuning into, without any it holds a tuning, as the program saves one. A
// damaged MIDI file counts as a tuning file, whose reader names the damage.
FileRole fileRoleOf(std::string_view name, const uint8_t* bytes, std::size_t size);
// Whether fileRoleOf needs the file's bytes to tell.
bool roleNeedsBytes(std::string_view name);

struct OpenedTuningFile {
    LoadedFile load;
    TuningReadResult read;  // when loaded
    bool ok() const { return load.ok() && read.ok(); }
};

// Loads `path` (at most kMaxTuningFileBytes) and reads its tuning, of the
// kind its name says.
OpenedTuningFile openTuningFile(FileSystem& fileSystem, const std::string& path);
