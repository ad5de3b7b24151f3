#include <gtest/gtest.h>

#include "TestBytes.h"
#include "base/FileReplacement.h"
#include "base/LoadFileBytes.h"
#include "base/PathText.h"
#include "settings/IniFile.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>

#include "WinePaths.h"
#else
#include <sys/stat.h>

#include <cerrno>
#endif

namespace {

// The real file system, with one step made to fail.
class FailingFileSystem : public FileSystem {
public:
    enum class Fault { None, WriteAfterBytes, Flush, Replace, NoTempFile, Open, ReadAfterBytes };

    Fault fault = Fault::None;
    std::size_t bytesBeforeFault = 0;
    SystemError injected = 28;  // any non-zero code will do
    int directWrites = 0;
    bool writableInPlace = false;  // what canWriteInPlace says after an injected replace failure

    SystemError readUpTo(const std::string& path, std::size_t most, std::string& bytes) override {
        if (fault == Fault::Open) {
            bytes.clear();
            return injected;
        }
        const SystemError error = real().readUpTo(path, most, bytes);
        if (fault != Fault::ReadAfterBytes || error != 0) return error;
        bytes.resize(std::min(bytes.size(), bytesBeforeFault));
        return injected;
    }
    SystemError checkReplaceable(const std::string& path) override {
        return real().checkReplaceable(path);
    }
    std::unique_ptr<FileSink> createTempBeside(const std::string& target, std::string& tempPath,
                                               SystemError& error) override {
        if (fault == Fault::NoTempFile) {
            error = injected;
            return nullptr;
        }
        auto sink = real().createTempBeside(target, tempPath, error);
        if (!sink) return nullptr;
        return std::make_unique<FailingSink>(std::move(sink), *this);
    }
    std::unique_ptr<FileSink> createDirect(const std::string& path, SystemError& error) override {
        ++directWrites;
        return real().createDirect(path, error);
    }
    SystemError replace(const std::string& from, const std::string& to) override {
        return fault == Fault::Replace ? injected : real().replace(from, to);
    }
    bool canWriteInPlace(const std::string& path, SystemError replaceError) override {
        if (fault == Fault::Replace) return writableInPlace;
        return real().canWriteInPlace(path, replaceError);
    }
    void remove(const std::string& path) override { real().remove(path); }

private:
    static FileSystem& real() { return platformFileSystem(); }

