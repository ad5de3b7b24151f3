#include "cli/MtsEspCommand.h"

#include "base/SystemErrorText.h"
#include "cli/CliArguments.h"
#include "mtsesp/MtsEspKeyTable.h"

namespace {

const char kProgram[] = "velmarin-cli: ";

// Why the library cannot serve, or "" when it can.
std::string libraryFault(const MtsEspLibrary& library) {
    switch (library.error()) {
    case MtsEspLibraryError::None: return "";
    case MtsEspLibraryError::NotInstalled:
        // Only Windows can fail to name the folder (its known Common Files).
        return library.path().empty() ? "MTS-ESP is not installed: the system names no Common Files folder for it"
                                      : "MTS-ESP is not installed: " + library.path() + " not found";
    case MtsEspLibraryError::CannotLoad:
        return "MTS-ESP: " + library.path() + " cannot be loaded: " + systemErrorText(library.systemError());
    case MtsEspLibraryError::NotMtsEsp:
        return "MTS-ESP: " + library.path() + " lacks the calls of a master; install MTS-ESP again";
    }
    return "";
}

std::string startFault(MtsEspStart start) {
    switch (start) {
    case MtsEspStart::Registered: return "";
    case MtsEspStart::NoLibrary: return "MTS-ESP: the library lacks the calls of a master";
    case MtsEspStart::AnotherMaster: return "another MTS-ESP master holds the session; close it first";
    case MtsEspStart::MasterMayHaveCrashed:
        return "an MTS-ESP master holds the session, perhaps one left behind by a program that crashed; close "
               "the other master, or give --reset to take its place";
    }
    return "";
}

}  // namespace

bool startMtsEspMaster(const MtsEspLibrary& library, MtsEspMaster& master, const Tuning& tuning, bool reset,
                       std::ostream& err) {
    std::string fault = libraryFault(library);
    if (fault.empty()) {
        MtsEspStart start = master.start();
        if (start == MtsEspStart::MasterMayHaveCrashed && reset) start = master.resetAndStart();
        fault = startFault(start);
    }
    if (!fault.empty()) {
        err << kProgram << fault << '\n';
        return false;
    }
    master.publish(mtsEspKeyTable(tuning));
    return true;
}

std::string mtsEspMasterText(const std::string& name, std::optional<int> clients) {
    std::string text = "MTS-ESP master: " + name;
    if (clients) text += ", " + std::to_string(*clients) + (*clients == 1 ? " client" : " clients") + " connected";
    return text;
}

int holdMtsEspMaster(const MtsEspLibrary& library, const Tuning& tuning, bool reset,
                     const InterruptCheck& interrupted, std::ostream& out, std::ostream& err) {
    MtsEspMaster master(library.functions());
    if (!startMtsEspMaster(library, master, tuning, reset, err)) return kExitBadInput;
    const std::string name = englishTuningName(tuning);
    std::optional<int> clients = master.clientCount();
    out << mtsEspMasterText(name, clients) << "; Ctrl+C ends" << std::endl;
    while (!interrupted(std::chrono::seconds(1))) {
        const std::optional<int> now = master.clientCount();
        if (now == clients) continue;
        clients = now;
        out << mtsEspMasterText(name, clients) << std::endl;
    }
    return kExitSuccess;  // the master deregisters as it goes
}
