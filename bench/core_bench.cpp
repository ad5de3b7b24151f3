// Figures for the core: a keystroke's build and listing, the MIDI file image,
// the preset file at start and close, a Scala scale fitted and a tuning file
// read back. Run: core_bench (Release build).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "output/SysexSmf.h"
#include "settings/IniFile.h"
#include "settings/Presets.h"
#include "sysex/HexListing.h"
#include "sysex/SysexBuilder.h"
#include "tuning/ScalaScale.h"
#include "tuning/TuningFileReader.h"

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

// A 12-note .scl as Scala writes it, parsed, mapped and fitted (aim: 20 us).
void BM_ScalaParseAndFit(benchmark::State& state) {
    const std::string scale =
        "! werckmeister3.scl\n!\nWerckmeister III\n 12\n!\n"
        " 90.22500\n 192.18000\n 294.13500\n 390.22500\n 498.04500\n 588.27000\n"
        " 696.09000\n 792.18000\n 888.27000\n 996.09000\n 1092.18000\n 2/1\n";
    const FitOptions options{2, ZeroNote::A, 442.0};
    for (auto _ : state) {
        const ScalaReadResult read = parseScala(scale);
        const ScaleMapResult mapped = mapScaleToPitchClasses(read.scale);
        const FitResult fit = fitOffsets(mapped.offsets, options);
        benchmark::DoNotOptimize(fit.fit.notes.data());
    }
}
BENCHMARK(BM_ScalaParseAndFit)->Unit(benchmark::kMicrosecond);

// The largest file the program saves, 1,728 bytes of XG for all sixteen
// parts, read back (aim: 20 us).
void BM_ReadBackXgSyxAllParts(benchmark::State& state) {
    ScaleDataBytes data;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    buildSysexList(TuningFormat::XG, sampleOffsets(), 0xFFFF, data, buffer, length);
    for (auto _ : state) {
        const TuningReadResult result = readTuningFile(TuningFileKind::Syx, buffer, length);
        benchmark::DoNotOptimize(result.offsets.data());
    }
}
BENCHMARK(BM_ReadBackXgSyxAllParts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
