// The master against the project's stand-in for the MTS-ESP library, loaded
// by path as the real one would be: natively through dlopen, under Wine
// through the Windows loader. Each test copies the stand-in into a folder of
// its own, where it keeps its log and its session (tests/mtsesp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestBytes.h"
#include "WholeFiles.h"
#include "base/FileSystem.h"
#include "mtsesp/MtsEspMaster.h"

#ifdef _WIN32
#include <windows.h>

#include "WinePaths.h"
#endif

namespace {

#ifdef _WIN32
const char kLibraryName[] = "LIBMTS.dll";
std::string builtPath(const char* path) { return windowsPath(path); }
#else
const char kLibraryName[] = "libMTS.so";
std::string builtPath(const char* path) { return path; }
#endif

class StandIn {
public:
    explicit StandIn(const char* built = VELMARIN_MTSESP_STANDIN, const std::string& session = "")
        : path_(folder_.path(kLibraryName)) {
        writeFile(path_, readFile(builtPath(built)));
        if (!session.empty()) writeFile(path_ + ".state", session);
    }
    const std::string& path() const { return path_; }
    std::string session() const { return readFile(path_ + ".state"); }
    std::vector<std::string> calls() const {
        std::vector<std::string> lines;
        const std::string log = readFile(path_ + ".log");
        for (std::size_t start = 0; start < log.size();) {
            const std::size_t end = log.find('\n', start);
            lines.push_back(log.substr(start, end - start));
            start = end == std::string::npos ? log.size() : end + 1;
        }
        return lines;
    }

private:
    ScratchFolder folder_;
    std::string path_;
};

::testing::AssertionResult callsAre(const std::vector<std::string>& expected, const StandIn& standIn) {
    const std::vector<std::string> actual = standIn.calls();
    for (std::size_t line = 0; line < expected.size() || line < actual.size(); ++line) {
        const std::string want = line < expected.size() ? expected[line] : "(no call)";
        const std::string got = line < actual.size() ? actual[line] : "(no call)";
        if (want != got)
            return ::testing::AssertionFailure() << "call " << line + 1 << ": expected\n  " << want.substr(0, 120)
                                                 << "\nbut the library got\n  " << got.substr(0, 120);
    }
    return ::testing::AssertionSuccess();
}

// Key k at 100 + k Hz, but `silentKey` unmapped, a 12-key map from C4 with
// A4 its reference.
MtsEspKeyTable testTable(int silentKey, const std::string& name = "Test") {
    MtsEspKeyTable table;
    for (int key = 0; key < kMtsEspKeyCount; ++key) table.hz[key] = 100.0 + key;
    table.mapped.set();
    table.mapped.reset(silentKey);
    table.scaleName = name;
    table.mapSize = 12;
    table.mapStartKey = 60;
    table.referenceKey = 69;
    return table;
}

// The stand-in's line for that table: the silent key at its neighbour's 100 + k - 1.
std::string tuningsLine(int silentKey) {
    std::string line = "MTS_SetNoteTunings";
    for (int key = 0; key < kMtsEspKeyCount; ++key) line += " " + std::to_string(100 + key - (key == silentKey));
    return line;
}

TEST(MtsEspMaster, registersPublishesWhatChangedAndLeaves) {
    const StandIn standIn;
    const MtsEspLibrary library(standIn.path());
    ASSERT_EQ(MtsEspLibraryError::None, library.error());
    {
        MtsEspMaster master(library.functions());
        EXPECT_EQ(MtsEspStart::Registered, master.start());
        EXPECT_EQ(MtsEspStart::Registered, master.start());  // no second registration
        EXPECT_NE(std::string::npos, standIn.session().find("master=1"));
        MtsEspKeyTable table = testTable(5);
        master.publish(table);
        master.publish(table);
        table.scaleName = "Renamed";
        master.publish(table);
        table = testTable(7, "Renamed");
        master.publish(table);
    }
    EXPECT_TRUE(callsAre({"MTS_HasMaster", "MTS_RegisterMaster null",
                          tuningsLine(5), "MTS_ClearNoteFilter", "MTS_FilterNote 1 5 -1", "MTS_SetScaleName Test",
                          "MTS_SetPeriodRatio 2", "MTS_SetMapSize 12", "MTS_SetMapStartKey 60", "MTS_SetRefKey 69",
                          // the same table again: nothing; a new name: the name alone
                          "MTS_SetScaleName Renamed",
                          // another key silent: the keys, the filters cleared and set again
                          tuningsLine(7), "MTS_ClearNoteFilter", "MTS_FilterNote 1 7 -1",
                          "MTS_DeregisterMaster"},
                         standIn));
    EXPECT_NE(std::string::npos, standIn.session().find("master=0"));
}

TEST(MtsEspMaster, registeringAgainSendsEverythingAgain) {
    const StandIn standIn;
    const MtsEspLibrary library(standIn.path());
    MtsEspMaster master(library.functions());
    ASSERT_EQ(MtsEspStart::Registered, master.start());
    const MtsEspKeyTable table = testTable(5);
    master.publish(table);
    master.stop();
    master.publish(table);  // not registered: nothing
    ASSERT_EQ(MtsEspStart::Registered, master.start());
    master.publish(table);
    const std::vector<std::string> calls = standIn.calls();
    ASSERT_EQ(2u * 10u + 1u, calls.size());
    EXPECT_EQ("MTS_DeregisterMaster", calls[10]);
    EXPECT_EQ(tuningsLine(5), calls[13]);
    EXPECT_EQ("MTS_SetRefKey 69", calls.back());
}

TEST(MtsEspMaster, deregistersOnEveryWayOut) {
    const struct {
        const char* way;
        void (*run)(const MtsEspFunctions& functions);
    } rows[] = {
        {"destruction", [](const MtsEspFunctions& functions) { MtsEspMaster(functions).start(); }},
        {"stop, then destruction",
         [](const MtsEspFunctions& functions) {
             MtsEspMaster master(functions);
             master.start();
             master.stop();
         }},
        {"an exception unwinding",
         [](const MtsEspFunctions& functions) {
             try {
                 MtsEspMaster master(functions);
                 master.start();
                 master.publish(testTable(5));
                 throw std::runtime_error("a fault after registering");
             } catch (const std::runtime_error&) {
             }
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.way);
        const StandIn standIn;
        const MtsEspLibrary library(standIn.path());
        row.run(library.functions());
        const std::vector<std::string> calls = standIn.calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ("MTS_DeregisterMaster", calls.back());
        EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "MTS_DeregisterMaster"));
        EXPECT_NE(std::string::npos, standIn.session().find("master=0"));
    }
}

