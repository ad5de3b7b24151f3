// The whole-file read of the files a user opens, names or drops, through
// the file-system seam (base/FileSystem.h), so that its failures can be
// simulated as the writes' are. The readers themselves parse bytes.
#pragma once

#include <cstddef>
#include <string>

#include "base/FileSystem.h"

enum class LoadFileError { None, CannotOpen, TooLarge, ReadFailed };

struct LoadedFile {
    LoadFileError error = LoadFileError::None;
    SystemError systemError = 0;  // CannotOpen and ReadFailed: the system's code
    bool ok() const { return error == LoadFileError::None; }
};

// Reads the whole file at `path` into `bytes`. A file longer than `limit`
// bytes is TooLarge and leaves `bytes` empty; so does any other error.
LoadedFile loadFileBytes(FileSystem& fileSystem, const std::string& path, std::size_t limit, std::string& bytes);
// The same through the platform's file system.
LoadedFile loadFileBytes(const std::string& path, std::size_t limit, std::string& bytes);
