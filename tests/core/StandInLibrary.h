// The project's stand-in for the MTS-ESP library (tests/mtsesp) for tests
// that load it by path, as the real one is loaded: natively through dlopen,
// under Wine through the Windows loader. Each StandIn copies it into a
// folder of its own, where it keeps its log of calls and its session.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestBytes.h"

// The library's file name on this system: libMTS.so, LIBMTS.dll.
extern const char kLibraryName[];
// A path the build gives (a Unix one under Wine) as this program opens it.
std::string builtPath(const char* path);

class StandIn {
public:
    // `built`: one of the variants the build names (VELMARIN_MTSESP_STANDIN...);
    // `session`: the .state file's lines, none for an empty session.
    explicit StandIn(const char* built = VELMARIN_MTSESP_STANDIN, const std::string& session = "");
    const std::string& path() const { return path_; }
    std::string session() const;
    void setSession(const std::string& session) const;
    std::vector<std::string> calls() const;  // the log's lines

private:
    ScratchFolder folder_;
    std::string path_;
};

// The log holds `expected`, line for line, and no more.
::testing::AssertionResult callsAre(const std::vector<std::string>& expected, const StandIn& standIn);
