// File -> Open: a Scala scale goes to the temperament dialog; a .syx, .mid or
// .txt sets the format, the parts and the twelve offsets from the tuning
// messages it holds, with one listing rebuild, and the reader's warnings or
// error are shown. Single-note or bulk-dump keys that are not twelve pitch
// classes are held as a keyboard tuning instead, under a line naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tuning/TuningFileReader.h"

void openTuningFile();
// What Open does with the file at `path`, once it is chosen.
void openTuningFileAt(const std::string& path);
// The same with the file's bytes already read: `kind` is Syx, Mid or Txt.
void openTuningBytes(TuningFileKind kind, const uint8_t* bytes, std::size_t size, const std::string& path);
// Sets what was read, or shows why nothing was; then the reader's warnings.
void showTuningRead(const TuningReadResult& result, const std::string& path);