TEST(MtsEspMaster, anotherMasterKeepsTheSession) {
    const struct {
        const char* session;
        bool canReset;
        MtsEspStart start;
        std::vector<std::string> calls;
    } rows[] = {
        {"master=1\n", true, MtsEspStart::AnotherMaster, {"MTS_HasMaster", "MTS_HasIPC"}},
        {"master=1\nipc=1\n", true, MtsEspStart::MasterMayHaveCrashed, {"MTS_HasMaster", "MTS_HasIPC"}},
        // A library that cannot reset the session offers no reset.
        {"master=1\nipc=1\n", false, MtsEspStart::AnotherMaster, {"MTS_HasMaster", "MTS_HasIPC"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.session) + (row.canReset ? "" : " without MTS_Reinitialize"));
        const StandIn standIn(VELMARIN_MTSESP_STANDIN, row.session);
        const MtsEspLibrary library(standIn.path());
        MtsEspFunctions functions = library.functions();
        if (!row.canReset) functions.reinitialize = nullptr;
        {
            MtsEspMaster master(functions);
            EXPECT_EQ(row.start, master.start());
            EXPECT_FALSE(master.registered());
            master.publish(testTable(5));
        }
        EXPECT_TRUE(callsAre(row.calls, standIn));  // nothing published, nothing deregistered
        EXPECT_NE(std::string::npos, standIn.session().find("master=1"));
    }
}

TEST(MtsEspMaster, aMasterLeftBehindIsResetOnRequest) {
    const StandIn standIn(VELMARIN_MTSESP_STANDIN, "master=1\nipc=1\n");
    const MtsEspLibrary library(standIn.path());
    {
        MtsEspMaster master(library.functions());
        ASSERT_EQ(MtsEspStart::MasterMayHaveCrashed, master.start());
        EXPECT_EQ(MtsEspStart::Registered, master.resetAndStart());
        EXPECT_TRUE(master.registered());
    }
    EXPECT_TRUE(callsAre({"MTS_HasMaster", "MTS_HasIPC", "MTS_Reinitialize", "MTS_HasMaster",
                          "MTS_RegisterMaster null", "MTS_DeregisterMaster"},
                         standIn));
}

// Two masters on one library, as two programs share the session: the second
// is refused until the first leaves.
TEST(MtsEspMaster, aSecondMasterWaitsForTheFirstToLeave) {
    const StandIn standIn;
    const MtsEspLibrary first(standIn.path());
    const MtsEspLibrary second(standIn.path());
    MtsEspMaster one(first.functions());
    MtsEspMaster two(second.functions());
    ASSERT_EQ(MtsEspStart::Registered, one.start());
    EXPECT_EQ(MtsEspStart::AnotherMaster, two.start());
    one.stop();
    EXPECT_EQ(MtsEspStart::Registered, two.start());
}

