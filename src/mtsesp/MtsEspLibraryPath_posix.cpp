#include "mtsesp/MtsEspLibrary.h"

std::string installedMtsEspLibraryPath() {
#ifdef __APPLE__
    return "/Library/Application Support/MTS-ESP/libMTS.dylib";
#else
    return "/usr/local/lib/libMTS.so";
#endif
}
