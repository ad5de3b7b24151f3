// Replacing a file's contents so that a failure never destroys the old file:
// the bytes go to a temporary file in the target's folder, which replaces the
// target only after every byte was written and flushed.
#pragma once

#include <cstddef>
#include <string>

#include "base/FileSystem.h"

// Makes the file at `path` hold exactly `bytes`. On failure the old file stays
// byte for byte and no temporary file is left behind; the error is returned.
// Where no temporary file can be made in that folder, or the complete
// temporary file may not replace a target that may be written, the target is
// written directly (created or truncated, then written).
SystemError writeFileReplacing(const std::string& path, const void* bytes,
                               std::size_t count,
                               FileSystem& fileSystem = platformFileSystem());
