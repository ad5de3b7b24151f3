#include "shell/Resources.h"

#include <vector>

#include "shell/AppState.h"
#include "base/PathText.h"

namespace {

std::string fileBesideExecutable(const char* fileName) {
    char modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameA(appInstance, modulePath, MAX_PATH);
    // A full buffer means the path was cut; so does a zero result.
    const bool truncated = length == 0 || length >= MAX_PATH;
    return fileBesideModule(std::string_view(modulePath, truncated ? 0 : length), truncated,
                            fileName, isSystemLeadByte);
}

}  // namespace

bool loadResourceString(std::string& text, UINT id, HINSTANCE instance) {
    // LoadStringA counts bytes of the ANSI code page; a result near the
    // buffer's end may have been cut, so try again with a larger buffer.
    for (int size = 256;; size += 256) {
        std::vector<char> buffer(size, '\0');
        const int loaded = LoadStringA(instance, id, buffer.data(), size);
        if (loaded < size - 2) {
            text.assign(buffer.data(), loaded > 0 ? loaded : 0);
            return loaded > 0;
        }
    }
}

std::string loadResourceString(UINT id) {
    std::string text;
    loadResourceString(text, id, appInstance);
    return text;
}

std::string settingsFilePath() { return fileBesideExecutable("Velmarin.ini"); }
std::string presetFilePath() { return fileBesideExecutable("Preset.ini"); }
std::string helpFilePath() { return fileBesideExecutable("Velmarin.html"); }
