// Tools → MTS-ESP master, with the stand-in library (tests/mtsesp) where
// MTS-ESP is installed in the suite's Wine prefix: what is published and
// when, the title, the boxes, the session's end, the choice remembered. The
// master's rules are proven in the core tests; these show the wiring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "WholeFiles.h"
#include "UiExpectations.h"
#include "base/FileSystem.h"
#include "mtsesp/MtsEspLibrary.h"

namespace {

// The stand-in in MTS-ESP's place while it lives. The core tests' install
// test skips while anything lies there, so it is there for one test only.
class StandIn {
public:
    explicit StandIn(const char* session) {
        CreateDirectoryW(widen(folder()).c_str(), nullptr);
        writeWholeFile(path_, readWholeFile(windowsPath(VELMARIN_MTSESP_STANDIN)).value_or(""));
        setSession(session);
    }
    ~StandIn() {
        for (const char* extension : {"", ".log", ".state"}) DeleteFileW(widen(path_ + extension).c_str());
        EXPECT_TRUE(RemoveDirectoryW(widen(folder()).c_str())) << "the stand-in stays in " << folder();
    }
    void setSession(const char* session) const { writeWholeFile(path_ + ".state", session); }
    // The calls so far, a line each, but the client counts asked every second.
    std::vector<std::string> calls() const {
        std::istringstream log(readWholeFile(path_ + ".log").value_or(""));
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            if (line != "MTS_GetNumClients") lines.push_back(line);
        return lines;
    }
    std::string names() const {
        std::string names;
        for (const std::string& call : calls()) names += call.substr(0, call.find(' ')) + " ";
        return names;
    }

private:
    std::string folder() const { return path_.substr(0, path_.rfind('\\')); }
    const std::string path_ = installedMtsEspLibraryPath();
};

bool placeIsFree() { return runningOnWine() && !pathExists(installedMtsEspLibraryPath()); }
bool checked(VelmarinApp& app) { return (app.menuState(IDM_MTSESP_MASTER) & MF_CHECKED) != 0; }

// Key 69's frequency in a logged MTS_SetNoteTunings call.
double a4Of(const std::string& call) {
    std::istringstream words(call.substr(call.find(' ') + 1));
    std::string word;
    for (int key = 0; key <= 69; ++key) words >> word;
    return call.rfind("MTS_SetNoteTunings ", 0) == 0 ? std::strtod(word.c_str(), nullptr) : 0;
}

TEST(MtsEspWindow, theItemPublishesTheTuningAndEveryEditUntilItIsTurnedOff) {
    if (!placeIsFree()) GTEST_SKIP() << "Wine, with nothing where MTS-ESP is installed";
    const StandIn standIn("clients=2\n");
    VelmarinApp app;
    ASSERT_TRUE(app.started());
    app.type(offsetEdit(9), "-10");
    app.command(IDM_MTSESP_MASTER);
    EXPECT_TRUE(checked(app));
    std::vector<std::string> calls = standIn.calls();
    ASSERT_LE(5u, calls.size()) << standIn.names();
    EXPECT_EQ("MTS_HasMaster MTS_RegisterMaster MTS_SetNoteTunings", standIn.names().substr(0, 51));
    EXPECT_NEAR(437.4657864797, a4Of(calls[2]), 1e-6);  // 440 x 2^(-10 / 1200)
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "MTS_SetScaleName Twelve offsets from equal temperament"));
    EXPECT_EQ("Velmarin - MTS-ESP マスター (接続中の音源: 2)", app.text(app.window()));
    standIn.setSession("master=1\nclients=1\n");
    EXPECT_TRUE(waitFor([&] { return app.text(app.window()) == "Velmarin - MTS-ESP マスター (接続中の音源: 1)"; }));

    app.type(offsetEdit(9), "25");  // the keys again, and nothing else
    EXPECT_EQ(calls.size() + 1, standIn.calls().size());
    EXPECT_NEAR(446.3999473725, a4Of(standIn.calls().back()), 1e-6);  // 440 x 2^(25 / 1200)
    app.command(IDM_MTSESP_MASTER);
    app.type(offsetEdit(9), "3");
    EXPECT_FALSE(checked(app));
    EXPECT_EQ("MTS_DeregisterMaster", standIn.calls().back());
    EXPECT_EQ("Velmarin", app.text(app.window()));
    const RECT window = app.windowRect();
    EXPECT_EQ(0u, app.close());
    EXPECT_EQ(freshSettings(window, 0, 0), app.file("Velmarin.ini"));  // on and off again: no new key
}

