#include "tuning/LoadFileBytes.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The file's length where the stream can tell it, else 0.
std::size_t lengthOf(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    const long length = std::ftell(file);
    std::rewind(file);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

}  // namespace

// C stdio rather than a file stream: the streams would pull the locale
// machinery into the statically linked programs for this one read.
LoadFileError loadFileBytes(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return LoadFileError::CannotOpen;
    // The buffer starts at the file's length, so a large limit costs nothing
    // for a small file, and grows while the file goes on. One byte past the
    // limit tells a file of exactly `limit` bytes from a longer one.
    std::string read(std::min(limit, lengthOf(file.get())) + 1, '\0');
    std::size_t count = 0;
    for (;;) {
        count += std::fread(&read[count], 1, read.size() - count, file.get());
        if (count < read.size() || read.size() > limit) break;
        read.resize(std::min(limit + 1, 2 * read.size()));
    }
    if (std::ferror(file.get())) return LoadFileError::ReadFailed;
    if (count > limit) return LoadFileError::TooLarge;
    read.resize(count);
    bytes = std::move(read);
    return LoadFileError::None;
}
