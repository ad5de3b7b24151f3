// A JACK MIDI sender and receiver around a play-through: it sends a
// sequence of messages (every kind of channel message and two SysEx, then
// timed notes), receives them both directly and through the thing under
// test, checks that the bytes came through unchanged and in order, and
// measures each note-on's latency in frames against the direct connection.
//
//   jack_play_probe --worker [--notes N]
//       plays Velmarin's pass-through worker (PlayThrough) in this process
//       between the sender and the receiver, through RtMidi's JACK ports
//   jack_play_probe --through IN_PORT OUT_PORT [--notes N] [--no-byte-check]
//       the thing under test is another JACK client (a velmarin-cli playing
//       through): the sender feeds its input port IN_PORT, its output port
//       OUT_PORT feeds the receiver; --no-byte-check where it retunes
//   jack_play_probe --await [--notes N | --script FILE]
//       the thing under test connects itself (velmarin-cli play --in
//       velmarin-probe-send:out --port velmarin-probe-recv:through): the
//       probe waits for both connections, plays, prints "sent" once the
//       last message is out, and receives until the thing under test lets
//       go of the receiver's port (stopped with Ctrl+C) or a minute passes;
//       what came through is not checked here
//   --script FILE sends the lines of FILE instead of the sequence below,
//       each "MS HEX...": a message and its time in milliseconds
//   --received FILE writes what came through, a message a line in hex
//   --received-ms FILE writes it with each message's time in milliseconds
//       from the first, "MS HEX...", as a script is written
//
// The latency of a note-on is measured to the first note-on of the same key
// and velocity that comes through after the one before, on any channel, so
// a retuning that moves notes to other channels and adds bends is measured
// too.
//
// The JACK server is the one JACK_DEFAULT_SERVER names (never started
// here). Exit status: 0 when every message came through unchanged (or the
// check is off), 1 when not, 2 for a wrong command line or script, 3 when
// JACK or the devices cannot be reached.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "midiin/MidiInDevice.h"
#include "play/PassThroughProcessor.h"
#include "play/PlayThrough.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Scheduled {
    jack_nframes_t dueFrame;  // from the start of the run
    Bytes bytes;
    bool timed;  // a note-on whose latency is measured
};

// What a receiving port got, written by JACK's process thread into room
// made beforehand and read once the clients are deactivated.
struct Received {
    explicit Received(std::size_t room) : frames(room), bytes(room) {}
    std::vector<jack_nframes_t> frames;
    std::vector<Bytes> bytes;
    std::atomic<std::size_t> count{0};

    void take(void* buffer, jack_nframes_t cycleStart) {
        const uint32_t events = jack_midi_get_event_count(buffer);
        for (uint32_t i = 0; i < events; ++i) {
            jack_midi_event_t event;
            const std::size_t at = count.load(std::memory_order_relaxed);
            if (jack_midi_event_get(&event, buffer, i) != 0 || at == frames.size()) continue;
            frames[at] = cycleStart + event.time;
            // Reserved beforehand for the largest message: no allocation here.
            bytes[at].assign(event.buffer, event.buffer + event.size);
            count.store(at + 1, std::memory_order_release);
        }
    }
};

struct Probe {
    jack_client_t* sender = nullptr;
    jack_client_t* receiver = nullptr;
    jack_port_t* out = nullptr;
    jack_port_t* direct = nullptr;
    jack_port_t* through = nullptr;
    std::vector<Scheduled> schedule;
    std::vector<jack_nframes_t> sentFrames;
    std::atomic<bool> running{false};
    // The receiver's latest cycle start: the run is timed by JACK's frames,
    // which fall behind the clock on the wall when the machine is loaded.
    std::atomic<jack_nframes_t> receivedFrame{0};
    jack_nframes_t startFrame = 0;
    std::size_t next = 0;  // the sender's process thread only
    std::unique_ptr<Received> gotDirect, gotThrough;
};

int sendCycle(jack_nframes_t frames, void* argument) {
    Probe& probe = *static_cast<Probe*>(argument);
    void* buffer = jack_port_get_buffer(probe.out, frames);
    jack_midi_clear_buffer(buffer);
    if (!probe.running.load(std::memory_order_acquire)) return 0;
    const jack_nframes_t cycleStart = jack_last_frame_time(probe.sender);
    while (probe.next < probe.schedule.size()) {
        const Scheduled& message = probe.schedule[probe.next];
        const jack_nframes_t due = probe.startFrame + message.dueFrame;
        // Frame times wrap; their difference does not.
        const int32_t ahead = static_cast<int32_t>(due - cycleStart);
        if (ahead >= static_cast<int32_t>(frames)) break;
        const jack_nframes_t offset = ahead > 0 ? static_cast<jack_nframes_t>(ahead) : 0;
        if (jack_midi_event_write(buffer, offset, message.bytes.data(), message.bytes.size()) != 0) break;
        probe.sentFrames[probe.next++] = cycleStart + offset;
    }
    return 0;
}

