#include "ui/MtsEspMasterCommand.h"

#include <memory>
#include <optional>
#include <string>

#include "mtsesp/MtsEspKeyTable.h"
#include "mtsesp/MtsEspLibrary.h"
#include "mtsesp/MtsEspMaster.h"
#include "resource.h"
#include "shell/AppState.h"
#include "shell/MainTitle.h"
#include "shell/MessageBoxes.h"
#include "shell/Resources.h"
#include "ui/TuningReports.h"

namespace {

constexpr UINT kClientCountMs = 1000;

// The installed library and Velmarin registered through it; destroying it
// deregisters before the library goes.
struct MtsEspSession {
    MtsEspLibrary library;
    MtsEspMaster master{library.functions()};
};

std::unique_ptr<MtsEspSession> session;  // while the item is checked

void tell(HWND owner, const std::string& text, UINT icon) {
    const std::string caption = loadResourceString(IDS_MTSESP_CAPTION);
    centeredMessageBox(owner, text.c_str(), caption.c_str(), MB_OK | icon);
}

// Why the library cannot serve, or "" when it can.
std::string libraryFault(const MtsEspLibrary& library) {
    switch (library.error()) {
    case MtsEspLibraryError::None: return "";
    case MtsEspLibraryError::NotInstalled:
        return library.path().empty() ? loadResourceString(IDS_MTSESP_NO_FOLDER)
                                      : fillIn(loadResourceString(IDS_MTSESP_NOT_INSTALLED), {library.path()});
    case MtsEspLibraryError::CannotLoad: {
        std::string reason;
        getSystemErrorText(library.systemError(), reason);
        return fillIn(loadResourceString(IDS_MTSESP_CANNOT_LOAD), {library.path()}) + "\n\n" + reason;
    }
    case MtsEspLibraryError::NotMtsEsp: break;
    }
    return fillIn(loadResourceString(IDS_MTSESP_NOT_A_MASTER), {library.path()});
}

bool askToReset(HWND owner) {
    const std::string text = loadResourceString(IDS_MTSESP_OFFER_RESET);
    const std::string caption = loadResourceString(IDS_MTSESP_CAPTION);
    return centeredMessageBox(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING) == IDYES;
}

// Registers through `candidate`, asking `owner` before a reset and telling
// it why not; with no owner, quietly. True once registered.
bool registerMaster(MtsEspSession& candidate, HWND owner) {
    const std::string fault = libraryFault(candidate.library);
    if (!fault.empty()) {
        if (owner) tell(owner, fault, candidate.library.error() == MtsEspLibraryError::NotInstalled
                                          ? MB_ICONWARNING
                                          : MB_ICONERROR);
        return false;
    }
    MtsEspStart start = candidate.master.start();
    if (start == MtsEspStart::MasterMayHaveCrashed) {
        if (!owner || !askToReset(owner)) return false;
        start = candidate.master.resetAndStart();
    }
    if (start == MtsEspStart::Registered) return true;
    if (owner)
        tell(owner,
             start == MtsEspStart::NoLibrary
                 ? fillIn(loadResourceString(IDS_MTSESP_NOT_A_MASTER), {candidate.library.path()})
                 : loadResourceString(IDS_MTSESP_ANOTHER_MASTER),
             MB_ICONWARNING);
    return false;
}

std::string clientsText(std::optional<int> clients) {
    if (!clients) return loadResourceString(IDS_MTSESP_TITLE);
    if (*clients == 1) return loadResourceString(IDS_MTSESP_TITLE_ONE_CLIENT);
    return fillIn(loadResourceString(IDS_MTSESP_TITLE_CLIENTS), {std::to_string(*clients)});
}

bool turnOn(HWND owner) {
    auto candidate = std::make_unique<MtsEspSession>();
    if (!registerMaster(*candidate, owner)) return false;
    session = std::move(candidate);
    CheckMenuItem(mainMenu, IDM_MTSESP_MASTER, MF_BYCOMMAND | MF_CHECKED);
    publishMtsEspTuning();
    setTitleState(clientsText(session->master.clientCount()));
    SetTimer(mainWindow, kMtsEspClientTimer, kClientCountMs, nullptr);
    return true;
}

void turnOff() {
    if (!session) return;
    KillTimer(mainWindow, kMtsEspClientTimer);
    session.reset();
    CheckMenuItem(mainMenu, IDM_MTSESP_MASTER, MF_BYCOMMAND | MF_UNCHECKED);
    setTitleState("");
}

}  // namespace

void toggleMtsEspMaster(HWND owner) {
    if (session)
        turnOff();
    else
        turnOn(owner);
    mtsEspMasterChosen = session != nullptr;
}

void resumeMtsEspMaster() {
    if (mtsEspMasterChosen) mtsEspMasterChosen = turnOn(nullptr);
}

void publishMtsEspTuning() {
    if (session) session->master.publish(mtsEspKeyTable(currentTuning));
}

void countMtsEspClients() {
    if (session) setTitleState(clientsText(session->master.clientCount()));
}

void endMtsEspMaster() { turnOff(); }
