// velmarin-cli as the MTS-ESP master of the session: `mts-esp` publishes a
// tuning to every MTS-ESP client (software instruments in a DAW) until the
// user stops it. The start and its outcome's words are one function, for
// any command that publishes while it runs.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/InterruptWait.h"
#include "mtsesp/MtsEspLibrary.h"
#include "mtsesp/MtsEspMaster.h"
#include "tuning/Tuning.h"

// Registers `master` and publishes `tuning` (mtsEspKeyTable). Where a master
// is registered that may have crashed, `reset` takes its place
// (resetAndStart). False, after one line on `err` saying why, when the
// library is missing or unusable at its path or another master holds the
// session; nothing is then registered. `master` must be made from
// `library`'s functions.
bool startMtsEspMaster(const MtsEspLibrary& library, MtsEspMaster& master, const Tuning& tuning, bool reset,
                       std::ostream& err);

// "MTS-ESP master: NAME, 2 clients connected", or without the count where
// the library cannot tell it.
std::string mtsEspMasterText(const std::string& name, std::optional<int> clients);

// mts-esp with its tuning resolved: starts the master through `library`,
// says so in one line on `out` (mtsEspMasterText, then "; Ctrl+C ends"),
// and holds the session until `interrupted`, asking for the client count
// every second and saying it again, a line each, when it changes; then
// deregisters. kExitSuccess, or kExitBadInput when the master could not start.
int holdMtsEspMaster(const MtsEspLibrary& library, const Tuning& tuning, bool reset,
                     const InterruptCheck& interrupted, std::ostream& out, std::ostream& err);
