#include "TestBytes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "WholeFiles.h"

#ifdef _WIN32
#include <windows.h>

#include "WinePaths.h"
#endif

namespace fs = std::filesystem;

::testing::AssertionResult bytesEqual(const Bytes& expected, const uint8_t* actual,
                                      std::size_t count) {
    if (count == expected.size() && std::equal(expected.begin(), expected.end(), actual))
        return ::testing::AssertionSuccess();
    std::size_t firstDifference = 0;
    while (firstDifference < count && firstDifference < expected.size() &&
           expected[firstDifference] == actual[firstDifference])
        ++firstDifference;
    // Long files are shown from a little before the first difference.
    constexpr std::size_t kShown = 256;
    const std::size_t from = std::max(expected.size(), count) > kShown && firstDifference > 16 ? firstDifference - 16 : 0;
    const auto window = [&](const uint8_t* bytes, std::size_t size) {
        if (from >= size) return std::string();
        return (from != 0 ? "... " : "") + dumpBytes(bytes + from, std::min(size - from, kShown));
    };
    return ::testing::AssertionFailure()
           << "\n  expected (" << expected.size() << " bytes): " << window(expected.data(), expected.size())
           << "\n  actual   (" << count << " bytes): " << window(actual, count)
           << "\n  first difference at byte " << firstDifference;
}

std::string fixturePath(const std::string& name) {
#ifdef _WIN32
    static const std::string folder = [] {
        char program[MAX_PATH] = "";
        const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string beside(program, length);
        beside = beside.substr(0, beside.find_last_of('\\') + 1) + "fixtures";
        const DWORD attributes = GetFileAttributesA(beside.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return beside;
        return windowsPath(VELMARIN_FIXTURE_DIR);
    }();
    return folder + "\\" + name;
#else
    return std::string(VELMARIN_FIXTURE_DIR) + "/" + name;
#endif
}

ScratchFolder::ScratchFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    fs::path folder;
    do {
        folder = fs::temp_directory_path() / ("velmarin-test-" + std::to_string(random()));
    } while (!fs::create_directory(folder));
    folder_ = folder.string();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder_, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
}

std::string ScratchFolder::path(const std::string& name) const {
    return (fs::path(folder_) / name).string();
}

std::vector<std::string> ScratchFolder::fileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) { return readWholeFile(path).value_or(""); }

void writeFile(const std::string& path, const std::string& bytes) { writeWholeFile(path, bytes); }

Bytes testSmf(int format, const char* division, const std::vector<std::string>& tracks, const char* other) {
    char counts[16];
    std::snprintf(counts, sizeof counts, "%02X 00 %02X ", format, static_cast<unsigned>(tracks.size()));
    Bytes bytes = hexBytes("4D 54 68 64 00 00 00 06 00 " + std::string(counts) + division + " " + other);
    for (const std::string& track : tracks) {
        const Bytes body = hexBytes(track);
        char length[32];
        std::snprintf(length, sizeof length, "4D 54 72 6B 00 00 %02X %02X", static_cast<unsigned>(body.size() >> 8),
                      static_cast<unsigned>(body.size() & 0xFF));
        const Bytes chunk = hexBytes(length);
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    return bytes;
}

::testing::AssertionResult messagesAre(const std::vector<std::string>& expected, const std::vector<Bytes>& got) {
    if (got.size() != expected.size()) {
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        failure << got.size() << " messages, expected " << expected.size() << ":";
        for (const Bytes& message : got) failure << "\n  " << dumpBytes(message);
        return failure;
    }
    for (std::size_t i = 0; i < got.size(); ++i)
        if (auto same = bytesEqual(hexBytes(expected[i]), got[i]); !same) return same << " (message " << i << ")";
    return ::testing::AssertionSuccess();
}
