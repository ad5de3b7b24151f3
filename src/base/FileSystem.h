// The file operations that replacing a file needs, behind a seam: the
// platform's own in FileSystem_win.cpp and FileSystem_posix.cpp, and test
// doubles that make any step fail for real.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "base/SystemError.h"

// An open file being written.
class FileSink {
public:
    virtual ~FileSink() = default;
    // Writes all bytes; a short write is an error, never a success.
    virtual SystemError write(const void* bytes, std::size_t count) = 0;
    // Flushes to the device and closes; the sink is unusable afterwards.
    virtual SystemError flushAndClose() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Replaces `bytes` with the file at `path`, at most its first `most`
    // bytes, read without keeping others from reading or writing it. On an
    // error `bytes` holds what was read before it (nothing when the file
    // could not be opened).
    // Paths are UTF-8 (the Windows side hands them to the wide calls).
    virtual SystemError readUpTo(const std::string& path, std::size_t most, std::string& bytes) = 0;
    SystemError readWhole(const std::string& path, std::string& bytes) {
        return readUpTo(path, static_cast<std::size_t>(-1), bytes);
    }
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
    // Puts `from` in the place of `to`. An existing `to` keeps what the user
    // set on it where the platform can (on Windows its attributes, security
    // and creation time).
    virtual SystemError replace(const std::string& from, const std::string& to) = 0;
    // True when replace() failed with `replaceError` only because the file
    // may be written but not replaced (e.g. the folder refuses new names),
    // so writing the existing file itself would succeed.
    virtual bool canWriteInPlace(const std::string& path, SystemError replaceError) = 0;
    virtual void remove(const std::string& path) = 0;
};

FileSystem& platformFileSystem();

// True when something exists at `path` (a UTF-8 path).
bool pathExists(const std::string& path);

// True for the error that means the file itself does not exist (ENOENT,
// ERROR_FILE_NOT_FOUND); a missing folder (ERROR_PATH_NOT_FOUND) is not it.
bool isFileNotFound(SystemError error);
