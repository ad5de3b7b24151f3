// Byte and file helpers for the core tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "HexBytes.h"

::testing::AssertionResult bytesEqual(const Bytes& expected, const uint8_t* actual,
                                      std::size_t count);
inline ::testing::AssertionResult bytesEqual(const Bytes& expected, const Bytes& actual) {
    return bytesEqual(expected, actual.data(), actual.size());
}
inline ::testing::AssertionResult bytesEqual(const Bytes& expected, const std::string& actual) {
    return bytesEqual(expected, reinterpret_cast<const uint8_t*>(actual.data()), actual.size());
}

// Messages, each whole, against their hex: the count, then each in turn.
::testing::AssertionResult messagesAre(const std::vector<std::string>& expected, const std::vector<Bytes>& got);

// A MIDI file made in the test, not by the writers under test: MThd (the
// header length 6 and the track count filled in), `other` (chunks of another
// kind, as hex), then one MTrk per track given as hex.
Bytes testSmf(int format, const char* division, const std::vector<std::string>& tracks, const char* other = "");

// Path of a fixture file (tests/fixtures/<name>): the fixtures folder beside
// the test program when there is one (a Windows build copies it there), else
// the source folder the build names, through drive Z: under Wine.
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
