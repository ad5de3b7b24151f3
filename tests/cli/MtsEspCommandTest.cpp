// mts-esp wired to the core's master, against the stand-in library loaded by
// path (StandInLibrary.h); the program itself loads only the installed one.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sstream>

#include "FakeMidiOut.h"
#include "StandInLibrary.h"
#include "base/FileSystem.h"
#include "cli/CliCommands.h"
#include "cli/InterruptWait.h"
#include "cli/MtsEspCommand.h"
#include "tuning/ResolveTuning.h"

namespace {

// Werckmeister III on D at A4 = 415 Hz: key 0 at 7.6938686039 Hz
// (MtsEspKeyTableTest has the calculation).
Tuning werckmeisterOnD() {
    TuningSource source;
    source.temperamentId = "werckmeister3";
    source.fit = {2, ZeroNote::Tonic, 415.0, TuningFormat::GS, MtsForm::ScaleOctave1Byte};
    return resolveTuning(source).tuning;
}

std::vector<std::string> withoutClientCounts(std::vector<std::string> calls) {
    calls.erase(std::remove(calls.begin(), calls.end(), "MTS_GetNumClients"), calls.end());
    return calls;
}

TEST(CliMtsEsp, theMasterHoldsUntilInterruptedAndSaysEachNewClientCount) {
    const StandIn standIn(VELMARIN_MTSESP_STANDIN, "clients=1\n");
    const MtsEspLibrary library(standIn.path());
    int waits = 0;
    const InterruptCheck interrupted = [&](std::chrono::milliseconds) {
        if (++waits == 1) standIn.setSession("master=1\nclients=3\n");
        return waits == 3;  // the second wait finds the count unchanged
    };
    std::ostringstream out, err;
    EXPECT_EQ(kExitSuccess, holdMtsEspMaster(library, werckmeisterOnD(), false, interrupted, out, err));
    EXPECT_EQ("MTS-ESP master: Werckmeister III, 1 client connected; Ctrl+C ends\n"
              "MTS-ESP master: Werckmeister III, 3 clients connected\n",
              out.str());
    EXPECT_EQ("", err.str());
    std::vector<std::string> calls = withoutClientCounts(standIn.calls());
    ASSERT_EQ(10u, calls.size());
    EXPECT_EQ(0u, calls[2].find("MTS_SetNoteTunings 7.693868603")) << calls[2].substr(0, 60);
    calls[2] = "MTS_SetNoteTunings";
    EXPECT_EQ((std::vector<std::string>{"MTS_HasMaster", "MTS_RegisterMaster null", "MTS_SetNoteTunings",
                                        "MTS_ClearNoteFilter", "MTS_SetScaleName Werckmeister III",
                                        "MTS_SetPeriodRatio 2", "MTS_SetMapSize 12", "MTS_SetMapStartKey 60",
                                        "MTS_SetRefKey -1", "MTS_DeregisterMaster"}),
              calls);
}

TEST(CliMtsEsp, aMasterThatCannotStartSaysWhyInOneLine) {
    ScratchFolder folder;
    const std::string missing = folder.path(kLibraryName);
    const std::string notALibrary = folder.path("not-a-library");
    writeFile(notALibrary, "MTS-ESP\n");
    const StandIn noMaster(VELMARIN_MTSESP_STANDIN_NO_MASTER);
    const std::string crashed = "master=1\nipc=1\n";
    const struct {
        const char* name;
        std::string path;  // empty: the stand-in with `session`
        std::string session;
        bool reset;
        int exitCode;
        std::string err;  // its start, up to the system's reason where one follows
        std::vector<std::string> calls;
    } rows[] = {
        {"not installed", missing, "", false, kExitBadInput,
         "velmarin-cli: MTS-ESP is not installed: " + missing + " not found\n", {}},
        {"not a library", notALibrary, "", false, kExitBadInput,
         "velmarin-cli: MTS-ESP: " + notALibrary + " cannot be loaded: ", {}},
        {"no master's calls", noMaster.path(), "", false, kExitBadInput,
         "velmarin-cli: MTS-ESP: " + noMaster.path() + " lacks the calls of a master; install MTS-ESP again\n", {}},
        {"another master", "", "master=1\n", true, kExitBadInput,
         "velmarin-cli: another MTS-ESP master holds the session; close it first\n", {"MTS_HasMaster", "MTS_HasIPC"}},
        {"a master that may have crashed", "", crashed, false, kExitBadInput,
         "velmarin-cli: an MTS-ESP master holds the session, perhaps one left behind by a program that crashed; "
         "close the other master, or give --reset to take its place\n",
         {"MTS_HasMaster", "MTS_HasIPC"}},
        {"--reset", "", crashed, true, kExitSuccess, "",
         {"MTS_HasMaster", "MTS_HasIPC", "MTS_Reinitialize", "MTS_HasMaster", "MTS_RegisterMaster null"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const StandIn standIn(VELMARIN_MTSESP_STANDIN, row.session);
        const MtsEspLibrary library(row.path.empty() ? standIn.path() : row.path);
        std::ostringstream out, err;
        const int exitCode = holdMtsEspMaster(
            library, werckmeisterOnD(), row.reset, [](std::chrono::milliseconds) { return true; }, out, err);
        EXPECT_EQ(row.exitCode, exitCode);
        const std::string said = err.str();
        EXPECT_EQ(0u, said.find(row.err)) << said;
        EXPECT_EQ(row.err.empty() ? 0 : 1, std::count(said.begin(), said.end(), '\n')) << said;
        EXPECT_EQ(std::string::npos, said.find("system error")) << said;
        EXPECT_EQ(row.exitCode == kExitSuccess, !out.str().empty());
        // Nothing published where the start failed; the start's calls first where it did not.
        std::vector<std::string> calls = standIn.calls();
        if (row.exitCode == kExitSuccess) calls.resize(std::min(calls.size(), row.calls.size()));
        EXPECT_EQ(row.calls, calls);
    }
    EXPECT_TRUE(noMaster.calls().empty());
}

// The command resolves its tuning and loads the installed library alone;
// with none installed it names where it looked. What the A4 shift does to
// SysEx (coarse tuning) is not said: MTS-ESP takes each key's frequency.
TEST(CliMtsEsp, theCommandLooksWhereTheLibraryIsInstalled) {
    const std::string path = installedMtsEspLibraryPath();
    if (pathExists(path)) GTEST_SKIP() << path << " is installed on this machine";
    const CliParse parse = parseCliArguments({"mts-esp", "--temperament", "werckmeister3", "--a4", "415"});
    ASSERT_EQ(kExitSuccess, parse.exitCode) << parse.message;
    FakeClock clock;
    FakeMidiOut midi{clock};
    std::ostringstream out, err;
    EXPECT_EQ(kExitBadInput, runCliCommand(parse.command, out, err, midi));
    EXPECT_EQ("velmarin-cli: MTS-ESP is not installed: " + path + " not found\n", err.str());
    EXPECT_EQ("", out.str());
}

#ifndef _WIN32
// Each signal ends the wait instead of the program, until the object goes.
// (The Windows side is driven end to end under Wine: check-cli-mtsesp.sh.)
TEST(InterruptWait, aSignalEndsTheWaitNotTheProgram) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        {
            InterruptWait interrupt;
            EXPECT_FALSE(interrupt.wait(std::chrono::milliseconds(0)));
            std::raise(signal);
            EXPECT_TRUE(interrupt.wait(std::chrono::seconds(10)));
            EXPECT_TRUE(interrupt.wait(std::chrono::milliseconds(0)));
        }
        struct sigaction after {};
        sigaction(signal, nullptr, &after);
        EXPECT_EQ(SIG_DFL, after.sa_handler);
    }
}
#endif

}  // namespace