// Closing deregisters; the next start is the master again without a word,
// and the session's end deregisters, once. A start without the library says
// nothing either, and the item unchecked is what the file then keeps.
TEST(MtsEspWindow, theChoiceIsRememberedAndEveryEndDeregisters) {
    if (!placeIsFree()) GTEST_SKIP() << "Wine, with nothing where MTS-ESP is installed";
    std::optional<StandIn> standIn(std::in_place, "");
    VelmarinApp first;
    ASSERT_TRUE(first.started());
    first.command(IDM_MTSESP_MASTER);
    const RECT window = first.windowRect();
    EXPECT_EQ(0u, first.close());
    EXPECT_EQ(freshSettings(window, 0, 0) + "MtsEspMaster=1\r\n", first.file("Velmarin.ini"));
    EXPECT_EQ("MTS_DeregisterMaster", standIn->calls().back());
    const size_t firstRun = standIn->calls().size();
    {
        VelmarinApp second(AnotherCopyOf{first});
        ASSERT_TRUE(second.started());
        EXPECT_TRUE(checked(second));
        EXPECT_TRUE(second.ownedWindows().empty());
        ASSERT_LE(firstRun + 3, standIn->calls().size());
        EXPECT_EQ("MTS_RegisterMaster null", standIn->calls()[firstRun + 1]);
        EXPECT_NEAR(440.0, a4Of(standIn->calls()[firstRun + 2]), 1e-9);
        second.send(second.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ("MTS_DeregisterMaster", standIn->calls().back());
        EXPECT_EQ(freshSettings(window, 0, 0) + "MtsEspMaster=1\r\n", second.file("Velmarin.ini"));
        const size_t sessionEnd = standIn->calls().size();
        EXPECT_EQ(0u, second.close());
        EXPECT_EQ(sessionEnd, standIn->calls().size());
    }
    standIn.reset();
    VelmarinApp third(AnotherCopyOf{first});
    ASSERT_TRUE(third.started());
    EXPECT_FALSE(checked(third));
    EXPECT_TRUE(third.ownedWindows().empty());
    EXPECT_EQ(0u, third.close());
    EXPECT_EQ(freshSettings(window, 0, 0) + "MtsEspMaster=0\r\n", third.file("Velmarin.ini"));
}

TEST(MtsEspWindow, whatStandsInTheWayIsToldAndOnlyAResetTheUserAllowsTakesItsPlace) {
    if (!placeIsFree()) GTEST_SKIP() << "Wine, with nothing where MTS-ESP is installed";
    const struct {
        const char* session;  // nullptr: no library
        const char* text;
        int answer;
        const char* calls;
    } rows[] = {
        {nullptr,
         "MTS-ESP が入っていません。ライブラリが次の場所に見つかりません。\n"
         "C:\\Program Files\\Common Files\\MTS-ESP\\LIBMTS.dll\nMTS-ESP を入れてから、もう一度選んでください。",
         IDOK, ""},
        {"master=1\n", "ほかの MTS-ESP マスターが動いています。マスターは同時に 1 つだけです。先にそちらを閉じてください。",
         IDOK, "MTS_HasMaster MTS_HasIPC "},
        {"master=1\nipc=1\n",
         "MTS-ESP のマスターがすでに登録されています。ほかのソフトのマスターか、異常終了したソフトが残したものかもしれ"
         "ません。\n\nMTS-ESP をリセットして、Velmarin をマスターにしますか? 動いているマスターがあれば、その音源も切り"
         "離されます。",
         IDNO, "MTS_HasMaster MTS_HasIPC "},
        {"master=1\nipc=1\n", nullptr, IDYES,
         "MTS_HasMaster MTS_HasIPC MTS_Reinitialize MTS_HasMaster MTS_RegisterMaster MTS_SetNoteTunings "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.session ? row.session : "no library") + " answered " + std::to_string(row.answer));
        std::optional<StandIn> standIn;
        if (row.session) standIn.emplace(row.session);
        VelmarinApp app;
        ASSERT_TRUE(app.started());
        app.postCommand(IDM_MTSESP_MASTER);
        const HWND box = app.waitForWindow("MTS-ESP マスター");
        if (row.text) {
            EXPECT_EQ(row.text, app.boxText(box));
        }
        app.answer(box, row.answer);
        EXPECT_EQ(row.answer == IDYES, checked(app));
        const std::string names = standIn ? standIn->names() : "";
        EXPECT_EQ(row.calls, row.answer == IDYES ? names.substr(0, std::string(row.calls).size()) : names);
        EXPECT_EQ(0u, app.close());
    }
}

}  // namespace
