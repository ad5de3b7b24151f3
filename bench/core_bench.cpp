// Figures for the core: a keystroke's build and listing, the MIDI file image,
// and the preset file at start and close. Run: core_bench (Release build).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "output/SysexSmf.h"
#include "settings/IniFile.h"
#include "settings/Presets.h"
#include "sysex/HexListing.h"
#include "sysex/SysexBuilder.h"

namespace {

ScaleOffsets sampleOffsets() {
    return {0, -10, 4, -6, -14, -2, -12, 2, -8, -16, -4, -12};
}

void BM_BuildAndListXgAllParts(benchmark::State& state) {
    const ScaleOffsets offsets = sampleOffsets();
    ScaleDataBytes data;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    for (auto _ : state) {
        buildSysexList(TuningFormat::XG, offsets, 0xFFFF, data, buffer, length);
        std::string text = formatHexListing(buffer, length);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_BuildAndListXgAllParts);

void BM_BuildSysexSmfXgAllParts(benchmark::State& state) {
    ScaleDataBytes data;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    buildSysexList(TuningFormat::XG, sampleOffsets(), 0xFFFF, data, buffer, length);
    for (auto _ : state) {
        ByteBuffer image;
        benchmark::DoNotOptimize(buildSysexSmf(buffer, length, 480, 10, image));
    }
}
BENCHMARK(BM_BuildSysexSmfXgAllParts);

// Loads a preset file of state.range(0) presets and writes it back, as a run
// of the program does at start and close.
void BM_PresetIniLoadAndSave(benchmark::State& state) {
    const std::string path = "/tmp/velmarin-bench-Preset.ini";
    {
        IniFile presets;
        presets.load(path);  // sets the path; the file need not exist
        for (int64_t i = 0; i < state.range(0); ++i)
            writePresetOffsets(presets, "Preset " + std::to_string(i),
                               {static_cast<int32_t>(i % 64), -10, 4, -6, -14, -2, -12, 2, -8,
                                -16, -4, static_cast<int32_t>(-(i % 64))});
        presets.save();
    }
    for (auto _ : state) {
        IniFile presets;
        presets.load(path);
        presets.save();
        benchmark::DoNotOptimize(presets.sections().size());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_PresetIniLoadAndSave)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
