#include "song/SongNames.h"

#include "base/PathText.h"

namespace {

// Where the file name begins.
std::size_t nameStart(const std::string& path) {
    const std::size_t separator = findLastSeparator(path, "\\/", isSystemLeadByte);
    if (separator != std::string::npos) return separator + 1;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace

std::string fileNameOf(const std::string& path) { return path.substr(nameStart(path)); }

std::string tunedSongPath(const std::string& songPath, bool wrapped) {
    const std::size_t start = nameStart(songPath);
    const std::size_t dot = songPath.rfind('.');
    // A dot is no part of a double-byte character in code page 932, so a
    // byte search is safe; a dot that begins the name is no extension.
    const std::size_t end = dot != std::string::npos && dot > start ? dot : songPath.size();
    return songPath.substr(0, end) + (wrapped ? "-tuned.rmi" : "-tuned.mid");
}
