#include "TestBytes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

Bytes hexBytes(const std::string& text) {
    Bytes bytes;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        const std::size_t star = word.find('*');
        const int repeat = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
        const auto value = static_cast<uint8_t>(std::stoul(word.substr(0, star), nullptr, 16));
        bytes.insert(bytes.end(), repeat, value);
    }
    return bytes;
}

std::string dumpBytes(const uint8_t* bytes, std::size_t count) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        if (i != 0) text += ' ';
        text += digits;
    }
    return text;
}

::testing::AssertionResult bytesEqual(const Bytes& expected, const uint8_t* actual,
                                      std::size_t count) {
    if (count == expected.size() && std::equal(expected.begin(), expected.end(), actual))
        return ::testing::AssertionSuccess();
    std::size_t firstDifference = 0;
    while (firstDifference < count && firstDifference < expected.size() &&
           expected[firstDifference] == actual[firstDifference])
        ++firstDifference;
    return ::testing::AssertionFailure()
           << "\n  expected (" << expected.size() << " bytes): " << dumpBytes(expected)
           << "\n  actual   (" << count << " bytes): " << dumpBytes(actual, count)
           << "\n  first difference at byte " << firstDifference;
}

std::string fixturePath(const std::string& name) {
#ifdef _WIN32
    // Wine maps the Unix root to drive Z:.
    return std::string("Z:") + VELMARIN_FIXTURE_DIR + "/" + name;
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

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
