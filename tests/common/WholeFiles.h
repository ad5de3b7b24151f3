// Whole files as bytes. Paths are UTF-8; on Windows they are opened through
// the wide calls, so folders with Japanese names work whatever the code page.
#pragma once

#include <optional>
#include <string>

// None when the file cannot be opened.
std::optional<std::string> readWholeFile(const std::string& path);
// Creates or truncates; false unless every byte was written.
bool writeWholeFile(const std::string& path, const std::string& bytes);
