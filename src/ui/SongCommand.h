// File -> 曲に音律を書き込む: a song chosen, what will be done shown in a box,
// and the song with the current listing written into it saved where the
// user says, "<name>-tuned.mid" in the song's folder proposed. The song
// itself is written only when the user picks it and confirms the overwrite.
#pragma once

#include <string>

void runSongCommand();
// The same for a song handed over (dropped, or named on the command line)
// and already read.
void runSongCommandWith(const std::string& path, const std::string& bytes);
// Reads the song at `path` for runSongCommandWith; false, with the error
// shown, when it cannot be read.
bool loadSong(const std::string& path, std::string& bytes);
