// Replacing a file's contents so that a failure never destroys the old file:
// the bytes go to a temporary file in the target's folder, which replaces the
// target only after every byte was written and flushed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "shell/PathText.h"

// The platform's error code: GetLastError() on Windows, errno elsewhere.
// 0 means success.
using SystemError = uint32_t;

// An open file being written.
class FileSink {
public:
    virtual ~FileSink() = default;
    // Writes all bytes; a short write is an error, never a success.
    virtual SystemError write(const void* bytes, std::size_t count) = 0;
    // Flushes to the device and closes; the sink is unusable afterwards.
    virtual SystemError flushAndClose() = 0;
};

// The file operations the replacement needs: a seam so that tests can make
// any step fail for real.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // 0 when `path` does not exist or could be opened for writing (nothing
    // is changed); otherwise the error that creating it directly would meet.
    virtual SystemError checkReplaceable(const std::string& path) = 0;
    // A new, empty, uniquely named file in the folder of `target`.
    virtual std::unique_ptr<FileSink> createTempBeside(const std::string& target,
                                                       std::string& tempPath,
                                                       SystemError& error) = 0;
    // Creates `path` or truncates it to zero bytes.
    virtual std::unique_ptr<FileSink> createDirect(const std::string& path,
                                                   SystemError& error) = 0;
    // Moves `from` over `to`, replacing it.
    virtual SystemError replace(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& path) = 0;
};

FileSystem& platformFileSystem();

// Makes the file at `path` hold exactly `bytes`. On failure the old file stays
// byte for byte and no temporary file is left behind; the error is returned.
// Where no temporary file can be made in that folder the target is written
// directly (created or truncated, then written).
SystemError writeFileReplacing(const std::string& path, const void* bytes,
                               std::size_t count,
                               FileSystem& fileSystem = platformFileSystem());

// The folder part of `path` (up to its last "\\" or "/"), or "." when it has
// none. `isLeadByte` tells the double-byte characters of the path's encoding.
std::string folderOf(const std::string& path, LeadBytePredicate isLeadByte);
