#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/FileSystem.h"
#include "base/PathText.h"

namespace {

SystemError lastError() { return static_cast<SystemError>(errno); }

class PosixSink final : public FileSink {
public:
    explicit PosixSink(int fd) : fd_(fd) {}
    ~PosixSink() override {
        if (fd_ >= 0) ::close(fd_);
    }
    SystemError write(const void* bytes, std::size_t count) override {
        const char* at = static_cast<const char*>(bytes);
        while (count != 0) {
            const ssize_t written = ::write(fd_, at, count);
            if (written < 0) {
                if (errno == EINTR) continue;
                return lastError();
            }
            if (written == 0) return EIO;
            at += written;
            count -= static_cast<std::size_t>(written);
        }
        return 0;
    }
    SystemError flushAndClose() override {
        SystemError error = ::fsync(fd_) != 0 ? lastError() : 0;
        if (::close(fd_) != 0 && error == 0) error = lastError();
        fd_ = -1;
        return error;
    }

private:
    int fd_;
};

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

class PosixFileSystem final : public FileSystem {
public:
    SystemError readUpTo(const std::string& path, std::size_t most, std::string& bytes) override {
        bytes.clear();
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) return lastError();
        SystemError error = 0;
        char chunk[65536];
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0) {
                if (errno == EINTR) continue;
                error = lastError();
                break;
            }
            if (got == 0) break;
            bytes.append(chunk, std::min(static_cast<std::size_t>(got), most - bytes.size()));
            if (bytes.size() == most) break;
        }
        ::close(fd);
        return error;
    }
    SystemError checkReplaceable(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY);
        if (fd >= 0) {
            ::close(fd);
            return 0;
        }
        return errno == ENOENT ? 0 : lastError();
    }
    std::unique_ptr<FileSink> createTempBeside(const std::string& target,
                                               std::string& tempPath,
                                               SystemError& error) override {
        std::string pattern = folderOf(target, isSystemLeadByte) + "/.velmarin-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data());
        if (fd < 0) {
            error = lastError();
            return nullptr;
        }
        ::fchmod(fd, creationMode());  // mkstemp makes 0600; keep the usual mode
        tempPath = name.data();
        return std::make_unique<PosixSink>(fd);
    }
    std::unique_ptr<FileSink> createDirect(const std::string& path,
                                           SystemError& error) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0) {
            error = lastError();
            return nullptr;
        }
        return std::make_unique<PosixSink>(fd);
    }
    SystemError replace(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : lastError();
    }
    bool canWriteInPlace(const std::string& path, SystemError replaceError) override {
        // A folder without write permission refuses the rename, not the write.
        if (replaceError != EACCES && replaceError != EPERM) return false;
        const int fd = ::open(path.c_str(), O_WRONLY);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    }
    void remove(const std::string& path) override { ::unlink(path.c_str()); }
};

}  // namespace

FileSystem& platformFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

bool isFileNotFound(SystemError error) { return error == ENOENT; }

bool pathExists(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}