TEST(MtsEspMaster, aLibraryTooOldForACallSkipsIt) {
    const StandIn standIn(VELMARIN_MTSESP_STANDIN_OLD);
    const MtsEspLibrary library(standIn.path());
    ASSERT_EQ(MtsEspLibraryError::None, library.error());
    EXPECT_FALSE(library.functions().filterNote);
    {
        MtsEspMaster master(library.functions());
        ASSERT_EQ(MtsEspStart::Registered, master.start());
        master.publish(testTable(5));
        master.publish(testTable(7));
    }
    EXPECT_TRUE(callsAre({"MTS_HasMaster", "MTS_RegisterMaster null", tuningsLine(5), "MTS_SetScaleName Test",
                          tuningsLine(7), "MTS_DeregisterMaster"},
                         standIn));
}

// Where a library has only the single-key call, the changed keys go one by
// one; where it cannot clear the filters, the keys no longer filtered are
// released one by one.
TEST(MtsEspMaster, withoutTheWholeCallsTheKeysAndFiltersGoOneByOne) {
    const StandIn standIn;
    const MtsEspLibrary library(standIn.path());
    MtsEspFunctions functions = library.functions();
    functions.setNoteTunings = nullptr;
    functions.clearNoteFilter = nullptr;
    MtsEspMaster master(functions);
    ASSERT_EQ(MtsEspStart::Registered, master.start());
    master.publish(testTable(5));
    std::vector<std::string> calls = standIn.calls();
    ASSERT_EQ(2u + 128u + 1u + 5u, calls.size());
    EXPECT_EQ("MTS_SetNoteTuning 100 0", calls[2]);
    EXPECT_EQ("MTS_SetNoteTuning 104 5", calls[7]);
    EXPECT_EQ("MTS_SetNoteTuning 227 127", calls[129]);
    EXPECT_EQ("MTS_FilterNote 1 5 -1", calls[130]);

    master.publish(testTable(7));
    calls = standIn.calls();
    ASSERT_EQ(136u + 4u, calls.size());
    EXPECT_EQ((std::vector<std::string>{"MTS_SetNoteTuning 105 5", "MTS_SetNoteTuning 106 7", "MTS_FilterNote 0 5 -1",
                                        "MTS_FilterNote 1 7 -1"}),
              std::vector<std::string>(calls.begin() + 136, calls.end()));
}

TEST(MtsEspMaster, reportsTheClientsAndTheVersion) {
    const StandIn standIn(VELMARIN_MTSESP_STANDIN, "clients=3\nversion=17\n");
    const MtsEspLibrary library(standIn.path());
    const MtsEspMaster master(library.functions());
    EXPECT_EQ(3, master.clientCount());
    EXPECT_EQ(17, master.libraryVersion());
    MtsEspFunctions older = library.functions();
    older.clientCount = nullptr;
    older.versionNumber = nullptr;
    const MtsEspMaster withoutThem(older);
    EXPECT_EQ(std::nullopt, withoutThem.clientCount());
    EXPECT_EQ(std::nullopt, withoutThem.libraryVersion());
}

