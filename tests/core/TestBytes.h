// Byte helpers for the tests. The dump on failure is written here, not with
// the listing formatter under test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// "F0 41 10" -> {F0, 41, 10}; "40*12" repeats a byte twelve times.
Bytes hexBytes(const std::string& text);

// Each byte as two hex digits separated by spaces.
std::string dumpBytes(const uint8_t* bytes, std::size_t count);
inline std::string dumpBytes(const Bytes& bytes) { return dumpBytes(bytes.data(), bytes.size()); }

::testing::AssertionResult bytesEqual(const Bytes& expected, const uint8_t* actual,
                                      std::size_t count);
inline ::testing::AssertionResult bytesEqual(const Bytes& expected, const Bytes& actual) {
    return bytesEqual(expected, actual.data(), actual.size());
}
inline ::testing::AssertionResult bytesEqual(const Bytes& expected, const std::string& actual) {
    return bytesEqual(expected, reinterpret_cast<const uint8_t*>(actual.data()), actual.size());
}

// Path of a fixture file, usable by the native and the Windows build.
std::string fixturePath(const std::string& name);

// A fresh empty folder for one test, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string path(const std::string& name) const;
    std::vector<std::string> fileNames() const;

private:
    std::string folder_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
