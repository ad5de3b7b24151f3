#include "base/LoadFileBytes.h"

LoadedFile loadFileBytes(FileSystem& fileSystem, const std::string& path, std::size_t limit, std::string& bytes) {
    // One byte past the limit tells a file of exactly `limit` bytes from a
    // longer one without reading all of a huge file.
    const SystemError error = fileSystem.readUpTo(path, limit + 1, bytes);
    LoadedFile loaded;
    if (error != 0) {
        loaded.error = bytes.empty() ? LoadFileError::CannotOpen : LoadFileError::ReadFailed;
        loaded.systemError = error;
    } else if (bytes.size() > limit) {
        loaded.error = LoadFileError::TooLarge;
    }
    if (!loaded.ok()) bytes.clear();
    return loaded;
}

LoadedFile loadFileBytes(const std::string& path, std::size_t limit, std::string& bytes) {
    return loadFileBytes(platformFileSystem(), path, limit, bytes);
}