int receiveCycle(jack_nframes_t frames, void* argument) {
    Probe& probe = *static_cast<Probe*>(argument);
    const jack_nframes_t cycleStart = jack_last_frame_time(probe.receiver);
    probe.gotDirect->take(jack_port_get_buffer(probe.direct, frames), cycleStart);
    probe.gotThrough->take(jack_port_get_buffer(probe.through, frames), cycleStart);
    probe.receivedFrame.store(cycleStart, std::memory_order_release);
    return 0;
}

// Waits until the receiver's cycles reach `frame` or `done()` holds; 55
// seconds on the wall at most, so that the run's two waits fit the check's
// two minutes.
template <class Done>
void waitForFrame(const Probe& probe, jack_nframes_t frame, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(55);
    while (!done() && static_cast<int32_t>(probe.receivedFrame.load(std::memory_order_acquire) - frame) < 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// Every kind of channel message, a GS reset and a bulk-dump-sized SysEx,
// 5 ms apart; then, after the worker has caught up, `notes` notes whose
// note-on falls anywhere in a period, 10 ms apart on average.
std::vector<Scheduled> makeSchedule(int notes, jack_nframes_t rate) {
    const auto ms = [rate](double value) { return static_cast<jack_nframes_t>(value * rate / 1000); };
    Bytes bulk = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
    while (bulk.size() < 407) bulk.push_back(static_cast<uint8_t>(bulk.size() % 128));
    bulk.push_back(0xF7);
    const Bytes kinds[] = {{0x90, 0x3C, 0x64}, {0xA0, 0x3C, 0x20}, {0xB0, 0x40, 0x7F}, {0xC1, 0x05},
                           {0xD1, 0x30},       {0xE2, 0x00, 0x48}, {0xB0, 0x40, 0x00}, {0x80, 0x3C, 0x40},
                           {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, bulk};
    std::vector<Scheduled> schedule;
    double at = 0;
    for (const Bytes& message : kinds) {
        schedule.push_back({ms(at), message, false});
        at += 5;
    }
    at += 500;
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> jitter(0, 10);
    for (int i = 0; i < notes; ++i) {
        const uint8_t key = static_cast<uint8_t>(36 + i % 48);
        schedule.push_back({ms(at), {0x90, key, 0x50}, true});
        schedule.push_back({ms(at + 4), {0x80, key, 0x40}, false});
        at += 5 + jitter(random);
    }
    return schedule;
}

// A script's lines, "MS HEX..."; empty for a file that cannot be read or
// a line that is not one.
std::vector<Scheduled> readScript(const std::string& path, jack_nframes_t rate) {
    std::ifstream file(path);
    std::vector<Scheduled> schedule;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        double ms = 0;
        if (!(words >> ms)) continue;
        Bytes bytes;
        std::string word;
        while (words >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
        if (bytes.empty()) return {};
        schedule.push_back({static_cast<jack_nframes_t>(ms * rate / 1000), bytes, false});
    }
    return schedule;
}

// The listed device of that JACK port name, led by "Jack: " where ALSA
// offers ports too; -1 when none.
int findPort(const MidiDeviceList& list, const std::string& port) {
    for (std::size_t i = 0; i < list.names.size(); ++i)
        if (list.names[i] == port || list.names[i] == "Jack: " + port) return static_cast<int>(i);
    return -1;
}

// Nearest rank.
int32_t percentile(std::vector<int32_t> values, double share) {
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(std::ceil(share * values.size()));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

void printFigures(const char* name, const std::vector<int32_t>& frames, jack_nframes_t period, jack_nframes_t rate) {
    const int32_t median = percentile(frames, 0.5), p99 = percentile(frames, 0.99);
    std::printf("%-22s median %5d frames (%6.2f ms, %5.2f periods), 99th percentile %5d frames (%6.2f ms, %5.2f periods)\n",
                name, median, median * 1000.0 / rate, double(median) / period, p99, p99 * 1000.0 / rate,
                double(p99) / period);
}

std::string hex(const Bytes& bytes) {
    std::string text;
    char digits[4];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%s%02X", text.empty() ? "" : " ", byte);
        text += digits;
    }
    return text;
}

int usage() {
    std::fprintf(stderr, "usage: jack_play_probe --worker | --through IN_PORT OUT_PORT | --await"
                         " [--notes N | --script FILE] [--no-byte-check] [--received FILE] [--received-ms FILE]\n");
    return 2;
}

std::size_t connections(jack_port_t* port) {
    const char** names = jack_port_get_connections(port);
    std::size_t count = 0;
    if (names) {
        while (names[count]) ++count;
        jack_free(names);
    }
    return count;
}

// Polls `done` every 10 ms for at most `seconds`; its last answer.
template <class Done>
bool within(double seconds, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool worker = false, awaiting = false, byteCheck = true;
    std::string inPort, outPort, receivedFile, receivedMsFile, scriptFile;
    int notes = 300;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--worker") {
            worker = true;
        } else if (option == "--through" && i + 2 < argc) {
            inPort = argv[++i];
            outPort = argv[++i];
        } else if (option == "--await") {
            awaiting = true;
        } else if (option == "--script" && i + 1 < argc) {
            scriptFile = argv[++i];
        } else if (option == "--received-ms" && i + 1 < argc) {
            receivedMsFile = argv[++i];
        } else if (option == "--notes" && i + 1 < argc) {
            notes = std::atoi(argv[++i]);
        } else if (option == "--no-byte-check") {
            byteCheck = false;
        } else if (option == "--received" && i + 1 < argc) {
            receivedFile = argv[++i];
        } else {
            return usage();
        }
    }
    if (int(worker) + int(awaiting) + int(!inPort.empty()) != 1 || notes < 1) return usage();

    Probe probe;
    jack_status_t status;
    probe.sender = jack_client_open("velmarin-probe-send", JackNoStartServer, &status);
    probe.receiver = jack_client_open("velmarin-probe-recv", JackNoStartServer, &status);
    if (!probe.sender || !probe.receiver) {
        std::fprintf(stderr, "jack_play_probe: no JACK server to connect to\n");
        return 3;
    }
    const jack_nframes_t rate = jack_get_sample_rate(probe.sender);
    const jack_nframes_t period = jack_get_buffer_size(probe.sender);
    probe.schedule = scriptFile.empty() ? makeSchedule(notes, rate) : readScript(scriptFile, rate);
    if (probe.schedule.empty()) {
        std::fprintf(stderr, "jack_play_probe: %s holds no script\n", scriptFile.c_str());
        return 2;
    }
    probe.sentFrames.resize(probe.schedule.size());
    // Room for a retuning's set-up, its bends and its stop besides.
    const std::size_t room = probe.schedule.size() * 4 + 1024;
    probe.gotDirect = std::make_unique<Received>(room);
    probe.gotThrough = std::make_unique<Received>(room);
    for (Received* got : {probe.gotDirect.get(), probe.gotThrough.get()})
        for (Bytes& bytes : got->bytes) bytes.reserve(1024);
    probe.out = jack_port_register(probe.sender, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    probe.direct = jack_port_register(probe.receiver, "direct", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    probe.through = jack_port_register(probe.receiver, "through", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(probe.sender, sendCycle, &probe);
    jack_set_process_callback(probe.receiver, receiveCycle, &probe);
    if (!probe.out || !probe.direct || !probe.through || jack_activate(probe.sender) != 0 ||
        jack_activate(probe.receiver) != 0 ||
        jack_connect(probe.sender, "velmarin-probe-send:out", "velmarin-probe-recv:direct") != 0) {
        std::fprintf(stderr, "jack_play_probe: the probe's ports could not be made and connected\n");
        return 3;
    }

    PassThroughProcessor processor;
    std::unique_ptr<PlayThrough> play;
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false, ended = false;
    if (worker) {
        const int in = findPort(platformMidiIn().listDevices(), "velmarin-probe-send:out");
        const int out = findPort(platformMidiOut().listDevices(), "velmarin-probe-recv:through");
        if (in < 0 || out < 0) {
            std::fprintf(stderr, "jack_play_probe: Velmarin's device lists do not show the probe's ports\n");
            return 3;
        }
        play = std::make_unique<PlayThrough>(
            platformMidiIn(), in, platformMidiOut(), out, processor, [&](const PlayEvent& event) {
                if (event.kind == PlayEvent::Kind::Failed)
                    std::fprintf(stderr, "jack_play_probe: the worker failed: %s\n", event.failure.text.c_str());
                std::lock_guard<std::mutex> lock(mutex);
                started |= event.kind == PlayEvent::Kind::Started;
                ended |= event.kind == PlayEvent::Kind::Stopped;
                changed.notify_all();
            });
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return started || ended; });
        if (!started) return 3;
    } else if (awaiting) {
        std::printf("waiting\n");
        std::fflush(stdout);
        if (!within(60, [&] { return connections(probe.out) >= 2 && connections(probe.through) >= 1; })) {
            std::fprintf(stderr, "jack_play_probe: nothing connected to the probe's ports within a minute\n");
            return 3;
        }
        // The thing under test's set-up, sent as it starts, comes through first.
        waitForFrame(probe, probe.receivedFrame.load(std::memory_order_acquire) + rate * 3 / 10, [] { return false; });
    } else if (jack_connect(probe.sender, "velmarin-probe-send:out", inPort.c_str()) != 0 ||
               jack_connect(probe.receiver, outPort.c_str(), "velmarin-probe-recv:through") != 0) {
        std::fprintf(stderr, "jack_play_probe: %s or %s could not be connected\n", inPort.c_str(), outPort.c_str());
        return 3;
    }

    // A tenth of a second from now, so that the first messages are not late.
    probe.startFrame = jack_frame_time(probe.sender) + rate / 10;
    probe.running.store(true, std::memory_order_release);
    if (awaiting) {
        // A fifth of a second past the last message, for the thing under
        // test to have passed it on.
        waitForFrame(probe, probe.startFrame + probe.schedule.back().dueFrame + rate / 5, [] { return false; });
        std::printf("sent\n");
        std::fflush(stdout);
        within(60, [&] { return connections(probe.through) == 0; });
    } else {
        // A second for the last messages to come through.
        waitForFrame(probe, probe.startFrame + probe.schedule.back().dueFrame + rate, [&] {
            return probe.gotThrough->count.load(std::memory_order_acquire) >= probe.schedule.size();
        });
    }
    // Whatever the worker's stop sends comes in too.
    if (play) play->stop();
    waitForFrame(probe, probe.receivedFrame.load(std::memory_order_acquire) + rate / 5, [] { return false; });
    jack_deactivate(probe.sender);
    jack_deactivate(probe.receiver);

    const std::size_t sent = probe.next, direct = probe.gotDirect->count, through = probe.gotThrough->count;
    if (!receivedFile.empty()) {
        std::ofstream file(receivedFile);
        for (std::size_t i = 0; i < through; ++i) file << hex(probe.gotThrough->bytes[i]) << '\n';
    }
    if (!receivedMsFile.empty()) {
        std::ofstream file(receivedMsFile);
        for (std::size_t i = 0; i < through; ++i) {
            const jack_nframes_t frames = probe.gotThrough->frames[i] - probe.gotThrough->frames[0];
            file << frames * 1000.0 / rate << ' ' << hex(probe.gotThrough->bytes[i]) << '\n';
        }
    }
    std::printf("JACK at %u Hz, %u frames a period: %zu messages sent, %zu received directly, %zu through\n", rate,
                period, sent, direct, through);
    bool same = sent == probe.schedule.size() && direct == sent && (!byteCheck || through == sent);
    for (std::size_t i = 0; same && i < sent; ++i) {
        same = probe.gotDirect->bytes[i] == probe.schedule[i].bytes &&
               (!byteCheck || probe.gotThrough->bytes[i] == probe.schedule[i].bytes);
        if (!same)
            std::printf("message %zu: sent %s, received %s\n", i, hex(probe.schedule[i].bytes).c_str(),
                        hex(probe.gotThrough->bytes[i]).c_str());
    }
    if (byteCheck) std::printf("bytes through: %s\n", same ? "as sent, in order" : "NOT as sent");

    // Latency of the timed note-ons, each matched to the next note-on of its
    // key and velocity through. A message the output sends in the cycle it
    // came in is stamped at the cycle's start, before the note-on's own
    // frame: less than nothing.
    std::vector<int32_t> directLatency, throughLatency, added;
    std::size_t cursor = 0;
    for (std::size_t i = 0; i < sent && i < direct; ++i) {
        if (!probe.schedule[i].timed) continue;
        const Bytes& on = probe.schedule[i].bytes;
        while (cursor < through) {
            const Bytes& got = probe.gotThrough->bytes[cursor];
            if (got.size() == 3 && (got[0] & 0xF0) == 0x90 && got[1] == on[1] && got[2] == on[2]) break;
            ++cursor;
        }
        if (cursor == through) break;
        directLatency.push_back(static_cast<int32_t>(probe.gotDirect->frames[i] - probe.sentFrames[i]));
        throughLatency.push_back(static_cast<int32_t>(probe.gotThrough->frames[cursor++] - probe.sentFrames[i]));
        added.push_back(throughLatency.back() - directLatency.back());
    }
    if (!added.empty()) {
        std::printf("latency of %zu note-ons:\n", added.size());
        printFigures("  direct", directLatency, period, rate);
        printFigures("  through", throughLatency, period, rate);
        printFigures("  added by the play", added, period, rate);
    }
    jack_client_close(probe.sender);
    jack_client_close(probe.receiver);
    return same || !byteCheck ? 0 : 1;
}
