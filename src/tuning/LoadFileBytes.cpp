#include "tuning/LoadFileBytes.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

// C stdio rather than a file stream: the streams would pull the locale
// machinery into the statically linked programs for this one read.
LoadFileError loadFileBytes(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return LoadFileError::CannotOpen;
    // One byte past the limit tells a file of exactly `limit` bytes from a longer one.
    std::string read(limit + 1, '\0');
    const std::size_t count = std::fread(&read[0], 1, read.size(), file.get());
    if (std::ferror(file.get())) return LoadFileError::ReadFailed;
    if (count > limit) return LoadFileError::TooLarge;
    read.resize(count);
    bytes = std::move(read);
    return LoadFileError::None;
}
