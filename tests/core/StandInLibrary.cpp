#include "StandInLibrary.h"

#include <cstddef>

#ifdef _WIN32
#include "WinePaths.h"

const char kLibraryName[] = "LIBMTS.dll";
std::string builtPath(const char* path) { return windowsPath(path); }
#else
const char kLibraryName[] = "libMTS.so";
std::string builtPath(const char* path) { return path; }
#endif

StandIn::StandIn(const char* built, const std::string& session) : path_(folder_.path(kLibraryName)) {
    writeFile(path_, readFile(builtPath(built)));
    if (!session.empty()) setSession(session);
}

std::string StandIn::session() const { return readFile(path_ + ".state"); }

void StandIn::setSession(const std::string& session) const { writeFile(path_ + ".state", session); }

std::vector<std::string> StandIn::calls() const {
    std::vector<std::string> lines;
    const std::string log = readFile(path_ + ".log");
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = log.find('\n', start);
        lines.push_back(log.substr(start, end - start));
        start = end == std::string::npos ? log.size() : end + 1;
    }
    return lines;
}

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
