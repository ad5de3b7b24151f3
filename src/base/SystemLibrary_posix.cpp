#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>

#include "base/SystemLibrary.h"

SystemLibrary::SystemLibrary(const AbsoluteLibraryPath& path) {
    // dlopen searches only for a name without a slash; this one starts with one.
    if (path.utf8.empty() || path.utf8[0] != '/') {
        loadError_ = EINVAL;
        return;
    }
    module_ = dlopen(path.utf8.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_) return;
    struct stat status;
    loadError_ = stat(path.utf8.c_str(), &status) != 0 ? static_cast<unsigned long>(errno) : ENOEXEC;
}

SystemLibrary::~SystemLibrary() {
    if (module_) dlclose(module_);
}

void* SystemLibrary::symbol(const char* name) const {
    if (!module_) return nullptr;
    return dlsym(module_, name);
}
