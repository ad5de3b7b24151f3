#include "mtsesp/MtsEspLibrary.h"

#include "base/FileSystem.h"

bool canServeAsMaster(const MtsEspFunctions& functions) {
    return functions.registerMaster && functions.deregisterMaster && functions.hasMaster &&
           (functions.setNoteTunings || functions.setNoteTuning);
}

MtsEspLibrary::MtsEspLibrary() : MtsEspLibrary(installedMtsEspLibraryPath()) {}

// The file is looked for first: a missing library is the common case, which
// the load's own error would not tell from a library whose imports are missing.
MtsEspLibrary::MtsEspLibrary(const std::string& absolutePath) : path_(absolutePath) {
    if (!pathExists(absolutePath)) {
        error_ = MtsEspLibraryError::NotInstalled;
        return;
    }
    const SystemLibrary& library = library_.emplace(AbsoluteLibraryPath{absolutePath});
    if (!library.loaded()) {
        error_ = MtsEspLibraryError::CannotLoad;
        systemError_ = static_cast<SystemError>(library.loadError());
        return;
    }
    MtsEspFunctions found;
    library.lookUp(found.registerMaster, "MTS_RegisterMaster");
    library.lookUp(found.deregisterMaster, "MTS_DeregisterMaster");
    library.lookUp(found.hasMaster, "MTS_HasMaster");
    library.lookUp(found.hasIpc, "MTS_HasIPC");
    library.lookUp(found.reinitialize, "MTS_Reinitialize");
    library.lookUp(found.versionNumber, "MTS_GetVersionNumber");
    library.lookUp(found.clientCount, "MTS_GetNumClients");
    library.lookUp(found.setNoteTunings, "MTS_SetNoteTunings");
    library.lookUp(found.setNoteTuning, "MTS_SetNoteTuning");
    library.lookUp(found.setScaleName, "MTS_SetScaleName");
    library.lookUp(found.setPeriodRatio, "MTS_SetPeriodRatio");
    library.lookUp(found.setMapSize, "MTS_SetMapSize");
    library.lookUp(found.setMapStartKey, "MTS_SetMapStartKey");
    library.lookUp(found.setRefKey, "MTS_SetRefKey");
    library.lookUp(found.filterNote, "MTS_FilterNote");
    library.lookUp(found.clearNoteFilter, "MTS_ClearNoteFilter");
    if (!canServeAsMaster(found)) {
        error_ = MtsEspLibraryError::NotMtsEsp;
        return;
    }
    functions_ = found;
}
