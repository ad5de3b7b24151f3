// Path text. The program's own paths are UTF-8; in code page 932, which
// older files and other programs hand over, the trail byte of a double-byte
// character can be 5C, the byte of "\\", so separators are found by walking
// characters, not bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using LeadBytePredicate = bool (*)(uint8_t byte);

// Lead bytes of Shift_JIS (code page 932): 81-9F and E0-FC.
bool isCp932LeadByte(uint8_t byte);
// For byte encodings without double-byte characters (and UTF-8).
bool isNeverLeadByte(uint8_t byte);
// The lead bytes of the program's path text: none, as paths are UTF-8.
bool isSystemLeadByte(uint8_t byte);

// Index of the last character in `separators` that is not the trail byte of a
// double-byte character, or npos.
std::size_t findLastSeparator(std::string_view path, std::string_view separators,
                              LeadBytePredicate isLeadByte);

// The folder part of `path` (up to its last "\\" or "/"), or "." when it has
// none; a root keeps its separator ("/", "\\", "C:\\"), and "C:name" gives "C:".
std::string folderOf(const std::string& path, LeadBytePredicate isLeadByte);

// The part of `path` after its last "\\" or "/" (or after "C:"); the whole
// path when it has neither.
std::size_t fileNameStart(const std::string& path, LeadBytePredicate isLeadByte);
std::string fileNameOf(const std::string& path, LeadBytePredicate isLeadByte = isSystemLeadByte);

// The longest path that fits a MAX_PATH buffer with its terminating NUL.
constexpr std::size_t kMaxPathLength = 259;

// The path of `fileName` in the folder of the executable at `modulePath`: the
// module path cut after its last backslash (a "/" is no separator here), or
// the bare name when it has none. Returns "" (no path at all) when the module
// path came back truncated or the result would not fit kMaxPathLength.
std::string fileBesideModule(std::string_view modulePath, bool modulePathTruncated,
                             std::string_view fileName, LeadBytePredicate isLeadByte);
