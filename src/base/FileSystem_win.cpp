#include <windows.h>

#include <algorithm>

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "base/WideText.h"

namespace {

class WinSink final : public FileSink {
public:
    explicit WinSink(HANDLE file) : file_(file) {}
    ~WinSink() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    SystemError write(const void* bytes, std::size_t count) override {
        const char* at = static_cast<const char*>(bytes);
        while (count != 0) {
            const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
            DWORD written = 0;
            if (!WriteFile(file_, at, chunk, &written, nullptr)) return GetLastError();
            // A "successful" write that took fewer bytes than asked (a full
            // disk on some redirectors) must not pass for a complete file.
            if (written != chunk) return ERROR_WRITE_FAULT;
            at += written;
            count -= written;
        }
        return 0;
    }
    SystemError flushAndClose() override {
        SystemError error = FlushFileBuffers(file_) ? 0 : GetLastError();
        if (!CloseHandle(file_) && error == 0) error = GetLastError();
        file_ = INVALID_HANDLE_VALUE;
        return error;
    }

private:
    HANDLE file_;
};

std::unique_ptr<FileSink> openForWriting(const std::string& path, DWORD disposition,
                                         SystemError& error) {
    HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    return std::make_unique<WinSink>(file);
}

class WinFileSystem final : public FileSystem {
public:
    SystemError readUpTo(const std::string& path, std::size_t most, std::string& bytes) override {
        bytes.clear();
        HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return GetLastError();
        SystemError error = 0;
        char chunk[65536];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
                error = GetLastError();
                break;
            }
            if (got == 0) break;
            bytes.append(chunk, std::min(static_cast<std::size_t>(got), most - bytes.size()));
            if (bytes.size() == most) break;
        }
        CloseHandle(file);
        return error;
    }
    SystemError checkReplaceable(const std::string& path) override {
        // Opening without truncating meets the same refusals as CREATE_ALWAYS
        // would (read-only file, locked file, folder, no access).
        HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 0;
        }
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    std::unique_ptr<FileSink> createTempBeside(const std::string& target,
                                               std::string& tempPath,
                                               SystemError& error) override {
        wchar_t name[MAX_PATH];
        if (GetTempFileNameW(wideFromUtf8(folderOf(target, isSystemLeadByte)).c_str(), L"vlm", 0, name) == 0) {
            error = GetLastError();
            return nullptr;
        }
        tempPath = utf8FromWide(name);
        std::unique_ptr<FileSink> sink = openForWriting(tempPath, TRUNCATE_EXISTING, error);
        if (!sink) DeleteFileW(name);
        return sink;
    }
    std::unique_ptr<FileSink> createDirect(const std::string& path,
                                           SystemError& error) override {
        return openForWriting(path, CREATE_ALWAYS, error);
    }
    SystemError replace(const std::string& from, const std::string& to) override {
        if (GetFileAttributesW(wideFromUtf8(to).c_str()) != INVALID_FILE_ATTRIBUTES) {
            // MoveFileEx would give the target the temporary file's
            // attributes, security and creation time; ReplaceFile keeps the
            // target's. Merge errors concern only those extras.
            if (ReplaceFileW(wideFromUtf8(to).c_str(), wideFromUtf8(from).c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr))
                return 0;
            return GetLastError();
        }
        if (MoveFileExW(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        return GetLastError();
    }
    bool canWriteInPlace(const std::string& path, SystemError replaceError) override {
        // With no backup name, these leave the target in place and unchanged.
        const bool refused = replaceError == ERROR_ACCESS_DENIED ||
                             replaceError == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                             replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        return refused && GetFileAttributesW(wideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES &&
               checkReplaceable(path) == 0;
    }
    void remove(const std::string& path) override { DeleteFileW(wideFromUtf8(path).c_str()); }
};

}  // namespace

FileSystem& platformFileSystem() {
    static WinFileSystem fileSystem;
    return fileSystem;
}

bool isFileNotFound(SystemError error) { return error == ERROR_FILE_NOT_FOUND; }

bool pathExists(const std::string& path) {
    return GetFileAttributesW(wideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
