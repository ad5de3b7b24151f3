#include "tuning/LoadFileBytes.h"

#include <fstream>

LoadFileError loadFileBytes(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return LoadFileError::CannotOpen;
    // One byte past the limit tells a file of exactly `limit` bytes from a longer one.
    std::string read(limit + 1, '\0');
    in.read(&read[0], static_cast<std::streamsize>(read.size()));
    if (in.bad()) return LoadFileError::ReadFailed;
    const auto count = static_cast<std::size_t>(in.gcount());
    if (count > limit) return LoadFileError::TooLarge;
    read.resize(count);
    bytes = std::move(read);
    return LoadFileError::None;
}
