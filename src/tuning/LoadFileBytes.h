// The one file read of the tuning features, kept at the edge: the readers
// themselves parse bytes.
#pragma once

#include <cstddef>
#include <string>

enum class LoadFileError { None, CannotOpen, TooLarge, ReadFailed };

// Reads the whole file at `path` (a narrow path: the ANSI code page on
// Windows) in binary mode into `bytes`. A file longer than `limit` bytes is
// TooLarge and leaves `bytes` empty; so does any other error.
LoadFileError loadFileBytes(const std::string& path, std::size_t limit, std::string& bytes);
