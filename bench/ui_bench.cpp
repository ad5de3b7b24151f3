// Figures for the running program (not a test): keystroke to listing, start-up
// to first listing, a large preset file at start and close, size and peak
// working set. Usage: ui_bench <Velmarin.exe> <trivial_dialog.exe> [<other Velmarin.exe>]
// With a second program (an older build, say), the keystroke and start-up
// figures are taken for both in the same run, turn about. Start-up is also
// taken for template_dialog.exe, found beside trivial_dialog.exe: the main
// window's template shown by a program that does nothing else.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "WholeFiles.h"
#include "WinePaths.h"
#include "WindowSearch.h"

namespace {

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Process {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;
};

// Starts `exe` in `folder` and waits until its window is visible and, when
// `ready` is given, until `ready` says so. Returns the seconds that took.
template <typename Ready>
double start(const std::string& exe, const std::string& folder, const wchar_t* className,
             Process& process, Ready ready) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    const double begin = now();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.c_str(), &startup, &process.info))
            break;
        if (attempt == 1) {
            std::fprintf(stderr, "cannot start %s: %lu\n", exe.c_str(), GetLastError());
            ExitProcess(1);
        }
    }
    WaitForInputIdle(process.info.hProcess, 10000);
    for (;;) {
        const std::vector<HWND> found = visibleWindowsOf(process.info.dwProcessId, nullptr, className);
        if (!found.empty() && ready(found.front())) {
            process.window = found.front();
            return now() - begin;
        }
        if (now() - begin > 30) {
            std::fprintf(stderr, "no window from %s\n", exe.c_str());
            ExitProcess(1);
        }
        Sleep(1);
    }
}

double closeAndWait(Process& process) {
    const double begin = now();
    PostMessageA(process.window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.info.hProcess, 30000);
    const double seconds = now() - begin;
    CloseHandle(process.info.hThread);
    CloseHandle(process.info.hProcess);
    return seconds;
}

bool hasListing(HWND window) {
    return SendMessageW(GetDlgItem(window, 1068), WM_GETTEXTLENGTH, 0, 0) > 0;
}

std::string makeFolder(const std::string& exe, const std::string& settings,
                       const std::string& presets) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "velmarin-bench-" + std::to_string(GetTickCount64());
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(exe.c_str(), (folder + "\\Velmarin.exe").c_str(), FALSE);
    writeWholeFile(folder + "\\Velmarin.ini", settings);
    writeWholeFile(folder + "\\Preset.ini", presets);
    return folder;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Keystroke to listing: a synchronous text change of C runs the whole refresh
// before SendMessage returns; a round trip that does nothing is taken off.
// The lines out of view follow when typing pauses, or at once when the
// listing is read: a read straight after each keystroke times that catch-up.
struct Keystroke {
    double refresh = 0;
    double catchUp = 0;
    double roundTrip = 0;
    double peakMegabytes = 0;
};

