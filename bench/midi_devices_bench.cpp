// Figures (not a test): what live sending pays before every send to find its
// device by name, the system's device list and the look-up in it. Run under
// Wine with Wine's own winmm and with the winmm test double (tests/mididouble),
// whose VELMARIN_MIDI_DEVICES sets how many devices there are.
// Usage: midi_devices_bench [NAME]   (NAME: the device looked for; default the last)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "midiout/MidiDeviceLookup.h"
#include "midiout/MidiOutDevice.h"

int main(int argc, char** argv) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const MidiDeviceList first = platformMidiOut().listDevices();
    const std::string name = argc > 1 ? argv[1] : first.names.empty() ? "Synth" : first.names.back();
    std::vector<double> microseconds;
    unsigned found = 0;
    for (int run = 0; run < 2000; ++run) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const MidiDeviceMatch match = findDeviceByName(platformMidiOut().listDevices().names, name);
        QueryPerformanceCounter(&end);
        found += match.status == MidiDeviceMatch::Status::Found ? 1 : 0;
        microseconds.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                               static_cast<double>(frequency.QuadPart));
    }
    std::sort(microseconds.begin(), microseconds.end());
    std::printf("device list and look-up, %zu device(s)%s: median %.1f us, 95th percentile %.1f us, "
                "longest %.1f us (%u of %zu found)\n",
                first.names.size(), first.available ? "" : " (no MIDI output)",
                microseconds[microseconds.size() / 2], microseconds[microseconds.size() * 95 / 100],
                microseconds.back(), found, microseconds.size());
    return 0;
}
