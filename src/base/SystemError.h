// The platform's error code: GetLastError() on Windows, errno elsewhere.
#pragma once

#include <cstdint>

// 0 means success.
using SystemError = uint32_t;