Keystroke measureKeystroke(const std::string& velmarin, const std::string& settings) {
    const std::string folder = makeFolder(velmarin, settings, "");
    Process process;
    start(folder + "\\Velmarin.exe", folder, L"VelmarinWnd", process, hasListing);
    HWND edit = GetDlgItem(process.window, 1001);
    const int rounds = 200;
    double begin = now();
    for (int i = 0; i < rounds; ++i)
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(i % 2 ? L"-10" : L"5"));
    const double keystroke = (now() - begin) / rounds;
    begin = now();
    for (int i = 0; i < rounds; ++i) SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    Keystroke result;
    result.roundTrip = (now() - begin) / rounds;
    result.refresh = keystroke - result.roundTrip;
    HWND listing = GetDlgItem(process.window, 1068);
    begin = now();
    for (int i = 0; i < rounds; ++i) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(i % 2 ? L"-10" : L"5"));
        SendMessageW(listing, WM_GETTEXTLENGTH, 0, 0);
    }
    result.catchUp = (now() - begin) / rounds - keystroke - result.roundTrip;
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.info.hProcess, &memory, sizeof memory);
    result.peakMegabytes = memory.PeakWorkingSetSize / 1048576.0;
    closeAndWait(process);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ui_bench Velmarin.exe trivial_dialog.exe [other Velmarin.exe]\n");
        return 2;
    }
    std::vector<std::string> programs = {windowsPath(argv[1])};
    if (argc > 3) programs.push_back(windowsPath(argv[3]));
    const std::string velmarin = programs.front();
    const std::string trivial = windowsPath(argv[2]);
    const auto label = [&](std::size_t k) { return programs.size() == 1 ? std::string() : " [" + programs[k] + "]"; };

    const struct {
        const char* name;
        const char* settings;
    } cases[] = {
        {"XG, 16 parts", "[AppSetting]\r\nMidiFormat=1\r\nMidiPartOrChannel=65535\r\n"},
        {"GS, 16 parts", "[AppSetting]\r\nMidiFormat=0\r\nMidiPartOrChannel=65535\r\n"},
        {"GS, 1 part", "[AppSetting]\r\nMidiFormat=0\r\nMidiPartOrChannel=1\r\n"},
    };
    for (const auto& keystrokeCase : cases) {
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const Keystroke figures = measureKeystroke(programs[k], keystrokeCase.settings);
            std::printf("keystroke to listing (%s)%s: refresh %.3f ms per change "
                        "(WM_GETTEXTLENGTH round trip %.3f ms taken off); lines out of view %.3f ms later; "
                        "peak working set %.1f MB\n",
                        keystrokeCase.name, label(k).c_str(), figures.refresh * 1e3, figures.roundTrip * 1e3,
                        figures.catchUp * 1e3, figures.peakMegabytes);
        }
    }

    // Start-up to first listing against a trivial dialog program and the
    // template alone, turn about.
    {
        std::vector<std::vector<double>> program(programs.size());
        std::vector<double> baseline;
        std::vector<double> templateAlone;
        const std::string templateProgram = folderOf(trivial) + "template_dialog.exe";
        for (int run = 0; run < 11; ++run) {
            for (std::size_t k = 0; k < programs.size(); ++k) {
                const std::string folder =
                    makeFolder(programs[k], "[AppSetting]\r\nMidiPartOrChannel=1\r\n", "");
                Process process;
                program[k].push_back(
                    start(folder + "\\Velmarin.exe", folder, L"VelmarinWnd", process, hasListing));
                closeAndWait(process);
            }
            Process other;
            baseline.push_back(start(trivial, std::string("C:\\"), nullptr, other, [](HWND) { return true; }));
            closeAndWait(other);
            Process bare;
            templateAlone.push_back(
                start(templateProgram, std::string("C:\\"), L"VelmarinWnd", bare, [](HWND) { return true; }));
            closeAndWait(bare);
        }
        for (std::size_t k = 0; k < programs.size(); ++k)
            std::printf("start-up to first listing%s: %.0f ms; trivial dialog: %.0f ms; ratio %.2f (medians of 11)\n",
                        label(k).c_str(), median(program[k]) * 1e3, median(baseline) * 1e3,
                        median(program[k]) / median(baseline));
        std::printf("start-up of the main window's template alone: %.0f ms; ratio %.2f to the trivial dialog; "
                    "Velmarin's own start-up work: %.0f ms\n",
                    median(templateAlone) * 1e3, median(templateAlone) / median(baseline),
                    (median(program[0]) - median(templateAlone)) * 1e3);
    }

    // A preset file of 5,000 presets, read at start and written at close.
    {
        std::string presets;
        for (int i = 0; i < 5000; ++i)
            presets += "[Preset " + std::to_string(i) + "]\r\n0=5\r\n1=-10\r\n4=14\r\n11=-3\r\n";
        const std::string folder = makeFolder(velmarin, "[AppSetting]\r\nMidiPartOrChannel=1\r\n", presets);
        Process process;
        const double startSeconds =
            start(folder + "\\Velmarin.exe", folder, L"VelmarinWnd", process, hasListing);
        const double closeSeconds = closeAndWait(process);
        std::printf("5,000 presets: start-up %.0f ms, close %.0f ms\n", startSeconds * 1e3,
                    closeSeconds * 1e3);
    }

    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    GetFileAttributesExA(velmarin.c_str(), GetFileExInfoStandard, &attributes);
    std::printf("Velmarin.exe: %lu bytes (%.0f KB)\n", attributes.nFileSizeLow,
                attributes.nFileSizeLow / 1024.0);
    return 0;
}