    class FailingSink : public FileSink {
    public:
        FailingSink(std::unique_ptr<FileSink> inner, FailingFileSystem& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        SystemError write(const void* bytes, std::size_t count) override {
            if (owner_.fault != Fault::WriteAfterBytes) return inner_->write(bytes, count);
            // Part of the bytes reach the disk before the failure, as on a full disk.
            inner_->write(bytes, std::min(count, owner_.bytesBeforeFault));
            return owner_.injected;
        }
        SystemError flushAndClose() override {
            const SystemError error = inner_->flushAndClose();
            return owner_.fault == Fault::Flush ? owner_.injected : error;
        }

    private:
        std::unique_ptr<FileSink> inner_;
        FailingFileSystem& owner_;
    };
};

const std::string kOldPresets = "[Old]\r\n0=5\r\n1=-3\r\n";

TEST(LoadFileBytes, readsWholeFilesUpToTheLimitThroughTheSeam) {
    const std::string path = fixturePath("tuning/mts2_realtime.syx");  // 33 bytes
    const struct {
        const char* name;
        FailingFileSystem::Fault fault;
        std::size_t limit;
        LoadFileError error;
        bool systemError;
    } rows[] = {
        {"exactly the limit", FailingFileSystem::Fault::None, 33, LoadFileError::None, false},
        {"one byte past it", FailingFileSystem::Fault::None, 32, LoadFileError::TooLarge, false},
        {"not opened", FailingFileSystem::Fault::Open, 33, LoadFileError::CannotOpen, true},
        {"failing after some bytes", FailingFileSystem::Fault::ReadAfterBytes, 33, LoadFileError::ReadFailed, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FailingFileSystem fileSystem;
        fileSystem.fault = row.fault;
        fileSystem.bytesBeforeFault = 10;
        std::string bytes = "old";
        const LoadedFile loaded = loadFileBytes(fileSystem, path, row.limit, bytes);
        EXPECT_EQ(row.error, loaded.error);
        EXPECT_EQ(row.systemError, loaded.systemError != 0);
        EXPECT_EQ(row.error == LoadFileError::None ? readFile(path) : "", bytes);
    }
    std::string bytes;
    const LoadedFile missing = loadFileBytes(fixturePath("tuning/no-such-file.syx"), 33, bytes);
    EXPECT_EQ(LoadFileError::CannotOpen, missing.error);
    EXPECT_TRUE(isFileNotFound(missing.systemError)) << "system error " << missing.systemError;
}

TEST(FileReplacement, aFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const struct {
        const char* name;
        FailingFileSystem::Fault fault;
    } rows[] = {
        {"write fails midway", FailingFileSystem::Fault::WriteAfterBytes},
        {"flush fails", FailingFileSystem::Fault::Flush},
        {"replace fails", FailingFileSystem::Fault::Replace},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const std::string path = folder.path("Preset.ini");
        writeFile(path, kOldPresets);

        IniFile presets;
        ASSERT_TRUE(presets.load(path));
        presets.setValue("New", "4", "14");
        FailingFileSystem fileSystem;
        fileSystem.fault = row.fault;
        fileSystem.bytesBeforeFault = 3;
        EXPECT_EQ(fileSystem.injected, presets.save(fileSystem));

        EXPECT_EQ(kOldPresets, readFile(path));
        EXPECT_EQ(std::vector<std::string>{"Preset.ini"}, folder.fileNames());
        EXPECT_EQ(0, fileSystem.directWrites);
    }
}

TEST(FileReplacement, aRefusedReplacementOfAWritableFileWritesItInPlace) {
    const struct {
        const char* name;
        FailingFileSystem::Fault fault;
        std::string written;
        int directWrites;
    } rows[] = {
        {"the complete temporary file may not replace it", FailingFileSystem::Fault::Replace, "[New]\r\n", 1},
        {"an incomplete temporary file is never the last resort's cue", FailingFileSystem::Fault::Flush,
         kOldPresets, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const std::string path = folder.path("Preset.ini");
        writeFile(path, kOldPresets);
        FailingFileSystem fileSystem;
        fileSystem.fault = row.fault;
        fileSystem.writableInPlace = true;
        const SystemError error = writeFileReplacing(path, "[New]\r\n", 7, fileSystem);
        EXPECT_EQ(row.directWrites == 1 ? 0u : fileSystem.injected, error);
        EXPECT_EQ(row.written, readFile(path));
        EXPECT_EQ(std::vector<std::string>{"Preset.ini"}, folder.fileNames());
        EXPECT_EQ(row.directWrites, fileSystem.directWrites);
    }
}

// Windows codes; the document only tells "does not exist" from the rest.
constexpr SystemError kSharingViolation = 32;
constexpr SystemError kAccessDenied = 5;

TEST(FileReplacement, aFileThatCouldNotBeReadWholeIsNeverWrittenOver) {
    const struct {
        const char* name;
        const char* fileName;
        FailingFileSystem::Fault fault;
        SystemError error;
        std::size_t bytesBeforeFault;
        std::vector<std::string> sectionsLoaded;
    } rows[] = {
        {"held open without sharing", "Preset.ini", FailingFileSystem::Fault::Open, kSharingViolation, 0, {}},
        {"no read permission", "Velmarin.ini", FailingFileSystem::Fault::Open, kAccessDenied, 0, {}},
        {"a read error after some bytes", "Preset.ini", FailingFileSystem::Fault::ReadAfterBytes, 23, 12,
         {"Old"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const std::string path = folder.path(row.fileName);
        writeFile(path, kOldPresets);

        FailingFileSystem fileSystem;
        fileSystem.fault = row.fault;
        fileSystem.injected = row.error;
        fileSystem.bytesBeforeFault = row.bytesBeforeFault;
        IniFile file;
        file.parse("[Before]\r\n");
        EXPECT_FALSE(file.load(path, fileSystem));
        EXPECT_EQ(row.error, file.loadError());
        std::vector<std::string> names;
        for (const IniSection& section : file.sections()) names.push_back(section.name);
        EXPECT_EQ(row.sectionsLoaded, names);  // the document stays usable

        file.setValue("New", "4", "14");
        fileSystem.fault = FailingFileSystem::Fault::None;
        EXPECT_EQ(row.error, file.save(fileSystem));
        EXPECT_EQ(kOldPresets, readFile(path));
        EXPECT_EQ(std::vector<std::string>{row.fileName}, folder.fileNames());
    }
}

TEST(FileReplacement, successReplacesTheFileWithExactlyTheNewBytes) {
    ScratchFolder folder;
    const std::string path = folder.path("Preset.ini");
    writeFile(path, std::string(5000, 'x'));  // longer than the new content
    FailingFileSystem fileSystem;
    EXPECT_EQ(0u, writeFileReplacing(path, "[A]\r\n", 5, fileSystem));
    EXPECT_EQ("[A]\r\n", readFile(path));
    EXPECT_EQ(0u, writeFileReplacing(folder.path("new.syx"), "", 0, fileSystem));
    EXPECT_EQ("", readFile(folder.path("new.syx")));
    EXPECT_EQ((std::vector<std::string>{"Preset.ini", "new.syx"}), folder.fileNames());
    EXPECT_EQ(0, fileSystem.directWrites);
}

TEST(FileReplacement, withoutATemporaryFileTheTargetIsWrittenDirectly) {
    ScratchFolder folder;
    const std::string path = folder.path("Velmarin.ini");
    writeFile(path, "old");
    FailingFileSystem fileSystem;
    fileSystem.fault = FailingFileSystem::Fault::NoTempFile;
    EXPECT_EQ(0u, writeFileReplacing(path, "new bytes", 9, fileSystem));
    EXPECT_EQ("new bytes", readFile(path));
    EXPECT_EQ(1, fileSystem.directWrites);
}

TEST(FileReplacement, aTargetThatCannotBeReplacedReportsTheErrorAndStaysAsItWas) {
    ScratchFolder folder;
    // A folder where the file should be: neither replaced nor written into.
    const std::string folderTarget = folder.path("Preset.ini");
#ifdef _WIN32
    ASSERT_TRUE(CreateDirectoryA(folderTarget.c_str(), nullptr));
    EXPECT_EQ(static_cast<SystemError>(ERROR_ACCESS_DENIED),
              writeFileReplacing(folderTarget, "x", 1));
#else
    ASSERT_EQ(0, ::mkdir(folderTarget.c_str(), 0777));
    EXPECT_EQ(static_cast<SystemError>(EISDIR), writeFileReplacing(folderTarget, "x", 1));
#endif
    EXPECT_EQ(std::vector<std::string>{"Preset.ini"}, folder.fileNames());

    // A missing folder gives the error that creating the file there would.
    const SystemError missing = writeFileReplacing(folder.path("no/such/x.ini"), "x", 1);
#ifdef _WIN32
    EXPECT_EQ(static_cast<SystemError>(ERROR_PATH_NOT_FOUND), missing);
#else
    EXPECT_EQ(static_cast<SystemError>(ENOENT), missing);
#endif
}

#ifdef _WIN32
TEST(FileReplacement, aLockedFileIsRefusedWithTheSystemError) {
    ScratchFolder folder;
    const std::string path = folder.path("locked.ini");
    writeFile(path, "old");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(static_cast<SystemError>(ERROR_SHARING_VIOLATION), writeFileReplacing(path, "new", 3));
    CloseHandle(holder);
    EXPECT_EQ("old", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"locked.ini"}, folder.fileNames());
}

TEST(FileReplacement, aFileHeldOpenWithoutSharingIsNotWrittenOverByItsDocument) {
    ScratchFolder folder;
    const std::string path = folder.path("Preset.ini");
    writeFile(path, kOldPresets);
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    IniFile presets;
    EXPECT_FALSE(presets.load(path));
    CloseHandle(holder);
    EXPECT_EQ(static_cast<SystemError>(ERROR_SHARING_VIOLATION), presets.loadError());
    presets.setValue("New", "4", "14");
    EXPECT_EQ(static_cast<SystemError>(ERROR_SHARING_VIOLATION), presets.save());
    EXPECT_EQ(kOldPresets, readFile(path));

    // A missing folder is no missing file: nothing would be created there.
    IniFile elsewhere;
    EXPECT_FALSE(elsewhere.load(folder.path("no\\Preset.ini")));
    EXPECT_EQ(static_cast<SystemError>(ERROR_PATH_NOT_FOUND), elsewhere.loadError());
}

// ReplaceFile keeps what the user set on the file; Wine's moves the new file
// in with its own attributes and dates.
TEST(FileReplacement, aReplacedFileKeepsItsAttributesAndCreationTime) {
    ScratchFolder folder;
    const std::string path = folder.path("Preset.ini");
    writeFile(path, kOldPresets);
    FILETIME created{};
    created.dwHighDateTime = 0x01C00000;  // a date long past, set by hand
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ASSERT_TRUE(SetFileTime(file, &created, nullptr, nullptr));
    CloseHandle(file);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    EXPECT_EQ(0u, writeFileReplacing(path, "[New]\r\n", 7));
    EXPECT_EQ("[New]\r\n", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"Preset.ini"}, folder.fileNames());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    const bool sameCreation = CompareFileTime(&data.ftCreationTime, &created) == 0;
    if ((!hidden || !sameCreation) && runningOnWine())
        GTEST_SKIP() << "Wine: ReplaceFile moves the replacement in without the replaced file's"
                     << (hidden ? "" : " attributes") << (!hidden && !sameCreation ? " or" : "")
                     << (sameCreation ? "" : " creation time");
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(sameCreation);
}

TEST(FileReplacement, aReadOnlyFileIsRefusedWithTheSystemError) {
    ScratchFolder folder;
    const std::string path = folder.path("readonly.ini");
    writeFile(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "Wine run as root: the read-only attribute is not enforced";
    }
    EXPECT_EQ(static_cast<SystemError>(ERROR_ACCESS_DENIED), writeFileReplacing(path, "new", 3));
    EXPECT_EQ("old", readFile(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(std::vector<std::string>{"readonly.ini"}, folder.fileNames());
}
#endif

TEST(PathText, folderOfAPath) {
    const struct {
        const char* path;
        LeadBytePredicate isLeadByte;
        const char* folder;
    } rows[] = {
        {"C:\\Tools\\a.mid", isCp932LeadByte, "C:\\Tools"},
        {"C:\\a.mid", isCp932LeadByte, "C:\\"},
        {"C:a.mid", isCp932LeadByte, "C:"},
        {"a.mid", isCp932LeadByte, "."},
        {"/tmp/x/a.ini", isNeverLeadByte, "/tmp/x"},
        {"/a.ini", isNeverLeadByte, "/"},
        {"C:/Tools/a.mid", isCp932LeadByte, "C:/Tools"},
        // 0x95 0x5C is one character (a kanji) whose trail byte is "\".
        {"C:\\\x95\x5C\\a.mid", isCp932LeadByte, "C:\\\x95\x5C"},
        {"C:\\x\\\x95\x5C", isCp932LeadByte, "C:\\x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(row.folder, folderOf(row.path, row.isLeadByte));
    }
}

}  // namespace