TEST(MtsEspLibrary, aLibraryThatCannotServeIsNamedAndNothingRegisters) {
    ScratchFolder folder;
    const std::string missing = folder.path(kLibraryName);
    const std::string notALibrary = folder.path("not-a-library");
    writeFile(notALibrary, "MTS-ESP\n");
    const StandIn noMaster(VELMARIN_MTSESP_STANDIN_NO_MASTER);
    const struct {
        const char* name;
        std::string path;
        MtsEspLibraryError error;
        bool systemError;
    } rows[] = {
        {"nothing there", missing, MtsEspLibraryError::NotInstalled, false},
        {"no path", "", MtsEspLibraryError::NotInstalled, false},
        {"not a library", notALibrary, MtsEspLibraryError::CannotLoad, true},
        {"no master's calls", noMaster.path(), MtsEspLibraryError::NotMtsEsp, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const MtsEspLibrary library(row.path);
        EXPECT_EQ(row.error, library.error());
        EXPECT_EQ(row.systemError, library.systemError() != 0);
        EXPECT_FALSE(canServeAsMaster(library.functions()));
        EXPECT_FALSE(library.functions().hasMaster);
        MtsEspMaster master(library.functions());
        EXPECT_EQ(MtsEspStart::NoLibrary, master.start());
        EXPECT_EQ(MtsEspStart::NoLibrary, master.resetAndStart());
        master.publish(testTable(5));
    }
    EXPECT_TRUE(noMaster.calls().empty());
}

TEST(MtsEspLibrary, aMasterNeedsToRegisterLeaveSeeAnotherAndPublish) {
    void (*registering)(void*) = [](void*) {};
    void (*leaving)() = [] {};
    bool (*asking)() = [] { return false; };
    void (*allKeys)(const double*) = [](const double*) {};
    void (*oneKey)(double, char) = [](double, char) {};
    const struct {
        const char* missing;
        MtsEspFunctions functions;
        bool canServe;
    } rows[] = {
        {"nothing", {registering, leaving, asking, nullptr, nullptr, nullptr, nullptr, allKeys, oneKey}, true},
        {"the whole keys", {registering, leaving, asking, nullptr, nullptr, nullptr, nullptr, nullptr, oneKey}, true},
        {"the single key", {registering, leaving, asking, nullptr, nullptr, nullptr, nullptr, allKeys, nullptr}, true},
        {"both key calls", {registering, leaving, asking, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}, false},
        {"registering", {nullptr, leaving, asking, nullptr, nullptr, nullptr, nullptr, allKeys, oneKey}, false},
        {"leaving", {registering, nullptr, asking, nullptr, nullptr, nullptr, nullptr, allKeys, oneKey}, false},
        {"asking for a master", {registering, leaving, nullptr, nullptr, nullptr, nullptr, nullptr, allKeys, oneKey},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("missing ") + row.missing);
        EXPECT_EQ(row.canServe, canServeAsMaster(row.functions));
    }
}

// A relative path is never searched for, even for a library the search
// would find.
TEST(SystemLibrary, loadsAnAbsolutePathOnly) {
#ifdef _WIN32
    const SystemLibrary searchable(AbsoluteLibraryPath{"kernel32.dll"});
    const SystemLibrary relative(AbsoluteLibraryPath{builtPath(VELMARIN_MTSESP_STANDIN).substr(2)});
    EXPECT_EQ(static_cast<unsigned long>(ERROR_BAD_PATHNAME), searchable.loadError());
#else
    const SystemLibrary searchable(AbsoluteLibraryPath{"libc.so.6"});
    const SystemLibrary relative(AbsoluteLibraryPath{"./" + std::string(kLibraryName)});
    EXPECT_EQ(static_cast<unsigned long>(EINVAL), searchable.loadError());
#endif
    EXPECT_FALSE(searchable.loaded());
    EXPECT_FALSE(relative.loaded());
    const SystemLibrary absolute(AbsoluteLibraryPath{builtPath(VELMARIN_MTSESP_STANDIN)});
    EXPECT_TRUE(absolute.loaded());
    EXPECT_NE(nullptr, absolute.symbol("MTS_HasMaster"));
}

#ifdef _WIN32
// The known folder, as Wine's prefix names it: the 64-bit program's Common
// Files, the 32-bit program's x86 one.
TEST(MtsEspLibrary, theInstalledLibraryLiesInCommonFiles) {
    const std::string path = installedMtsEspLibraryPath();
    if (!runningOnWine()) {
        EXPECT_NE(std::string::npos, path.find("\\Common Files\\MTS-ESP\\LIBMTS.dll")) << path;
        return;
    }
    EXPECT_EQ(sizeof(void*) == 8 ? "C:\\Program Files\\Common Files\\MTS-ESP\\LIBMTS.dll"
                                 : "C:\\Program Files (x86)\\Common Files\\MTS-ESP\\LIBMTS.dll",
              path);
}

// The stand-in put where the real library is installed, in Wine's prefix
// only: on Windows that place may hold the user's own.
TEST(MtsEspLibrary, theInstalledLibraryIsLoadedFromItsPlace) {
    if (!runningOnWine()) GTEST_SKIP() << "Windows: the installed library is the user's";
    const std::string path = installedMtsEspLibraryPath();
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    if (pathExists(path)) GTEST_SKIP() << path << " is there already";
    CreateDirectoryW(widen(folder).c_str(), nullptr);
    struct Cleanup {
        std::string path, folder;
        ~Cleanup() {
            for (const char* extension : {"", ".log", ".state"}) DeleteFileW(widen(path + extension).c_str());
            RemoveDirectoryW(widen(folder).c_str());
        }
    } cleanup{path, folder};
    ASSERT_TRUE(writeWholeFile(path, readFile(builtPath(VELMARIN_MTSESP_STANDIN))));
    {
        const MtsEspLibrary library;
        ASSERT_EQ(MtsEspLibraryError::None, library.error());
        EXPECT_EQ(path, library.path());
        MtsEspMaster master(library.functions());
        EXPECT_EQ(MtsEspStart::Registered, master.start());
    }
    EXPECT_EQ("MTS_HasMaster\nMTS_RegisterMaster null\nMTS_DeregisterMaster\n", readFile(path + ".log"));
}
#endif

}  // namespace
