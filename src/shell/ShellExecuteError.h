// What ShellExecuteA's result means as a system error code. Platform-free so
// that the table is tested once, natively.
#pragma once

#include <cstdint>

// The Win32 error code for a ShellExecuteA result of 32 or less (0 and the
// SE_ERR_* values), for when the call left no last error; 0 for a value
// that has no such meaning.
constexpr uint32_t shellExecuteError(intptr_t result) {
    switch (result) {
    case 0:   // the system is out of memory or resources
    case 8:   // SE_ERR_OOM
        return 8;  // ERROR_NOT_ENOUGH_MEMORY
    case 2:   // SE_ERR_FNF (ERROR_FILE_NOT_FOUND)
    case 3:   // SE_ERR_PNF (ERROR_PATH_NOT_FOUND)
    case 5:   // SE_ERR_ACCESSDENIED (ERROR_ACCESS_DENIED)
    case 11:  // ERROR_BAD_FORMAT
        return static_cast<uint32_t>(result);
    case 26:  // SE_ERR_SHARE
        return 32;  // ERROR_SHARING_VIOLATION
    case 27:  // SE_ERR_ASSOCINCOMPLETE
    case 31:  // SE_ERR_NOASSOC
        return 1155;  // ERROR_NO_ASSOCIATION
    case 28:  // SE_ERR_DDETIMEOUT
    case 29:  // SE_ERR_DDEFAIL
    case 30:  // SE_ERR_DDEBUSY
        return 1156;  // ERROR_DDE_FAIL
    case 32:  // SE_ERR_DLLNOTFOUND
        return 1157;  // ERROR_DLL_NOT_FOUND
    default:
        return 0;
    }
}
