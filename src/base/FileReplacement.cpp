#include "base/FileReplacement.h"

namespace {

SystemError writeAndClose(FileSink& sink, const void* bytes, std::size_t count) {
    const SystemError writeError = sink.write(bytes, count);
    const SystemError closeError = sink.flushAndClose();
    return writeError != 0 ? writeError : closeError;
}

}  // namespace

SystemError writeFileReplacing(const std::string& path, const void* bytes,
                               std::size_t count, FileSystem& fileSystem) {
    if (SystemError error = fileSystem.checkReplaceable(path)) return error;

    SystemError error = 0;
    std::string tempPath;
    std::unique_ptr<FileSink> temp = fileSystem.createTempBeside(path, tempPath, error);
    if (!temp) {
        std::unique_ptr<FileSink> direct = fileSystem.createDirect(path, error);
        if (!direct) return error;
        return writeAndClose(*direct, bytes, count);
    }

    error = writeAndClose(*temp, bytes, count);
    temp.reset();
    if (error != 0) {
        fileSystem.remove(tempPath);
        return error;
    }
    error = fileSystem.replace(tempPath, path);
    if (error == 0) return 0;
    fileSystem.remove(tempPath);
    // The last resort, as saves were once made: the new content is known to
    // be complete (it was written and flushed), only its move was refused.
    if (!fileSystem.canWriteInPlace(path, error)) return error;
    std::unique_ptr<FileSink> direct = fileSystem.createDirect(path, error);
    if (!direct) return error;
    return writeAndClose(*direct, bytes, count);
}
