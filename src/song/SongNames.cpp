#include "song/SongNames.h"

#include "base/PathText.h"

std::string tunedSongPath(const std::string& songPath, bool wrapped) {
    const std::size_t start = fileNameStart(songPath, isSystemLeadByte);
    const std::size_t dot = songPath.rfind('.');
    // A dot is no part of a double-byte character in code page 932, so a
    // byte search is safe; a dot that begins the name is no extension.
    const std::size_t end = dot != std::string::npos && dot > start ? dot : songPath.size();
    return songPath.substr(0, end) + (wrapped ? "-tuned.rmi" : "-tuned.mid");
}
