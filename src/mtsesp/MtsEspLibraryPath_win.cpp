#include <windows.h>

#include "base/SystemLibrary.h"
#include "base/WideText.h"
#include "mtsesp/MtsEspLibrary.h"

namespace {

// Written out rather than linked from libuuid: FOLDERID_ProgramFilesCommon and
// FOLDERID_ProgramFilesCommonX86.
constexpr GUID kProgramFilesCommon = {0xf7f1ed05, 0x9f6d, 0x47a2, {0xaa, 0xae, 0x29, 0xd3, 0x17, 0xc6, 0xf0, 0x66}};
constexpr GUID kProgramFilesCommonX86 = {0xde974d24, 0xd9c6, 0x4d3e, {0xbf, 0x91, 0xf4, 0x45, 0x51, 0x20, 0xb9, 0x17}};

// shell32 and ole32 are loaded for the one question, not imported: shell32
// would slow every start, and ole32 is no import a shipped program may have.
class KnownFolders {
public:
    KnownFolders() {
        shell32_.lookUp(knownFolderPath_, "SHGetKnownFolderPath");
        ole32_.lookUp(freeTaskMemory_, "CoTaskMemFree");
    }

    // The folder's path, or "" when the system cannot name it.
    std::wstring path(const GUID& folder) const {
        if (!knownFolderPath_ || !freeTaskMemory_) return {};
        PWSTR path = nullptr;
        const HRESULT result = knownFolderPath_(folder, 0, nullptr, &path);
        std::wstring copy = SUCCEEDED(result) && path ? std::wstring(path) : std::wstring();
        freeTaskMemory_(path);  // the call allocates even when it fails
        return copy;
    }

private:
    SystemLibrary shell32_{"shell32.dll"};
    SystemLibrary ole32_{"ole32.dll"};
    HRESULT(WINAPI* knownFolderPath_)(const GUID&, DWORD, HANDLE, PWSTR*) = nullptr;
    void(WINAPI* freeTaskMemory_)(void*) = nullptr;
};

}  // namespace

// The known folder, not %CommonProgramFiles%: the environment is anyone's to
// set for the process, and would send it to load a library from anywhere.
// A 32-bit program takes the 32-bit library from the x86 Common Files; on a
// 32-bit Windows that folder may not be known, and Common Files is the one.
std::string installedMtsEspLibraryPath() {
    const KnownFolders folders;
    std::wstring folder;
    if (sizeof(void*) == 4) folder = folders.path(kProgramFilesCommonX86);
    if (folder.empty()) folder = folders.path(kProgramFilesCommon);
    if (folder.empty()) return {};
    if (folder.back() != L'\\') folder += L'\\';
    return utf8FromWide(folder + L"MTS-ESP\\LIBMTS.dll");
}
