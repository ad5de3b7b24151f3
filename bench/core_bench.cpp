// Figures for the core: a keystroke's build and listing, the MIDI file image,
// the preset file at start and close, a Scala scale fitted, a tuning file read
// back, a folder of Scala scales laid on the keys, live sending to a MIDI
// device, a tuning written into songs, a player's stream through the
// retuning engine, and a keystroke published to MTS-ESP clients. Run:
// core_bench (Release build).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "base/LoadFileBytes.h"
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"

#include "midiout/SysexDeviceState.h"
#include "midiout/SysexSender.h"
#include "mtsesp/MtsEspMaster.h"
#include "output/SysexSmf.h"
#include "retune/RetuneEngine.h"
#include "settings/IniFile.h"
#include "settings/Presets.h"
#include "sysex/HexListing.h"
#include "song/SongBends.h"
#include "song/SongTuning.h"
#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"
#include "tuning/KeyboardMap.h"
#include "tuning/KeyboardTuning.h"
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

// The longest GM2 listing: single-note changes of all 128 keys and the
// program select of sixteen channels, rebuilt per keystroke (aim: 20 us).
void BM_BuildAndListMtsNoteAllChannels(benchmark::State& state) {
    const ScaleOffsets offsets = sampleOffsets();
    ScaleDataBytes data;
    uint8_t buffer[kSysexBufferSize];
    uint32_t length = 0;
    ChannelMessageList channel;
    const MtsOptions mts{MtsForm::SingleNote, 0, ""};
    for (auto _ : state) {
        buildTuningMessages(TuningFormat::GM2, mts, offsets, 0xFFFF, data, buffer, length, channel);
        std::string text = formatHexListing(buffer, length, channel.bytes, channel.length);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_BuildAndListMtsNoteAllChannels);

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

// A 12-entry .kbm as Scala writes it, parsed: at the .scl reader's speed.
void BM_KeyboardMapParse(benchmark::State& state) {
    const std::string map =
        "! meantone31.kbm\n!\n! Size of map:\n12\n! First MIDI note number to retune:\n0\n"
        "! Last MIDI note number to retune:\n127\n! Middle note:\n60\n! Reference note:\n69\n"
        "! Frequency:\n440.0\n! Formal octave:\n31\n! Mapping.\n0\n2\n5\n8\n10\n13\n15\n18\n20\n23\n26\n28\n";
    for (auto _ : state) benchmark::DoNotOptimize(parseKeyboardMap(map).map.degrees.data());
}
BENCHMARK(BM_KeyboardMapParse)->Unit(benchmark::kMicrosecond);

// A keyboard tuning from a 43-note scale, linear from C4, to its bulk dump
// (aim: 20 us).
void BM_KeyboardTuning43ToBulkDump(benchmark::State& state) {
    ScalaScale scale;
    for (int k = 1; k <= 43; ++k) scale.pitches.push_back({1200.0 * k / 43, false, 0, 1, 0});
    const KeyboardMap map = linearKeyboardMap(0, 440.0);
    const MtsOptions bulk{MtsForm::BulkDump, 0, "43-EDO"};
    for (auto _ : state) {
        const KeyboardTuningResult tuning = keyboardTuning(scale, map);
        const std::optional<TuningListing> dump = buildKeyboardListing(bulk, keyOffsets(tuning.tuning), 1);
        benchmark::DoNotOptimize(dump->data());
    }
}
BENCHMARK(BM_KeyboardTuning43ToBulkDump)->Unit(benchmark::kMicrosecond);

// A folder of 3,000 scales of every size from 1 to 300 notes, in cents,
// small ratios and ratios of 25 digits, the period 2/1 or 3/1: each file
// read, parsed and laid on the keys linearly from C4 (aim: 50 us a file).
void BM_ReadScalaFolderOntoTheKeys(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "velmarin-bench-scales";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string tenTo25 = "1" + std::string(25, '0');
    std::vector<std::string> paths;
    for (int notes = 1; notes <= 300; ++notes) {
        for (int variant = 0; variant < 10; ++variant) {
            const bool tritave = variant % 2 == 1;
            std::string text = "! bench.scl\nScale " + std::to_string(notes) + "\n " + std::to_string(notes) + "\n";
            for (int k = 1; k < notes; ++k) {
                switch ((k + variant) % 3) {
                case 0: text += " " + std::to_string((tritave ? 1901.955 : 1200.0) * k / notes) + "\n"; break;
                case 1: text += " " + std::to_string(notes + k) + "/" + std::to_string(notes) + "\n"; break;
                default:
                    text += " " + std::to_string(k) + tenTo25 + "/" + std::to_string(k) + "9" + tenTo25.substr(1) + "\n";
                }
            }
            text += tritave ? " 3/1\n" : " 2/1\n";
            paths.push_back((folder / ("scale" + std::to_string(paths.size()) + ".scl")).string());
            std::FILE* file = std::fopen(paths.back().c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
        }
    }
    const KeyboardMap linear = linearKeyboardMap(0, 440.0);
    for (auto _ : state) {
        for (const std::string& path : paths) {
            std::string bytes;
            if (!loadFileBytes(path, kMaxScalaFileBytes, bytes).ok()) state.SkipWithError("a scale was not read");
            const ScalaReadResult read = parseScala(bytes);
            const KeyboardTuningResult keys = keyboardTuning(read.scale, linear);
            if (!keys.ok()) state.SkipWithError("a scale was not laid on the keys");
            benchmark::DoNotOptimize(keys.tuning.hz.data());
        }
    }
    state.counters["files"] = static_cast<double>(paths.size());
    state.counters["per_file"] = benchmark::Counter(static_cast<double>(paths.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
    fs::remove_all(folder);
}
BENCHMARK(BM_ReadScalaFolderOntoTheKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

// A keystroke's publication to MTS-ESP clients: the twelve offsets turned
// into the 128 keys and compared with the last publication, against a
// library that does nothing, so that the figure is Velmarin's own; each
// keystroke changes one offset (aim: 5 us), or nothing (state.range(0) 0).
void BM_MtsEspPublishKeystroke(benchmark::State& state) {
    MtsEspFunctions library;
    library.registerMaster = [](void*) {};
    library.deregisterMaster = [] {};
    library.hasMaster = [] { return false; };
    library.setNoteTunings = [](const double*) {};
    library.setScaleName = [](const char*) {};
    library.filterNote = [](bool, char, signed char) {};
    library.clearNoteFilter = [] {};
    MtsEspMaster master(library);
    master.start();
    Tuning tuning;
    int32_t step = 0;
    for (auto _ : state) {
        tuning.twelve.whole[4] = state.range(0) ? ++step % 2 : 0;
        master.publish(mtsEspKeyTable(tuning));
    }
}
BENCHMARK(BM_MtsEspPublishKeystroke)->Arg(1)->Arg(0);

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

std::vector<uint8_t> xgAllParts(int changedNote, int32_t value) {
    ScaleOffsets offsets = sampleOffsets();
    offsets[changedNote] = value;
    ScaleDataBytes data;
    std::vector<uint8_t> list(kLargestSysexList);
    uint32_t length = 0;
    buildSysexList(TuningFormat::XG, offsets, 0xFFFF, data, list.data(), length);
    list.resize(length);
    return list;
}

// The engine's work per keystroke in live mode, XG to all sixteen parts: the
// plan of what changed (one offset: sixteen messages) and recording them sent.
void BM_LivePlanXgAllPartsOneChange(benchmark::State& state) {
    const std::vector<uint8_t> lists[2] = {xgAllParts(4, 10), xgAllParts(4, -10)};
    SysexDeviceState held;
    for (const SysexSpan& span : held.changedMessages(lists[0].data(), lists[0].size()))
        held.recordSent(lists[0].data() + span.offset, span.size);
    std::size_t turn = 1;
    for (auto _ : state) {
        const std::vector<uint8_t>& list = lists[turn];
        const std::vector<SysexSpan> changed = held.changedMessages(list.data(), list.size());
        for (const SysexSpan& span : changed) held.recordSent(list.data() + span.offset, span.size);
        benchmark::DoNotOptimize(changed.data());
        turn ^= 1;
    }
}
BENCHMARK(BM_LivePlanXgAllPartsOneChange);

// A device that finishes every message at once and notes when the first
// message of a send arrives.
class InstantMidiOut final : public MidiOutSystem {
public:
    MidiDeviceList listDevices() override { return {true, {"bench"}, {}}; }
    std::unique_ptr<MidiOutDevice> open(unsigned, MidiError& error) override {
        error = 0;
        return std::make_unique<Device>(*this);
    }
    std::string errorText(MidiError) override { return {}; }

    void expectFirstByte() {
        std::lock_guard<std::mutex> lock(mutex_);
        arrived_ = false;
    }
    std::chrono::steady_clock::time_point waitForFirstByte() {
        std::unique_lock<std::mutex> lock(mutex_);
        arrivedChanged_.wait(lock, [this] { return arrived_; });
        return arrivedAt_;
    }

private:
    class Device final : public MidiOutDevice {
    public:
        explicit Device(InstantMidiOut& system) : system_(system) {}
        MidiError sendLong(const uint8_t*, std::size_t) override {
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(system_.mutex_);
            if (!system_.arrived_) {
                system_.arrived_ = true;
                system_.arrivedAt_ = now;
                system_.arrivedChanged_.notify_all();
            }
            return 0;
        }
        MidiError sendShort(const uint8_t*, std::size_t) override { return 0; }
        MidiError waitDone(uint32_t) override { return 0; }
        MidiError unprepare() override { return 0; }
        MidiError reset() override { return 0; }
        MidiError close() override { return 0; }

    private:
        InstantMidiOut& system_;
    };

    std::mutex mutex_;
    std::condition_variable arrivedChanged_;
    bool arrived_ = true;
    std::chrono::steady_clock::time_point arrivedAt_;
};

// From a live request after an offset change (XG, all parts) to its first
// message handed to the device: the worker's wake-up, the copy and the plan.
// No pause, so that only the engine is measured; with a pause, a change that
// follows a message closer than the pause waits for the rest of it.
void BM_LiveChangeToFirstByte(benchmark::State& state) {
    InstantMidiOut midi;
    SysexSender sender(midi, nullptr);
    const std::vector<uint8_t> lists[2] = {xgAllParts(4, 10), xgAllParts(4, -10)};
    sender.send(SendMode::Changes, 0, lists[0].data(), lists[0].size(), 0);
    sender.waitUntilIdle();
    std::size_t turn = 1;
    for (auto _ : state) {
        midi.expectFirstByte();
        const auto start = std::chrono::steady_clock::now();
        sender.send(SendMode::Changes, 0, lists[turn].data(), lists[turn].size(), 0);
        const auto firstByte = midi.waitForFirstByte();
        state.SetIterationTime(std::chrono::duration<double>(firstByte - start).count());
        sender.waitUntilIdle();
        turn ^= 1;
    }
}
BENCHMARK(BM_LiveChangeToFirstByte)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// Heap use, counted by the replacements of operator new and delete below: the
// most held at once since the last reset.
std::atomic<std::size_t> heapInUse{0};
std::atomic<std::size_t> heapPeak{0};
std::atomic<std::size_t> allocations{0};

void resetHeapPeak() { heapPeak = heapInUse.load(); }

// A format 1 song: a conductor track with a tempo and a GS Reset at tick 0,
// then `tracks` tracks of notes from tick 0 (so the music moves and every
// track is written again), four bytes an event, until the song has about
// `events` events.
std::vector<uint8_t> sampleSong(int tracks, int events) {
    const auto put32 = [](std::vector<uint8_t>& out, uint32_t value) {
        for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    std::vector<uint8_t> song = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<uint8_t>(tracks + 1), 0x01, 0xE0};
    const std::vector<uint8_t> conductor = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xF0, 0x0A, 0x41, 0x10,
                                            0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7, 0x00, 0xFF, 0x2F, 0x00};
    song.insert(song.end(), {'M', 'T', 'r', 'k'});
    put32(song, static_cast<uint32_t>(conductor.size()));
    song.insert(song.end(), conductor.begin(), conductor.end());
    for (int t = 0; t < tracks; ++t) {
        std::vector<uint8_t> body;
        for (int e = 0; e < events / tracks; ++e) {
            const bool on = e % 2 == 0;
            body.insert(body.end(), {static_cast<uint8_t>(on ? 0 : 120), static_cast<uint8_t>((on ? 0x90 : 0x80) | t),
                                     static_cast<uint8_t>(48 + e / 2 % 36), static_cast<uint8_t>(on ? 100 : 64)});
        }
        body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
        song.insert(song.end(), {'M', 'T', 'r', 'k'});
        put32(song, static_cast<uint32_t>(body.size()));
        song.insert(song.end(), body.begin(), body.end());
    }
    return song;
}

// The GS tuning of all sixteen parts written into a 1 MB song of 16 tracks
// and about 250,000 events (aims: 10 ms, and at most three times the file's
// size held on the heap, the song read in included).
void BM_ApplyToLargeSong(benchmark::State& state) {
    const std::vector<uint8_t> song = sampleSong(16, 250000);
    ScaleDataBytes data;
    uint8_t listing[kSysexBufferSize];
    uint32_t length = 0;
    buildSysexList(TuningFormat::GS, sampleOffsets(), 0xFFFF, data, listing, length);
    std::size_t peak = 0;
    for (auto _ : state) {
        resetHeapPeak();
        const std::size_t before = heapInUse;
        const SongTuningResult result = tuneSong(song.data(), song.size(), listing, length, {});
        benchmark::DoNotOptimize(result.bytes.data());
        peak = std::max(peak, heapPeak - before);
    }
    state.counters["file_MB"] = static_cast<double>(song.size()) / 1e6;
    state.counters["heap_x_file"] = static_cast<double>(peak + song.size()) / static_cast<double>(song.size());
}
BENCHMARK(BM_ApplyToLargeSong)->Unit(benchmark::kMillisecond);

// The same song with the tuning as pitch bends (aim: 20 ms). Every channel
// is the song's own, so each note weighs every channel of its own.
void BM_ApplyBendsToLargeSong(benchmark::State& state) {
    const std::vector<uint8_t> song = sampleSong(16, 250000);
    std::array<double, 12> cents{};
    const ScaleOffsets offsets = sampleOffsets();
    for (int k = 0; k < 12; ++k) cents[k] = offsets[k].value_or(0);
    SongBendOptions options;
    options.keyCents = keyCentsOfPitchClasses(cents);
    for (auto _ : state) {
        const SongBendResult result = bendSong(song.data(), song.size(), options);
        benchmark::DoNotOptimize(result.bytes.data());
    }
}
BENCHMARK(BM_ApplyBendsToLargeSong)->Unit(benchmark::kMillisecond);

// Eight tracks on channels 1-8, the other seven free to borrow.
void BM_ApplyBendsToLargeSongWithFreeChannels(benchmark::State& state) {
    const std::vector<uint8_t> song = sampleSong(8, 250000);
    std::array<double, 12> cents{};
    const ScaleOffsets offsets = sampleOffsets();
    for (int k = 0; k < 12; ++k) cents[k] = offsets[k].value_or(0);
    SongBendOptions options;
    options.keyCents = keyCentsOfPitchClasses(cents);
    for (auto _ : state) {
        const SongBendResult result = bendSong(song.data(), song.size(), options);
        benchmark::DoNotOptimize(result.bytes.data());
    }
}
BENCHMARK(BM_ApplyBendsToLargeSongWithFreeChannels)->Unit(benchmark::kMillisecond);

// A thousand typical songs of 30 KB through velmarin-cli apply --out-dir,
// files read and written (aim: 5 s).
void BM_ApplyThousandSongsToAFolder(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "velmarin-bench-songs";
    fs::remove_all(folder);
    fs::create_directories(folder / "tuned");
    const std::vector<uint8_t> song = sampleSong(8, 7500);  // 30 KB
    std::vector<std::string> arguments = {"apply"};
    for (int i = 0; i < 1000; ++i) {
        const std::string path = (folder / ("song" + std::to_string(i) + ".mid")).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(song.data(), 1, song.size(), file);
        std::fclose(file);
        arguments.push_back(path);
    }
    for (const char* option : {"--temperament", "werckmeister3", "--format", "xg", "--parts", "all", "--out-dir"})
        arguments.push_back(option);
    arguments.push_back((folder / "tuned").string());
    arguments.push_back("--overwrite");
    const CliParse parse = parseCliArguments(arguments);
    for (auto _ : state) {
        std::ostringstream out, err;
        if (runCliCommand(parse.command, out, err, platformMidiOut()) != kExitSuccess)
            state.SkipWithError(err.str().c_str());
    }
    state.counters["song_KB"] = static_cast<double>(song.size()) / 1e3;
    fs::remove_all(folder);
}
BENCHMARK(BM_ApplyThousandSongsToAFolder)->Unit(benchmark::kMillisecond)->Iterations(3);

// A player's stream: four-note chords climbing the keyboard, each held
// under the sustain pedal while the wheel moves, then released; channel 1.
std::vector<std::vector<uint8_t>> chordStream() {
    std::vector<std::vector<uint8_t>> stream;
    for (int chord = 0; chord < 64; ++chord) {
        const uint8_t root = static_cast<uint8_t>(48 + chord % 24);
        const uint8_t keys[4] = {root, static_cast<uint8_t>(root + 4), static_cast<uint8_t>(root + 7),
                                 static_cast<uint8_t>(root + 11)};
        stream.push_back({0xB0, 0x40, 0x7F});
        for (uint8_t key : keys) stream.push_back({0x90, key, 0x60});
        for (uint8_t wheel : {0x48, 0x50, 0x48, 0x40}) stream.push_back({0xE0, 0x00, wheel});
        stream.push_back({0xD0, static_cast<uint8_t>(chord & 0x7F)});
        for (uint8_t key : keys) stream.push_back({0x80, key, 0x40});
        stream.push_back({0xB0, 0x40, 0x00});
    }
    return stream;
}

class CountingSink : public MidiSink {
public:
    void send(const uint8_t*, std::size_t size) override { bytes += size; }
    std::size_t bytes = 0;
};

// Each message through the engine timed alone, the median and the 99th
// percentile (aim: 2 us), and the allocations on the way (aim: none).
void retuneStream(benchmark::State& state, const RetuneTuning& tuning) {
    RetuneEngine engine(RetuneOptions{}, tuning);
    CountingSink sink;
    engine.start(sink);
    const std::vector<std::vector<uint8_t>> stream = chordStream();
    std::vector<double> nanoseconds;
    nanoseconds.reserve(stream.size() * static_cast<std::size_t>(state.max_iterations));
    uint64_t time = 0;
    const std::size_t allocationsBefore = allocations;
    for (auto _ : state) {
        for (const std::vector<uint8_t>& message : stream) {
            const auto begin = std::chrono::steady_clock::now();
            engine.process(message.data(), message.size(), ++time, sink);
            const auto end = std::chrono::steady_clock::now();
            nanoseconds.push_back(std::chrono::duration<double, std::nano>(end - begin).count());
        }
    }
    const std::size_t allocated = allocations - allocationsBefore;
    std::sort(nanoseconds.begin(), nanoseconds.end());
    state.counters["median_us"] = nanoseconds[nanoseconds.size() / 2] / 1000;
    state.counters["p99_us"] = nanoseconds[nanoseconds.size() * 99 / 100] / 1000;
    state.counters["allocations"] = static_cast<double>(allocated);
    state.counters["messages"] = static_cast<double>(nanoseconds.size());
}

RetuneTuning werckmeister3Keys() {
    return {keyCentsOfPitchClasses({0, -9.775, -7.82, -5.865, -9.775, -1.955, -11.73, -3.91, -7.82, -11.73, -3.91, -7.82}),
            false};
}
RetuneTuning edo19Keys() {
    RetuneTuning tuning;
    for (int key = 0; key < 128; ++key) tuning.keyCents[key] = (key - 60) * (1200.0 / 19 - 100);
    tuning.nearestKeys = true;
    return tuning;
}
BENCHMARK_CAPTURE(retuneStream, werckmeister3, werckmeister3Keys())->Iterations(400)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(retuneStream, edo19, edo19Keys())->Iterations(400)->Unit(benchmark::kMicrosecond);

}  // namespace

// Sizes come from the allocator itself (glibc), so nothing is written into
// the blocks; kept out of line so that the compiler sees no new paired with free.
__attribute__((noinline)) void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) throw std::bad_alloc();
    ++allocations;
    const std::size_t now = heapInUse += malloc_usable_size(block);
    for (std::size_t peak = heapPeak; now > peak && !heapPeak.compare_exchange_weak(peak, now);) {}
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
__attribute__((noinline)) void operator delete(void* block) noexcept {
    if (!block) return;
    heapInUse -= malloc_usable_size(block);
    std::free(block);
}
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
void operator delete[](void* block, std::size_t) noexcept { operator delete(block); }

BENCHMARK_MAIN();
