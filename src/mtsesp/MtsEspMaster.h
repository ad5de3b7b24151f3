// Velmarin as the MTS-ESP master of the session: registered while the object
// is started, publishing the keys' tuning, and deregistered when it stops,
// is destroyed or an exception unwinds past it.
#pragma once

#include <optional>

#include "mtsesp/MtsEspKeyTable.h"
#include "mtsesp/MtsEspLibrary.h"

enum class MtsEspStart {
    Registered,     // Velmarin is the master (it was already)
    NoLibrary,      // the functions cannot serve a master (canServeAsMaster): nothing done
    AnotherMaster,  // a master is registered already: nothing done
    // A master is registered, and the session is shared between processes:
    // another program's, or one left behind by a program that crashed while
    // registered. resetAndStart() takes its place, when the user says so.
    MasterMayHaveCrashed,
};

class MtsEspMaster {
public:
    // `functions` are copied; their library must stay loaded while the
    // master lives (an MtsEspLibrary declared before it).
    explicit MtsEspMaster(const MtsEspFunctions& functions);
    ~MtsEspMaster();
    MtsEspMaster(const MtsEspMaster&) = delete;
    MtsEspMaster& operator=(const MtsEspMaster&) = delete;

    // Registers unless a master is registered already. MasterMayHaveCrashed
    // only where the library can reset the session.
    MtsEspStart start();
    // Resets the session, forgetting the registered master, then registers.
    // A live master in another program is cut off with its clients too, so
    // only after MasterMayHaveCrashed and the user's word.
    MtsEspStart resetAndStart();
    // Deregisters; nothing when not registered.
    void stop();
    bool registered() const { return registered_; }

    // Sends what changed since the last publication, everything the first
    // time after registering; nothing when not registered. Unchanged data is
    // not sent again, as each call may wake every client: a publication
    // equal to the last costs the comparisons. The keys go in one call, or key
    // by key (the changed ones) where the library has only that call. The
    // filters, when the filtered keys change, are cleared and set again
    // (where the library cannot clear them, the keys no longer filtered are
    // released one by one). Calls the library lacks are skipped.
    void publish(const MtsEspKeyTable& table);

    // What the library reports; nothing where it lacks the call.
    std::optional<int> clientCount() const;
    std::optional<int> libraryVersion() const;

private:
    MtsEspStart registerIfFree();
    // Each sends what differs from `last` (all of it when null).
    void sendKeys(const MtsEspPublication& publication, const MtsEspPublication* last);
    void sendFilters(const MtsEspPublication& publication, const MtsEspPublication* last);
    void sendMap(const MtsEspPublication& publication, const MtsEspPublication* last);

    MtsEspFunctions functions_;
    bool registered_ = false;
    std::optional<MtsEspPublication> sent_;  // the last publication since registering
};
