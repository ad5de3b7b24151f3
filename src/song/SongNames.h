// The names a tuned song is written under.
#pragma once

#include <string>

#include "base/PathText.h"  // fileNameOf

// "<name>-tuned.mid" in the song's folder, ".rmi" for a RIFF RMID song; the
// name is the song's file name without its extension.
std::string tunedSongPath(const std::string& songPath, bool wrapped);
