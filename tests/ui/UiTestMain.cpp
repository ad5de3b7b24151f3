// ui_tests <Velmarin.exe>: CTest passes the executable's path as the build
// sees it, a Unix path when the suite runs under Wine.
#include <gtest/gtest.h>

#include <cstdio>

#include "VelmarinApp.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_tests [gtest options] <path of Velmarin.exe>\n");
        return 2;
    }
    const std::wstring executable = widen(windowsPath(argv[1]));
    if (GetFileAttributesW(executable.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "ui_tests: %s does not exist\n", argv[1]);
        return 2;
    }
    // The main window and the dialogs it opens must fit on the screen, or
    // the system moves them and every position check fails.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (area.right - area.left < 1024 || area.bottom - area.top < 768) {
        std::fprintf(stderr, "ui_tests: the screen is %ld x %ld; it needs at least 1024 x 768 "
                             "(xvfb-run -s \"-screen 0 1280x1024x24\")\n",
                     area.right - area.left, area.bottom - area.top);
        return 2;
    }
    VelmarinApp::setExecutable(executable);
    peerFolder();  // cleared before any test saves into it
    return RUN_ALL_TESTS();
}
